// The global stopwatches and time constants, as a program and a library
// that it loads find them before doing anything else.
#include <gtest/gtest.h>

#include <limits>

#include "EarlyUser.h"

namespace {

EarlyView g_atMain;  // taken first thing in main, before gtest starts

void CheckLoadState(const EarlyView& v) {
  EXPECT_EQ(0, v.zeroTime);
  EXPECT_EQ(std::numeric_limits<std::int64_t>::max(), v.infTime);
  EXPECT_EQ(0.0, v.zeroSpan);
  EXPECT_EQ(-99999.0, v.infSpan);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(v.running[i]);
    EXPECT_EQ(0.0, v.total[i]);
    EXPECT_LE(v.init[i], v.start[i]);
    EXPECT_LE(v.start[i], v.clock);
    EXPECT_LE(i > 0 ? v.start[i - 1] : v.init[0], v.init[i]);  // built 0..3
  }
  EXPECT_LT(v.clock - v.init[0], 60.0);
}

TEST(QvGlobalStopWatches, RunningWhenAnotherLibraryStarts) {
  CheckLoadState(*EarlyUserView());
}

TEST(QvGlobalStopWatches, RunningWhenMainStarts) {
  CheckLoadState(g_atMain);
  // The program sees the very objects that the library saw.
  const EarlyView& early = *EarlyUserView();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(early.init[i], g_atMain.init[i]);
}

TEST(QvGlobalStopWatches, MeasureFromTheLoad) {
  const double now = QvStopWatch::GetCurrTime();
  const double elapsed = GV_STOP_WATCH2.GetElapsedTime();
  EXPECT_GE(elapsed, now - 1e-3 - g_atMain.init[2]);
  EXPECT_LE(elapsed, QvStopWatch::GetCurrTime() - g_atMain.init[2] + 1e-3);
  QvStopWatch copy(GV_STOP_WATCH3);
  const double lap = copy.Stop();
  EXPECT_GE(lap, now - g_atMain.start[3] - 1e-3);
  EXPECT_DOUBLE_EQ(lap, copy.GetTotalRunTime());
}

}  // namespace

int main(int argc, char** argv) {
  g_atMain = CaptureLoadState();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
