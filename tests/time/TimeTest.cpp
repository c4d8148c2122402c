// Time stamps and stopwatches; the stopwatch tests drive the clock through
// the platform layer's test seam.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TimeTestSupport.h"
#include "frame/Platform.h"

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

std::int64_t Us(const QvTime& t) {
  std::int64_t v = 0;
  t.Get(v);
  return v;
}

TEST(QvTime, ConstructionSetAndDifferences) {
  EXPECT_EQ(5250000, Us(QvTime(5, 250)));
  EXPECT_EQ(1000000000007000, Us(QvTime(_timeb{1000000000, 7, 0, 0})));
  // The earliest whole second that still fits, and one before it.
  EXPECT_EQ(-9223372036854000000 + 5000,
            Us(QvTime(_timeb{-9223372036854, 5, 0, 0})));
  EXPECT_EQ(kMin, Us(QvTime(_timeb{-9223372036855, 0, 0, 0})));
  // The latest millisecond that fits, and one after it.
  EXPECT_EQ(kMax - 807, Us(QvTime(_timeb{9223372036854, 775, 0, 0})));
  EXPECT_EQ(kMax, Us(QvTime(_timeb{9223372036854, 776, 0, 0})));
  EXPECT_EQ(-1000, Us(QvTime(0, -1)));
  EXPECT_EQ(INT32_MIN * INT64_C(1000000) + 999000, Us(QvTime(INT32_MIN, 999)));
  EXPECT_EQ(-3, Us(QvTime(std::int64_t{-3})));
  QvTime t(std::int64_t{1});
  t.Set(2, 3000);  // milliseconds past 999 are added as they are
  EXPECT_EQ(5000000, Us(t));
  // Differences in seconds.
  EXPECT_DOUBLE_EQ(1.5, QvTime(3, 0) - QvTime(1, 500));
  EXPECT_DOUBLE_EQ(-1.5, QvTime(1, 500) - QvTime(3, 0));
  // Formed exactly in integers: one microsecond between large stamps.
  EXPECT_DOUBLE_EQ(1e-6, QvTime(kMax) - QvTime(kMax - 1));
  // Below the range's ends the count is formed first: 2^53 + 2, not the
  // 2^53 that the two stamps as doubles would give.
  EXPECT_EQ(9007199254740994 * 1e-6,
            QvTime(std::int64_t{9007199254740993}) - QvTime(std::int64_t{-1}));
  // Past the 64-bit range the seconds are still about right.
  EXPECT_NEAR(18446744073709.55, QvTime::INF_TIME - QvTime(kMin), 1.0);
  EXPECT_NEAR(-18446744073709.55, QvTime(kMin) - QvTime::INF_TIME, 1.0);
}

TEST(QvTime, ShiftsTruncateDifferently) {
  struct Row {
    std::int64_t start;
    double sec;
    std::int64_t plus, plusAssign, minus, minusAssign;
  };
  const Row rows[] = {
      {0, 1.5, 1500000, 1500000, -1500000, -1500000},
      // + truncates the sum, += the span: they differ by one microsecond
      // when stamp and span have opposite signs.
      {10, -0.0000005, 9, 10, 10, 10},
      {10, 0.0000005, 10, 10, 9, 10},
      {-10, 0.0000005, -9, -10, -10, -10},
      // The sum is formed in doubles, which are 1024 apart up there.
      {kMax, 1.0, kMax, kMax, kMax - 1000447, kMax - 1000000},
      {0, 9223372036854.775808, kMax, kMax, kMin, kMin},  // 2^63 us
      {0, 1e300, kMax, kMax, kMin, kMin},
      {7, std::nan(""), 7, 7, 7, 7},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.start << " and " << r.sec);
    const QvTime t(r.start);
    QvTime a(r.start), b(r.start);
    EXPECT_EQ(r.plus, Us(t + r.sec));
    EXPECT_EQ(r.minus, Us(t - r.sec));
    EXPECT_EQ(r.plusAssign, Us(a += r.sec));
    EXPECT_EQ(r.minusAssign, Us(b -= r.sec));
    EXPECT_EQ(r.start, Us(t));
  }
  QvTime t(3, 141);
  (t += 2.0) -= 2.0;
  EXPECT_EQ(3141000, Us(t));
}

