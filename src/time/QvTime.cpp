// QvTime: stamps in microseconds, their arithmetic, text and stream forms.
#include <QvBase/QvTime.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "frame/Platform.h"
#include "time/CalendarText.h"

namespace {

constexpr std::int64_t kMaxUs = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMinUs = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kUsPerSec = 1000000;

// Truncates toward zero; values past the 64-bit range stop at its ends and
// NaN gives 0, where a plain conversion would be undefined.
std::int64_t TruncToInt64(double v) {
  constexpr double kTwo63 = 9223372036854775808.0;
  if (std::isnan(v)) return 0;
  if (v >= kTwo63) return kMaxUs;
  if (v < -kTwo63) return kMinUs;
  return static_cast<std::int64_t>(v);
}

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
  if (b > 0 && a > kMaxUs - b) return kMaxUs;
  if (b < 0 && a < kMinUs - b) return kMinUs;
  return a + b;
}

// The microseconds of a span; a NaN span counts as none.
double SpanToUs(double sec) {
  const double us = sec * 1000000.0;
  return std::isnan(us) ? 0.0 : us;
}

}  // namespace

// Constant-initialised (the QvTime constructor used is constexpr): the
// values are in the image from the moment the library is mapped, before
// any static constructor of any module runs.
const QvTime QvTime::ZERO_TIME{std::int64_t{0}};
const QvTime QvTime::INF_TIME{kMaxUs};
const double QvTime::ZERO_TIME_SPAN = 0.0;
const double QvTime::INF_TIME_SPAN = -99999.0;

QvTime::QvTime() : m_Time(GetCurrTime().m_Time) {}

QvTime::QvTime(std::int32_t sec, std::int32_t msec) : m_Time(0) {
  Set(sec, msec);
}

QvTime::QvTime(const struct _timeb& tb) : m_Time(0) {
  const std::int64_t sec = static_cast<std::int64_t>(tb.time);
  const std::int64_t ms = static_cast<std::int64_t>(tb.millitm) * 1000;
  if (sec > (kMaxUs - ms) / kUsPerSec)
    m_Time = kMaxUs;
  else if (sec < kMinUs / kUsPerSec)
    m_Time = kMinUs;
  else
    m_Time = sec * kUsPerSec + ms;
}

void QvTime::Set(std::int32_t sec, std::int32_t msec) {
  // Both products fit in 64 bits for every 32-bit argument.
  m_Time = static_cast<std::int64_t>(sec) * kUsPerSec +
           static_cast<std::int64_t>(msec) * 1000;
}

void QvTime::Set(const std::int64_t& usec) {
  m_Time = usec;
}

void QvTime::Get(std::int64_t& usec) const {
  usec = m_Time;
}

QvTime QvTime::GetCurrTime() {
  struct _timeb tb {};
  qv::platform::FTime(&tb);
  return QvTime(tb);
}

void QvTime::SetCurrTime() {
  m_Time = GetCurrTime().m_Time;
}

QvTime QvTime::operator+(const double& sec) const {
  return QvTime(TruncToInt64(static_cast<double>(m_Time) + SpanToUs(sec)));
}

QvTime QvTime::operator-(const double& sec) const {
  return QvTime(TruncToInt64(static_cast<double>(m_Time) - SpanToUs(sec)));
}

double QvTime::operator-(const QvTime& t) const {
  const bool overflows = (t.m_Time < 0 && m_Time > kMaxUs + t.m_Time) ||
                         (t.m_Time > 0 && m_Time < kMinUs + t.m_Time);
  if (overflows)
    return (static_cast<double>(m_Time) - static_cast<double>(t.m_Time)) * 1e-6;
  return static_cast<double>(m_Time - t.m_Time) * 1e-6;
}

QvTime& QvTime::operator+=(const double& sec) {
  m_Time = SaturatingAdd(m_Time, TruncToInt64(SpanToUs(sec)));
  return *this;
}

QvTime& QvTime::operator-=(const double& sec) {
  m_Time = SaturatingAdd(m_Time, TruncToInt64(SpanToUs(-sec)));
  return *this;
}

void QvTime::Get(std::string& text) const {
  // Floor division, so that stamps before the epoch still show their own
  // calendar second and a rest of 0..999999; for later stamps this is the
  // plain truncating division.
  std::int64_t sec = m_Time / kUsPerSec;
  std::int64_t rest = m_Time % kUsPerSec;
  if (rest < 0) {
    rest += kUsPerSec;
    --sec;
  }
  char calendar[qv::kCalendarTextSize];
  if (!qv::FormatCalendarText(sec, calendar)) {  // GCOVR_EXCL_BR_LINE
    // No calendar for this second: the count itself is still some text.
    // Runs on Windows (no calendar before 1970) and where time_t has 32
    // bits; a 64-bit time_t has a calendar for every second a stamp holds.
    // GCOVR_EXCL_START
    char digits[32];
    qv::platform::FormatInt64(digits, sizeof digits, m_Time);
    text.assign(digits);
    text += " us\n";
    return;
    // GCOVR_EXCL_STOP
  }
  // The calendar text is "Www Mmm dd hh:mm:ss " and then the year: the
  // microseconds go between the clock time and the year.
  char out[qv::kCalendarTextSize + 16];
  std::snprintf(out, sizeof out, "%.19s.%3lu %s", calendar,
                static_cast<unsigned long>(rest), calendar + 20);
  text.assign(out);
}
