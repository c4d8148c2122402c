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
    EXPECT_EQ(0, v->zeroTime);
    EXPECT_EQ(std::numeric_limits<std::int64_t>::max(), v->infTime);
    EXPECT_EQ(0.0, v->zeroSpan);
    EXPECT_EQ(-99999.0, v->infSpan);
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(i);
      EXPECT_TRUE(v->running[i]);
      EXPECT_EQ(0.0, v->total[i]);
      EXPECT_LE(v->init[i], v->start[i]);
      EXPECT_LE(v->start[i], v->clock);
      EXPECT_LE(i > 0 ? v->start[i - 1] : v->init[0], v->init[i]);  // 0..3
      // The program sees the very objects that the library saw.
      EXPECT_EQ(early.init[i], v->init[i]);
    }
    EXPECT_LT(v->clock - v->init[0], 60.0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  g_atMain = CaptureLoadState();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