TEST(QvTime, SpanToleranceIsSinglePrecision) {
  const double tol = static_cast<double>(1e-6f);  // 9.99999997e-7
  struct Row {
    double a, b;
    bool same;
  };
  const Row rows[] = {
      {1.0, 1.0, true},
      {1.0, 1.0000005, true},
      {1.0, 1.000001, false},
      {0.0, std::nextafter(tol, 0.0), true},
      {0.0, tol, false},
      {0.0, -tol, false},
      {0.0, 9.999999985e-7, false},  // under 1e-6 but over the tolerance
      {std::nan(""), std::nan(""), false},
      {0.0, std::nan(""), false},
      {HUGE_VAL, HUGE_VAL, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.a << " vs " << r.b);
    EXPECT_EQ(r.same, QvIsSameTimeSpan(r.a, r.b));
    EXPECT_EQ(r.same, QvIsSameTimeSpan(r.b, r.a));
    EXPECT_EQ(r.same, QvIsZeroTimeSpan(r.b - r.a + 0.0));
  }
  EXPECT_TRUE(QvIsZeroTimeSpan(-0.0));
  for (double v : {-99999.0, -99999.0000009}) EXPECT_TRUE(QvIsInfTimeSpan(v));
  for (double v : {-99999.000002, 99999.0, -HUGE_VAL, std::nan("")})
    EXPECT_FALSE(QvIsInfTimeSpan(v)) << v;
}

// The library's 64-bit form is there by name: a program that includes the
// library keeps the streams' own meaning of << and >> on 64-bit values.
TEST(QvTimeStream, WritesAndReadsBackInOrder) {
  const std::vector<std::int64_t> values = {0, -42, 123, kMin, kMax, -1};
  std::stringstream s;
  s << 5L << std::int64_t{-7} << 8LL << 9;
  EXPECT_EQ("5-789", s.str());
  s.str("");
  for (std::int64_t v : values) operator<<(s << QvTime(v), v);
  EXPECT_EQ(
      "0  0 -42  -42 123  123 -9223372036854775808  -9223372036854775808 "
      "9223372036854775807  9223372036854775807 -1  -1 ",
      s.str());
  for (std::int64_t v : values) {
    QvTime t(std::int64_t{99});
    std::int64_t back = 99;
    operator>>(s >> t, back);
    EXPECT_EQ(v, Us(t));
    EXPECT_EQ(v, back);
  }
  EXPECT_TRUE(s.good());
}

TEST(QvTimeStream, WordsWithoutANumberLeaveTheTargetAlone) {
  const std::string longZeros(97, '0');
  struct Row {
    std::string text;
    std::int64_t first, second;
  };
  const Row rows[] = {
      {"abc 5", 99, 5},
      {"12abc -3", 12, -3},
      {"", 99, 99},
      {" \t\n", 99, 99},
      {"+ 4", 99, 4},
      // 99 characters are read; a longer word is consumed whole and
      // parsed from its first 99.
      {longZeros + "42 6", 42, 6},
      {longZeros + "427 6", 42, 6},
      {std::string(5000, 'x') + " 6", 99, 6},
      {std::string("12\0", 3) + std::string(200, '9') + " 6", 12, 6},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text.substr(0, 20));
    std::istringstream in(r.text);
    QvTime t(std::int64_t{99});
    std::int64_t v = 99;
    in >> t;
    operator>>(in, v);
    EXPECT_EQ(r.first, Us(t));
    EXPECT_EQ(r.second, v);
  }
}

// 1980-01-02 02:03:55 UTC, a Wednesday.
constexpr std::int64_t kSec = 315626635;

TEST(QvTimeText, LocalTimeWithMicroseconds) {
  qvtest::UseTimeZone("UTC");
  struct Row {
    std::int64_t us;
    const char* text;
  };
  const Row rows[] = {
    {kSec * 1000000 + 123000, "Wed Jan 02 02:03:55.123000 1980\n"},
    {kSec * 1000000 + 5000, "Wed Jan 02 02:03:55.5000 1980\n"},
    {kSec * 1000000, "Wed Jan 02 02:03:55.  0 1980\n"},
    {kSec * 1000000 + 999999, "Wed Jan 02 02:03:55.999999 1980\n"},
    {42, "Thu Jan 01 00:00:00. 42 1970\n"},
    {INT64_C(2147483647) * 1000000, "Tue Jan 19 03:14:07.  0 2038\n"},
#if defined(_WIN32)
    // The Windows runtime has no calendar before 1970: the stamp's own
    // text stands in.
    {-1, "-1 us\n"},
#else
    // Before the epoch the calendar second is the one the stamp lies in.
    {-1, "Wed Dec 31 23:59:59.999999 1969\n"},
#endif
    {INT64_C(4102444800) * 1000000 + 7, "Fri Jan 01 00:00:00.  7 2100\n"},
  };
  const auto text = [](std::int64_t us) {
    std::string t = "previous content";  // replaced, not appended to
    QvTime(us).Get(t);
    return t;
  };
  for (const Row& r : rows) EXPECT_EQ(r.text, text(r.us)) << r.us;
  // Stamps the calendar cannot show still give a line of text.
  for (std::int64_t us : {kMax, kMin, -INT64_C(62135596800000000)}) {
    SCOPED_TRACE(us);
    const std::string t = text(us);
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ('\n', t.back());
    EXPECT_EQ(std::string::npos, t.find('\0'));
  }
  qvtest::UseTimeZone("XST-3");  // three hours east of UTC
  EXPECT_EQ("Wed Jan 02 05:03:55.  0 1980\n", text(kSec * 1000000));
}

