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

// What a program or library sees of QvBase's load-time objects.
struct EarlyView {
  std::int64_t zeroTime, infTime;
  double zeroSpan, infSpan, clock;  // clock: when the view was taken
  bool running[4];
  double total[4], init[4], start[4];
};

inline EarlyView CaptureLoadState() {
  EarlyView v{};
  QvTime::ZERO_TIME.Get(v.zeroTime);
  QvTime::INF_TIME.Get(v.infTime);
  v.zeroSpan = QvTime::ZERO_TIME_SPAN;
  v.infSpan = QvTime::INF_TIME_SPAN;
  const QvStopWatch* watches[4] = {&GV_STOP_WATCH0, &GV_STOP_WATCH1,
                                   &GV_STOP_WATCH2, &GV_STOP_WATCH3};
  for (int i = 0; i < 4; ++i) {
    const qvtest::StopWatchView w(*watches[i]);
    v.running[i] = w.IsRunning();
    v.total[i] = w.GetTotalRunTime();
    v.init[i] = w.InitSec();
    v.start[i] = w.StartSec();
  }
  v.clock = QvStopWatch::GetCurrTime();
  return v;
}

// The view that the QvTimeEarlyUser library's static initialisation took.
extern "C" const EarlyView* EarlyUserView();

#endif  // QVBASE_TESTS_TIME_TIMETESTSUPPORT_H
