#include <QvBase/QvTime.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "TimeTestSupport.h"

namespace {

// 1980-01-02 02:03:55 UTC, a Wednesday.
constexpr std::int64_t kSec = 315626635;

TEST(QvTimeText, MicrosecondsBetweenClockAndYear) {
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
      // Before the epoch the calendar second is the one the stamp lies in.
      {-1, "Wed Dec 31 23:59:59.999999 1969\n"},
      {INT64_C(4102444800) * 1000000 + 7, "Fri Jan 01 00:00:00.  7 2100\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.us);
    std::string text = "previous content";
    QvTime(r.us).Get(text);
    EXPECT_EQ(r.text, text);
  }
}

TEST(QvTimeText, FollowsTheLocalZone) {
  qvtest::UseTimeZone("XST-3");  // three hours east of UTC
  std::string text;
  QvTime(kSec * 1000000).Get(text);
  EXPECT_EQ("Wed Jan 02 05:03:55.  0 1980\n", text);
}

TEST(QvTimeText, ExtremeStampsStillGiveText) {
  qvtest::UseTimeZone("UTC");
  const std::int64_t stamps[] = {std::numeric_limits<std::int64_t>::max(),
                                 std::numeric_limits<std::int64_t>::min(),
                                 -INT64_C(62135596800000000)};
  for (std::int64_t us : stamps) {
    SCOPED_TRACE(us);
    std::string text;
    QvTime(us).Get(text);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ('\n', text.back());
    EXPECT_EQ(std::string::npos, text.find('\0'));
  }
}

}  // namespace
