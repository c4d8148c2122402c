#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

#include "TimeTestSupport.h"
#include "frame/Platform.h"

namespace {

// Spans of a clock near 1e9 s carry rounding of about 1e-7 s.
#define EXPECT_SPAN(expected, actual) EXPECT_NEAR(expected, actual, 1e-6)

// Runs each test on a clock that only moves when the test says so.
struct StopWatchTest : testing::Test {
  static inline struct _timeb now_ {};
  void SetUp() override {
    now_ = {};
    now_.time = 1000000000;
    qv::platform::SetClockSource([](struct _timeb* out) { *out = now_; });
  }
  void TearDown() override { qv::platform::SetClockSource(nullptr); }
  static void Advance(int ms) {
    const int total = now_.millitm + ms;
    now_.time += total / 1000;
    now_.millitm = static_cast<unsigned short>(total % 1000);
  }
};

// The real clock moves forward in whole milliseconds, between the constants;
// time() may read a coarser clock that lags the fine one by a tick.
TEST(QvStopWatchClock, RealClockMovesInWholeMilliseconds) {
  const double wall = static_cast<double>(std::time(nullptr));
  double prev = QvStopWatch::GetCurrTime();
  QvTime prevStamp = QvTime::GetCurrTime();
  for (int i = 0; i < 200; ++i) {
    const double now = QvStopWatch::GetCurrTime();
    const QvTime stamp;
    std::int64_t us = 0;
    stamp.Get(us);
    EXPECT_LE(prev, now);
    EXPECT_NEAR(now * 1000, std::round(now * 1000), 1e-3);
    EXPECT_LE(prevStamp, stamp);
    EXPECT_TRUE(QvTime::ZERO_TIME < stamp && stamp < QvTime::INF_TIME);
    EXPECT_EQ(0, us % 1000);
    prev = now;
    prevStamp.SetCurrTime();
  }
  EXPECT_TRUE(wall <= prev && prev <= std::time(nullptr) + 1.0);
  QvStopWatch watch;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(watch.Stop(), 0.018);
}

TEST_F(StopWatchTest, ClockReadsGoThroughThePlatformLayer) {
  Advance(7);
  EXPECT_DOUBLE_EQ(1000000000.007, QvStopWatch::GetCurrTime());
  struct _timeb tb {};
  tb.time = -1;
  tb.millitm = 500;
  EXPECT_DOUBLE_EQ(-0.5, QvStopWatch::TimeInSec(tb));
  std::int64_t us = 0;
  QvTime().Get(us);
  EXPECT_EQ(1000000000007000, us);
  qvtest::UseTimeZone("UTC");
  EXPECT_STREQ("Sun Sep 09 01:46:40 2001\n", QvStopWatch::GetCurrTimeString());
  qv::platform::SetClockSource(nullptr);  // back to the real clock
  EXPECT_GT(QvStopWatch::GetCurrTime(), 1.5e9);
}

TEST_F(StopWatchTest, LapsAndTotals) {
  QvStopWatch watch;
  EXPECT_EQ(0.0, watch.GetTotalRunTime());
  Advance(1000);
  double total = -1;
  EXPECT_SPAN(1.0, watch.Stop(&total));
  EXPECT_SPAN(1.0, total);
  Advance(1000);  // a pause, not counted
  watch.Start();
  Advance(1000);
  EXPECT_SPAN(1.0, watch.Stop());
  EXPECT_SPAN(2.0, watch.GetTotalRunTime());
  EXPECT_SPAN(3.0, watch.GetElapsedTime());
  // A second Stop measures again from the same start.
  Advance(500);
  EXPECT_SPAN(1.5, watch.Stop(&total));
  EXPECT_SPAN(3.5, total);
  // Start while running restarts the run.
  watch.Start();
  Advance(200);
  watch.Start();
  Advance(300);
  watch.SetTotRunTime(5.0);
  EXPECT_SPAN(0.3, watch.Stop());
  EXPECT_SPAN(5.3, watch.GetTotalRunTime());
  watch.ResetTotRunTime();
  EXPECT_EQ(0.0, watch.GetTotalRunTime());
}

// Init0 stops the watch and restarts the elapsed time but keeps the start;
// a watch created stopped measures from its creation.
TEST_F(StopWatchTest, Init0AndCreatedStopped) {
  QvStopWatch watch, stopped(false);
  Advance(1000);
  watch.Stop();
  Advance(1000);
  watch.Init0();
  EXPECT_FALSE(qvtest::StopWatchView(watch).IsRunning());
  EXPECT_FALSE(qvtest::StopWatchView(stopped).IsRunning());
  EXPECT_EQ(0.0, watch.GetTotalRunTime());
  Advance(250);
  EXPECT_SPAN(0.25, watch.GetElapsedTime());
  EXPECT_SPAN(2.25, watch.Stop());
  EXPECT_SPAN(2.25, stopped.Stop());
  struct Holder {
    QvStopWatch watch;
  } running{};  // a member initialised from {} starts as well
  EXPECT_TRUE(qvtest::StopWatchView(running.watch).IsRunning());
}

}  // namespace
