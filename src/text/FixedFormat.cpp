// Fixed-point formatting by exact integer arithmetic. A finite double is
// m * 2^e with an integer m below 2^53; for |value| < 2^52 the exponent e is
// negative, and value * 10^N = m * 10^N / 2^-e with m * 10^N below 2^63 for
// N <= 3. The quotient and the remainder of that division give the digits
// and the exact rounding (half to even, as the C library rounds a value
// that lies exactly half-way).
#include "text/FixedFormat.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace qv::text {
namespace {

constexpr std::uint64_t kPow10[] = {1, 10, 100, 1000};

// Rounds |value| * 10^precision to an integer; |value| < 2^52.
std::uint64_t ScaledRound(double value, int precision) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  int shift;  // value = m / 2^shift
  if (biased == 0) {
    shift = 1074;
  } else {
    m |= std::uint64_t{1} << 52;
    shift = 1075 - biased;
  }
  const std::uint64_t n = m * kPow10[precision];
  if (shift >= 64) return 0;  // n < 2^63 <= half of 2^shift
  const std::uint64_t q = n >> shift;
  const std::uint64_t rem = n & ((std::uint64_t{1} << shift) - 1);
  const std::uint64_t half = std::uint64_t{1} << (shift - 1);
  if (rem > half || (rem == half && (q & 1))) return q + 1;
  return q;
}

// Writes the decimal digits of v backwards, ending just before `end`.
char* WriteDigits(char* end, std::uint64_t v, int minDigits) {
  int count = 0;
  do {
    *--end = static_cast<char>('0' + v % 10);
    v /= 10;
    ++count;
  } while (v != 0 || count < minDigits);
  return end;
}

}  // namespace

bool ParseFixedLayout(const char* format, FixedLayout* layout) {
  if (*format++ != '%') return false;
  FixedLayout s;
  while (*format == '-') {
    s.left = true;
    ++format;
  }
  if (*format >= '1' && *format <= '9') {
    s.width = *format++ - '0';
    if (*format >= '0' && *format <= '9')
      s.width = s.width * 10 + (*format++ - '0');
  }
  if (*format++ != '.') return false;
  if (*format < '0' || *format > '3') return false;
  s.precision = *format++ - '0';
  if (*format++ != 'f' || *format != '\0') return false;
  *layout = s;
  return true;
}

int FormatFixed(char* out, double value, const FixedLayout& layout) {
  const double magnitude = std::fabs(value);
  if (!(magnitude < 4503599627370496.0)) return -1;  // 2^52; also NaN
  if (layout.width >= static_cast<int>(kFixedMax)) return -1;
  std::uint64_t scaled = ScaledRound(magnitude, layout.precision);
  const std::uint64_t unit = kPow10[layout.precision];

  char digits[40];
  char* const end = digits + sizeof digits;
  char* p = end;
  if (layout.precision > 0) {
    p = WriteDigits(p, scaled % unit, layout.precision);
    *--p = '.';
  }
  p = WriteDigits(p, scaled / unit, 1);
  if (std::signbit(value)) *--p = '-';

  const int len = static_cast<int>(end - p);
  const int pad = layout.width > len ? layout.width - len : 0;
  char* o = out;
  if (!layout.left) {
    std::memset(o, ' ', static_cast<std::size_t>(pad));
    o += pad;
  }
  std::memcpy(o, p, static_cast<std::size_t>(len));
  o += len;
  if (layout.left) {
    std::memset(o, ' ', static_cast<std::size_t>(pad));
    o += pad;
  }
  *o = '\0';
  return static_cast<int>(o - out);
}

}  // namespace qv::text
