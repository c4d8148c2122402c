// What a program or library sees of QvBase's load-time objects.
#ifndef QVBASE_TESTS_TIME_EARLYUSER_H
#define QVBASE_TESTS_TIME_EARLYUSER_H

#include <QvBase/QvGlobals.h>
#include <QvBase/QvTime.h>

#include <cstdint>

#include "TimeTestSupport.h"

struct EarlyView {
  std::int64_t zeroTime, infTime;
  double zeroSpan, infSpan;
  bool running[4];
  double total[4], init[4], start[4];
  double clock;  // the clock when the view was taken
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

// The view that EarlyUser's static initialisation took.
extern "C" const EarlyView* EarlyUserView();

#endif  // QVBASE_TESTS_TIME_EARLYUSER_H
