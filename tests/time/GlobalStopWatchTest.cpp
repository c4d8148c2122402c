// The global stopwatches and time constants, as a program and a library
// that it loads find them before doing anything else.
#include <gtest/gtest.h>

#include <limits>

#include "TimeTestSupport.h"

namespace {

EarlyView g_atMain;  // taken first thing in main, before gtest starts

TEST(QvGlobalStopWatches, RunningWhenALibraryAndMainStart) {
  const EarlyView& early = *EarlyUserView();
  for (const EarlyView* v :
       {&early, static_cast<const EarlyView*>(&g_atMain)}) {
    SCOPED_TRACE(v == &early ? "library" : "main");
    EXPECT_EQ(v->zeroTime, std::int64_t{0});
    EXPECT_EQ(v->infTime, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(0.0, v->zeroSpan);
    EXPECT_EQ(-99999.0, v->infSpan);
    double prev = qvtest::StopWatchView(v->watches[0]).InitSec();
    EXPECT_LT(v->clock - prev, 60.0);
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(i);
      const qvtest::StopWatchView w(v->watches[i]);
      EXPECT_TRUE(w.IsRunning());
      EXPECT_EQ(0.0, w.GetTotalRunTime());
      EXPECT_LE(prev, w.InitSec());  // built 0..3 in turn
      EXPECT_LE(w.InitSec(), w.StartSec());
      EXPECT_LE(w.StartSec(), v->clock);
      prev = w.StartSec();
      // The program sees the very objects that the library saw.
      EXPECT_EQ(qvtest::StopWatchView(early.watches[i]).InitSec(), w.InitSec());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  g_atMain = CaptureLoadState();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
