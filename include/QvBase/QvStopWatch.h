/// \file
/// Run times in seconds, to the millisecond of the clock.
///
/// A stopwatch remembers when it was created (or re-initialised), when it
/// was last started, and the total of the runs that Stop has measured:
///
/// \code
/// QvStopWatch watch;            // created running
/// DoWork();
/// double lap = watch.Stop();    // seconds since the start
/// watch.Start();
/// DoMoreWork();
/// watch.Stop();                 // GetTotalRunTime() now adds both runs
/// \endcode
///
/// Four stopwatches GV_STOP_WATCH0..3 (QvGlobals.h) run from the moment the
/// library is loaded. A stopwatch is a plain object without locking.
#ifndef QVBASE_QVSTOPWATCH_H
#define QVBASE_QVSTOPWATCH_H

#include <QvBase/QvExport.h>
#include <QvBase/QvPlatform.h>

/// A stopwatch: its creation moment, its last start and the total of the
/// runs it has measured, in seconds.
class QV_BASE_API QvStopWatch {
 public:
  /// Init0, then Start when bStart is true. A stopwatch created stopped
  /// takes its creation moment as its start, so a Stop without a Start
  /// measures from creation.
  explicit QvStopWatch(bool bStart);
  /// Created running, as QvStopWatch(true).
  QvStopWatch() : QvStopWatch(true) {}
  /// Copies every field as it stands, the running state included.
  QvStopWatch(const QvStopWatch&) = default;
  /// Copies every field, as the copy constructor does.
  QvStopWatch& operator=(const QvStopWatch&) = default;

  /// Re-initialises: the creation moment becomes now, the total 0.0, and
  /// the stopwatch stops. The start moment is kept.
  void Init0();
  /// Starts (or restarts) the current run now; an unfinished run is
  /// dropped, not counted.
  void Start();
  /// Ends the run: returns the seconds since the last Start, adds them to
  /// the total and stores the new total through pTotal when it is not
  /// null. A second Stop without a Start measures again from the same
  /// start and adds the longer run as well.
  double Stop(double* pTotal = nullptr);

  /// Seconds since creation or the last Init0, whatever ran in between.
  double GetElapsedTime() const;
  /// The total of the runs measured by Stop.
  double GetTotalRunTime() const { return m_TotRunTime; }
  /// Replaces the total, running or not.
  void SetTotRunTime(double total) { m_TotRunTime = total; }
  /// Sets the total to 0.0, running or not.
  void ResetTotRunTime() { m_TotRunTime = 0.0; }

  /// A clock record in seconds: millitm x 0.001 + time.
  static double TimeInSec(const struct _timeb& tb);
  /// Reads the clock: seconds since the epoch, to the millisecond.
  static double GetCurrTime();
  /// Reads the clock and returns its whole second as local time in 24
  /// characters and a newline, "Wed Jan 02 02:03:55 1980\n" (day
  /// zero-padded). The text lies in a buffer of the calling thread that
  /// the next call overwrites.
  static char* GetCurrTimeString();

 protected:
  struct _timeb m_InitTime;   ///< creation or last Init0
  struct _timeb m_StartTime;  ///< last Start (creation before the first)
  double m_TotRunTime;        ///< total of the measured runs, in seconds
  bool m_IsRunning;           ///< true from Start until Stop or Init0
};

#endif  // QVBASE_QVSTOPWATCH_H
