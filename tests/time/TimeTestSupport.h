// Helpers for the time tests.
#ifndef QVBASE_TESTS_TIME_TIMETESTSUPPORT_H
#define QVBASE_TESTS_TIME_TIMETESTSUPPORT_H

#include <QvBase/QvGlobals.h>
#include <QvBase/QvTime.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>

namespace qvtest {

// A copy of a stopwatch whose protected fields the tests can read.
struct StopWatchView : QvStopWatch {
  explicit StopWatchView(const QvStopWatch& w) : QvStopWatch(w) {}
  bool IsRunning() const { return m_IsRunning; }
  double InitSec() const { return TimeInSec(m_InitTime); }
  double StartSec() const { return TimeInSec(m_StartTime); }
};

// Switches the process to a TZ value ("UTC"). Each test runs in a process
// of its own under CTest, so none restores it.
inline void UseTimeZone(const char* tz) {
#if defined(_WIN32)
  _putenv_s("TZ", tz);
  _tzset();
#else
  setenv("TZ", tz, 1);
  tzset();
#endif
}

}  // namespace qvtest

// What a program or library sees of QvBase's load-time objects: copies of
// the time constants and the global stopwatches, then the clock.
struct EarlyView {
  QvTime zeroTime, infTime;
  double zeroSpan, infSpan;
  QvStopWatch watches[4];
  double clock;
};

inline EarlyView CaptureLoadState() {
  return {QvTime::ZERO_TIME,
          QvTime::INF_TIME,
          QvTime::ZERO_TIME_SPAN,
          QvTime::INF_TIME_SPAN,
          {GV_STOP_WATCH0, GV_STOP_WATCH1, GV_STOP_WATCH2, GV_STOP_WATCH3},
          QvStopWatch::GetCurrTime()};
}

// The view that the QvTimeEarlyUser library's static initialisation took.
extern "C" const EarlyView* EarlyUserView();

#endif  // QVBASE_TESTS_TIME_TIMETESTSUPPORT_H
