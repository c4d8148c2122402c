/// \file
/// Time stamps in microseconds and time spans in seconds.
///
/// A QvTime holds one point in time as a signed 64-bit count of microseconds
/// since 1970-01-01 00:00:00 UTC; stamps taken from the clock hold a whole
/// number of milliseconds. A time span is a plain double count of seconds,
/// compared by the QvIs...TimeSpan functions below with a fixed tolerance.
///
/// \code
/// QvTime start;                       // now
/// ...
/// double seconds = QvTime() - start;  // elapsed, exact to the microsecond
/// QvTime deadline = start + 2.5;      // two and a half seconds later
/// \endcode
///
/// QvTime is a plain value: no locking. Get(std::string&) reads the local
/// time zone and is as thread-safe as the C library's localtime_r.
#ifndef QVBASE_QVTIME_H
#define QVBASE_QVTIME_H

#include <QvBase/QvExport.h>
#include <QvBase/QvPlatform.h>

#include <cstdint>
#include <iosfwd>
#include <string>
#include <type_traits>

/// A time stamp: a signed 64-bit count of microseconds since
/// 1970-01-01 00:00:00 UTC.
class QV_BASE_API QvTime {
 public:
  /// The current time, as SetCurrTime.
  QvTime();
  /// sec whole seconds and msec milliseconds since the epoch, as Set.
  QvTime(std::int32_t sec, std::int32_t msec);
  /// The time of a clock record: tb.time seconds and tb.millitm
  /// milliseconds (the full range of time_t, not only 32-bit seconds).
  QvTime(const struct _timeb& tb);
  /// usec microseconds since the epoch.
  constexpr QvTime(const std::int64_t& usec) : m_Time(usec) {}
  /// Copies the stamp.
  QvTime(const QvTime&) = default;
  /// Copies the stamp.
  QvTime& operator=(const QvTime&) = default;

  /// m_Time = sec x 1000000 + msec x 1000; msec is normally 0..999 but any
  /// value is accepted and added as it is.
  void Set(std::int32_t sec, std::int32_t msec);
  /// m_Time = usec.
  void Set(const std::int64_t& usec);
  /// Stores the microseconds in usec.
  void Get(std::int64_t& usec) const;
  /// Replaces text with the local time, ctime-style, with the microseconds
  /// of the second after a point: "Wed Jan 02 02:03:55.123000 1980\n".
  /// The field after the point is the microsecond count as it is, at
  /// least 3 wide, padded with blanks ("  0" for none, "5000" for 5 ms).
  /// Stamps before the epoch or past 2038 give their calendar time as far
  /// as the C library can tell it, or a plain count of microseconds; text
  /// is never left empty.
  void Get(std::string& text) const;

  /// Reads the clock (millisecond resolution).
  static QvTime GetCurrTime();
  /// This object takes the value of GetCurrTime().
  void SetCurrTime();

  /// \name Comparisons
  /// Of the microsecond counts, exact, with another stamp or with a count.
  /// \{

  /// Compares the microsecond counts exactly.
  bool operator<(const QvTime& t) const { return m_Time < t.m_Time; }
  bool operator>(const QvTime& t) const { return m_Time > t.m_Time; }
  bool operator<=(const QvTime& t) const { return m_Time <= t.m_Time; }
  bool operator>=(const QvTime& t) const { return m_Time >= t.m_Time; }
  bool operator==(const QvTime& t) const { return m_Time == t.m_Time; }
  bool operator!=(const QvTime& t) const { return m_Time != t.m_Time; }
  bool operator<(const std::int64_t& usec) const { return m_Time < usec; }
  bool operator>(const std::int64_t& usec) const { return m_Time > usec; }
  bool operator<=(const std::int64_t& usec) const { return m_Time <= usec; }
  bool operator>=(const std::int64_t& usec) const { return m_Time >= usec; }
  bool operator==(const std::int64_t& usec) const { return m_Time == usec; }
  bool operator!=(const std::int64_t& usec) const { return m_Time != usec; }
  /// \}
  /// Same as operator==: exact equality, no tolerance.
  bool IsSameTime(const QvTime& t) const { return m_Time == t.m_Time; }

  /// A stamp sec seconds later: (m_Time + sec x 1e6) computed in floating
  /// point, then truncated toward zero. This object is unchanged.
  QvTime operator+(const double& sec) const;
  /// A stamp sec seconds earlier: (m_Time - sec x 1e6), as operator+.
  QvTime operator-(const double& sec) const;
  /// Seconds from t to this stamp; the microsecond difference is formed
  /// exactly in 64-bit integers whenever it fits.
  double operator-(const QvTime& t) const;
  /// Adds sec seconds: sec x 1e6 is truncated toward zero first, then added
  /// in integers. So t + s and t += s can differ by one microsecond when
  /// the stamp and the span have opposite signs.
  QvTime& operator+=(const double& sec);
  /// Subtracts sec seconds, truncating the span first as operator+=.
  QvTime& operator-=(const double& sec);
  // Shifts whose result falls outside the 64-bit range stop at its ends
  // (a NaN span counts as 0); such results carry no meaning.

  static const QvTime ZERO_TIME;       ///< the epoch, 0 microseconds
  static const QvTime INF_TIME;        ///< 2^63 - 1: later than any clock time
  static const double ZERO_TIME_SPAN;  ///< 0.0 seconds
  static const double INF_TIME_SPAN;   ///< -99999.0: the "infinite" span

 protected:
  std::int64_t m_Time;  ///< microseconds since 1970-01-01 00:00:00 UTC
};

/// true when |a - b| < 1e-6 in single precision (9.99999997e-7), strictly.
/// false when either is NaN.
QV_BASE_API bool QvIsSameTimeSpan(double a, double b);
/// QvIsSameTimeSpan(a, QvTime::INF_TIME_SPAN).
QV_BASE_API bool QvIsInfTimeSpan(double a);
/// QvIsSameTimeSpan(a, QvTime::ZERO_TIME_SPAN).
QV_BASE_API bool QvIsZeroTimeSpan(double a);

/// \name Stream form of 64-bit values
/// Decimal digits with a leading "-" when negative, then one blank.
/// Reading takes one whitespace-delimited word and parses a number at its
/// start; a word without one leaves the target as it was (words longer
/// than 99 characters are consumed whole and parsed from their first 99).
/// These two are templates that accept exactly std::int64_t so that a
/// plain `os << v` or `is >> v` keeps the stream's own meaning; call them
/// by name to get this form:
/// \code
/// operator<<(os, v);   // "42 "
/// \endcode
/// \{

/// Writes value in the stream form.
template <typename T,
          std::enable_if_t<std::is_same_v<T, std::int64_t>, int> = 0>
QV_BASE_API std::ostream& operator<<(std::ostream& os, const T& value);
/// Reads value in the stream form.
template <typename T,
          std::enable_if_t<std::is_same_v<T, std::int64_t>, int> = 0>
QV_BASE_API std::istream& operator>>(std::istream& is, T& value);
/// \}

/// Writes the microseconds as the 64-bit form above, then a second blank:
/// "-42  ". A sequence of stamps written this way reads back in order.
QV_BASE_API std::ostream& operator<<(std::ostream& os, const QvTime& t);
/// Reads the microseconds as the 64-bit form above; a word without a
/// number leaves the stamp unchanged.
QV_BASE_API std::istream& operator>>(std::istream& is, QvTime& t);

#endif  // QVBASE_QVTIME_H