// Spans of a clock near 1e9 s carry rounding of about 1e-7 s.
#define EXPECT_SPAN(expected, actual) EXPECT_NEAR(expected, actual, 1e-6)

// Runs each test on a clock that only moves when the test says so.
struct StopWatchTest : testing::Test {
  static inline struct _timeb now_ {};
  void SetUp() override {
    now_ = {1000000000, 0, 0, 0};
    qv::platform::SetClockSource([](struct _timeb* out) { *out = now_; });
  }
  void TearDown() override { qv::platform::SetClockSource(nullptr); }
  static void Advance(int ms) {
    const int total = now_.millitm + ms;
    now_.time += total / 1000;
    now_.millitm = static_cast<unsigned short>(total % 1000);
  }
};

// The system clock's seconds since 1970. time() is not used as the bound: it
// may read a coarse clock, seen here to lag the fine one by over a second.
double SystemSeconds() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

// The real clock moves forward in whole milliseconds, between the constants,
// and tells the system's time.
TEST(QvStopWatchClock, RealClockMovesInWholeMilliseconds) {
  const double wall = SystemSeconds();
  double prev = QvStopWatch::GetCurrTime();
  QvTime prevStamp = QvTime::GetCurrTime();
  for (int i = 0; i < 200; ++i) {
    const double now = QvStopWatch::GetCurrTime();
    const QvTime stamp;
    EXPECT_LE(prev, now);
    EXPECT_NEAR(now * 1000, std::round(now * 1000), 1e-3);
    EXPECT_LE(prevStamp, stamp);
    EXPECT_TRUE(QvTime::ZERO_TIME < stamp && stamp < QvTime::INF_TIME);
    EXPECT_EQ(0, Us(stamp) % 1000);
    _timeb tb{0, 0, 7, 7};  // the clock must clear both
    qv::platform::FTime(&tb);
    EXPECT_TRUE(tb.timezone == 0 && tb.dstflag == 0);
    prev = now;
    prevStamp.SetCurrTime();
  }
  EXPECT_LE(wall - 0.001, prev);  // prev is cut to whole milliseconds
  EXPECT_LE(prev, SystemSeconds());
  QvStopWatch watch;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(watch.Stop(), 0.018);
}

TEST_F(StopWatchTest, LapsAndTotals) {
  QvStopWatch watch;
  EXPECT_EQ(0.0, watch.GetTotalRunTime());
  Advance(1000);
  double total = -1;
  EXPECT_SPAN(1.0, watch.Stop(&total));
  EXPECT_SPAN(1.0, total);
  EXPECT_FALSE(qvtest::StopWatchView(watch).IsRunning());
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
TEST_F(StopWatchTest, Init0CreatedStoppedAndTheClockSource) {
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
  // Every clock read goes through the platform layer.
  now_ = {1000000000, 0, 0, 0};
  Advance(7);
  EXPECT_DOUBLE_EQ(1000000000.007, QvStopWatch::GetCurrTime());
  EXPECT_DOUBLE_EQ(-0.5, QvStopWatch::TimeInSec({-1, 500, 0, 0}));
  EXPECT_EQ(1000000000007000, Us(QvTime()));
  qvtest::UseTimeZone("UTC");
  EXPECT_STREQ("Sun Sep 09 01:46:40 2001\n", QvStopWatch::GetCurrTimeString());
  now_.time = std::numeric_limits<std::time_t>::max();  // past any calendar
  EXPECT_STREQ("??? ??? ?? ??:??:?? ????\n", QvStopWatch::GetCurrTimeString());
  qv::platform::SetClockSource(nullptr);  // back to the real clock
  EXPECT_GT(QvStopWatch::GetCurrTime(), 1.5e9);
}

}  // namespace
