// Helpers for the time tests.
#ifndef QVBASE_TESTS_TIME_TIMETESTSUPPORT_H
#define QVBASE_TESTS_TIME_TIMETESTSUPPORT_H

#include <QvBase/QvStopWatch.h>

#include <cstdlib>
#include <ctime>

namespace qvtest {

// A copy of a stopwatch whose protected fields the tests can read.
class StopWatchView : public QvStopWatch {
 public:
  explicit StopWatchView(const QvStopWatch& w) : QvStopWatch(w) {}
  bool IsRunning() const { return m_IsRunning; }
  double InitSec() const { return TimeInSec(m_InitTime); }
  double StartSec() const { return TimeInSec(m_StartTime); }
};

// Switches the process to a time zone given as a TZ value ("UTC"). Each
// test runs in a process of its own under CTest, so none restores it.
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

#endif  // QVBASE_TESTS_TIME_TIMETESTSUPPORT_H
