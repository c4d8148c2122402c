#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <limits>

#include "frame/Platform.h"
#include "support/FaultStream.h"
#include "support/TempDir.h"

namespace {

// Wall time with milliseconds, unless a test replaces the source.
TEST(QvPlatform, ClockSourceCanBeReplacedAndRestored) {
  struct _timeb tb {};
  const std::time_t before = std::time(nullptr);
  qv::platform::FTime(&tb);
  // time() may read a coarser clock that lags the fine one by a tick.
  EXPECT_TRUE(before <= tb.time && tb.time <= std::time(nullptr) + 1);
  EXPECT_LT(tb.millitm, 1000);
  qv::platform::SetClockSource([](struct _timeb* out) {
    *out = {};
    out->time = 1234;
    out->millitm = 567;
  });
  qv::platform::FTime(&tb);
  EXPECT_TRUE(tb.time == 1234 && tb.millitm == 567);
  qv::platform::SetClockSource(nullptr);
  qv::platform::FTime(&tb);
  EXPECT_GT(tb.time, 1234);
  std::tm tm{};
  ASSERT_TRUE(qv::platform::LocalTime(0, &tm));
  EXPECT_TRUE(tm.tm_year == 70 || tm.tm_year == 69);
}

TEST(QvPlatform, StatTellsFilesFromFolders) {
  qvtest::TempDir dir;
  ASSERT_TRUE(qvtest::WriteAll(dir.File("a.txt"), "x"));
  qv::platform::FileStatus st;
  ASSERT_TRUE(qv::platform::StatPath(dir.Path().c_str(), &st));
  EXPECT_TRUE(st.isDirectory && !st.isRegular);
  ASSERT_TRUE(qv::platform::StatPath(dir.File("a.txt").c_str(), &st));
  EXPECT_TRUE(!st.isDirectory && st.isRegular);
  EXPECT_FALSE(qv::platform::StatPath(dir.File("missing").c_str(), &st));
  EXPECT_FALSE(qv::platform::StatPath(nullptr, &st));
}

// A stream on a regular file tells its file's length and its own position
// (buffered bytes not yet taken count as unread); a callback stream has no
// file to tell about.
TEST(QvPlatform, StreamStatusOfFilesAndCallbackStreams) {
  qvtest::TempDir dir;
  ASSERT_TRUE(qvtest::WriteAll(dir.File("ten"), "0123456789"));
  std::FILE* f = std::fopen(dir.File("ten").c_str(), "rb");
  ASSERT_NE(nullptr, f);
  char three[3];
  ASSERT_EQ(3u, std::fread(three, 1, 3, f));
  qv::platform::StreamStatus st;
  std::int64_t pos = -1;
  EXPECT_TRUE(qv::platform::StatStream(f, &st));
  EXPECT_TRUE(st.isRegular && st.size == 10);
  EXPECT_TRUE(qv::platform::TellStream(f, &pos));
  EXPECT_EQ(3, pos);
  std::fclose(f);
  EXPECT_FALSE(qv::platform::StatStream(nullptr, &st));
  if (!qvtest::FaultStream::Supported()) return;
  qvtest::FaultStream store({'a', 'b'});
  f = store.Open("rb");
  st = {};
  EXPECT_FALSE(qv::platform::StatStream(f, &st));
  EXPECT_FALSE(st.isRegular);
  std::fclose(f);
}

TEST(QvPlatform, Int64TextRoundTrip) {
  for (std::int64_t v : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{42},
                         std::numeric_limits<std::int64_t>::max(),
                         std::numeric_limits<std::int64_t>::min()}) {
    char buf[32];
    ASSERT_GT(qv::platform::FormatInt64(buf, sizeof buf, v), 0);
    std::int64_t back = 99;
    ASSERT_TRUE(qv::platform::ScanInt64(buf, &back)) << buf;
    EXPECT_EQ(v, back);
  }
  std::int64_t kept = 5;
  EXPECT_FALSE(qv::platform::ScanInt64("  abc", &kept));
  EXPECT_EQ(5, kept);
  EXPECT_TRUE(qv::platform::ScanInt64(" \t-12x", &kept));
  EXPECT_EQ(-12, kept);
}

}  // namespace
