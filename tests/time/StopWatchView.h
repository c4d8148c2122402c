// A copy of a stopwatch whose protected fields the tests can read.
#ifndef QVBASE_TESTS_TIME_STOPWATCHVIEW_H
#define QVBASE_TESTS_TIME_STOPWATCHVIEW_H

#include <QvBase/QvStopWatch.h>

namespace qvtest {

class StopWatchView : public QvStopWatch {
 public:
  explicit StopWatchView(const QvStopWatch& w) : QvStopWatch(w) {}
  bool IsRunning() const { return m_IsRunning; }
  double InitSec() const { return TimeInSec(m_InitTime); }
  double StartSec() const { return TimeInSec(m_StartTime); }
};

}  // namespace qvtest

#endif  // QVBASE_TESTS_TIME_STOPWATCHVIEW_H
