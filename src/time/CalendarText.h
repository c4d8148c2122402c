// CalendarText.h - the 24-character local-time text that both QvTime and
// QvStopWatch print, built here so that every platform gives the same
// layout (some C libraries pad the day of the month with a blank).
#ifndef QVBASE_SRC_TIME_CALENDARTEXT_H
#define QVBASE_SRC_TIME_CALENDARTEXT_H

#include <cstddef>
#include <cstdint>

namespace qv {

/// Room for the text of any 64-bit count of seconds, years of up to 11
/// digits and sign included, plus the terminating NUL.
constexpr std::size_t kCalendarTextSize = 40;

/// Writes the local time of `seconds` since the epoch as
/// "Www Mmm dd hh:mm:ss yyyy\n" (English names, day zero-padded, the year
/// as many digits as it needs) into buf. Returns false, leaving buf an
/// empty string, when the C library cannot convert the value.
bool FormatCalendarText(std::int64_t seconds, char (&buf)[kCalendarTextSize]);

}  // namespace qv

#endif  // QVBASE_SRC_TIME_CALENDARTEXT_H
