#include "time/CalendarText.h"

#include <cstdio>
#include <ctime>
#include <limits>

#include "frame/Platform.h"

namespace qv {
namespace {

const char* const kDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

bool FormatCalendarText(std::int64_t seconds, char (&buf)[kCalendarTextSize]) {
  buf[0] = '\0';
  // A time_t narrower than 64 bits cannot take every count.
  if (seconds < std::numeric_limits<std::time_t>::min() ||
      seconds > std::numeric_limits<std::time_t>::max())
    return false;
  std::tm tm{};
  if (!platform::LocalTime(static_cast<std::time_t>(seconds), &tm))
    return false;
  if (tm.tm_wday < 0 || tm.tm_wday > 6 || tm.tm_mon < 0 || tm.tm_mon > 11)
    return false;
  // The year goes through long long: tm_year + 1900 can pass INT_MAX.
  const int n = std::snprintf(
      buf, sizeof buf, "%s %s %02d %02d:%02d:%02d %lld\n", kDays[tm.tm_wday],
      kMonths[tm.tm_mon], tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
      static_cast<long long>(tm.tm_year) + 1900);
  if (n < 0 || static_cast<std::size_t>(n) >= sizeof buf) {
    buf[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace qv
