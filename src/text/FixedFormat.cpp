// Fixed-point formatting. Values whose scaled form |value| * 10^N is below
// 2^64 (the usual coordinates) are written by exact integer arithmetic: a
// finite double below 2^53 in magnitude is m / 2^s with integers m < 2^53
// and s > 0, so value * 10^N = m * 10^N / 2^s, and the quotient and
// remainder of that division give the digits and the exact rounding (half
// to even, as the C library rounds a value exactly half-way). A value of
// 2^52 or more is a whole number m * 2^s, whose digits WholeText writes:
// by integer arithmetic below 2^128 (below 2^64 without a 128-bit type),
// by std::to_chars(fixed, 0) above. Every other value goes to
// std::to_chars(fixed, N), which writes the exact decimal expansion
// rounded the same way.
#include "text/FixedFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace qv::text {
namespace {

constexpr int kMaxField = 4096;

#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 Wide;
constexpr int kMaxExactPrecision = 9;  // m * 10^9 < 2^83
#else
typedef std::uint64_t Wide;
constexpr int kMaxExactPrecision = 3;  // m * 10^3 < 2^63
#endif

// 10^0 to 10^38 (to 10^19 where Wide has 64 bits).
struct Pow10Table {
  Wide p[39];
  constexpr Pow10Table() : p() {
    Wide v = 1;
    for (int i = 0; i < 39 && (i < 20 || sizeof(Wide) > 8); ++i, v *= 10)
      p[i] = v;
  }
};
constexpr Pow10Table kPow10Table;
constexpr const Wide* kPow10 = kPow10Table.p;

// |value| * 10^precision rounded to an integer, when |value| < 2^53 and the
// result is below 2^64; false otherwise.
bool ScaledRound(double value, int precision, std::uint64_t* out) {
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
  if (shift <= 0) return false;  // 2^53 or more, or not finite
  const Wide n = static_cast<Wide>(m) * kPow10[precision];
  constexpr int kBits = static_cast<int>(sizeof(Wide) * 8);
  if (shift >= kBits) {  // n < 2^(kBits - 1) <= half of 2^shift
    *out = 0;
    return true;
  }
  const Wide q = n >> shift;
  const Wide rem = n & ((Wide{1} << shift) - 1);
  const Wide half = Wide{1} << (shift - 1);
  const Wide r = rem > half || (rem == half && (q & 1)) ? q + 1 : q;
  if ((r >> 32) >> 32 != 0) return false;  // 2^64 or more
  *out = static_cast<std::uint64_t>(r);
  return true;
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

// The text by integer arithmetic into `out`, unpadded; 0 when the value
// is outside its reach.
std::size_t FormatScaled(char* out, double value, int precision) {
  std::uint64_t scaled;
  if (precision > kMaxExactPrecision ||
      !ScaledRound(std::fabs(value), precision, &scaled))
    return 0;
  const auto unit = static_cast<std::uint64_t>(kPow10[precision]);
  char digits[48];
  char* const end = digits + sizeof digits;
  char* p = end;
  if (precision > 0) {
    p = WriteDigits(p, scaled % unit, precision);
    *--p = '.';
  }
  p = WriteDigits(p, scaled / unit, 1);
  if (std::signbit(value)) *--p = '-';
  const auto len = static_cast<std::size_t>(end - p);
  std::memcpy(out, p, len);
  return len;
}

// "00" to "99", for writing two digits at a time.
constexpr char kDigitPairs[] =
    "0001020304050607080910111213141516171819202122232425262728293031323334"
    "3536373839404142434445464748495051525354555657585960616263646566676869"
    "707172737475767778798081828384858687888990919293949596979899";

// Writes the decimal digits of v backwards, two at a time, ending just
// before `end`.
char* WritePairs(char* end, std::uint64_t v) {
  while (v >= 100) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * (v % 100), 2);
    v /= 100;
  }
  if (v >= 10) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * v, 2);
  } else {
    *--end = static_cast<char>('0' + v);
  }
  return end;
}

// Writes the 8 digits of v < 10^8 at `out`, in pairs that do not wait for
// each other.
void Write8(char* out, std::uint32_t v) {
  const std::uint32_t hi = v / 10000, lo = v % 10000;
  std::memcpy(out, kDigitPairs + 2 * (hi / 100), 2);
  std::memcpy(out + 2, kDigitPairs + 2 * (hi % 100), 2);
  std::memcpy(out + 4, kDigitPairs + 2 * (lo / 100), 2);
  std::memcpy(out + 6, kDigitPairs + 2 * (lo % 100), 2);
}

constexpr std::uint64_t k10e8 = 100000000, k10e16 = k10e8 * k10e8;

// Writes the digits of v backwards, ending just before `end`: 16 at a time
// while more remain, then the leading ones.
char* WriteWholeDigits(char* end, std::uint64_t v) {
  while (v >= k10e16) {
    const std::uint64_t q = v / k10e16, r = v - q * k10e16;
    end -= 16;
    Write8(end, static_cast<std::uint32_t>(r / k10e8));
    Write8(end + 8, static_cast<std::uint32_t>(r % k10e8));
    v = q;
  }
  return WritePairs(end, v);
}

// Reads up to kMaxField from the digits at f; false past it.
bool ReadField(const char*& f, int* value) {
  int v = 0;
  while (*f >= '0' && *f <= '9') {
    v = v * 10 + (*f++ - '0');
    if (v > kMaxField) return false;
  }
  *value = v;
  return true;
}

}  // namespace

bool ParseFixedLayout(const char* format, FixedLayout* layout) {
  if (format[0] == '%' && format[1] == '.' && format[2] >= '0' &&
      format[2] <= '9' && format[3] == 'f' && format[4] == '\0') {
    *layout = FixedLayout{0, format[2] - '0', false};  // "%.Nf"
    return true;
  }
  if (*format++ != '%') return false;
  FixedLayout s;
  while (*format == '-') {
    s.left = true;
    ++format;
  }
  // A width starts with 1 to 9: a leading 0 is the zero-padding flag.
  if (*format >= '1' && *format <= '9' && !ReadField(format, &s.width))
    return false;
  if (*format == '.' && !ReadField(++format, &s.precision)) return false;
  if (*format == 'l') ++format;  // no effect on f
  if (*format++ != 'f' || *format != '\0') return false;
  *layout = s;
  return true;
}

std::size_t WholeText(char* out, double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  // |value| = m * 2^shift, of 53 + shift bits.
  const int shift = static_cast<int>((bits >> 52) & 0x7ff) - 1075;
  const std::uint64_t m =
      (bits & ((std::uint64_t{1} << 52) - 1)) | std::uint64_t{1} << 52;
  const std::size_t sign = bits >> 63;
  // A number of b + 1 bits, b < 128, has floor(b log10 2) + 1 digits or
  // one more; (b * 1233) >> 12 is that floor for every such b.
  int digits = (((52 + shift) * 1233) >> 12) + 1;
  char* end;
  if (shift <= 11) {  // below 2^64
    const std::uint64_t v = m << shift;
    if (digits < 20 && v >= kPow10[digits]) ++digits;
    end = out + sign + digits;
    WriteWholeDigits(end, v);
#if defined(__SIZEOF_INT128__)
  } else if (shift <= 75) {  // below 2^128
    Wide v = static_cast<Wide>(m) << shift;
    if (digits < 39 && v >= kPow10[digits]) ++digits;
    end = out + sign + digits;
    char* p = end;
    while ((v >> 64) != 0) {  // 16 digits off by a wide division
      const Wide q = v / k10e16;
      const auto r = static_cast<std::uint64_t>(v - q * k10e16);
      p -= 16;
      Write8(p, static_cast<std::uint32_t>(r / k10e8));
      Write8(p + 8, static_cast<std::uint32_t>(r % k10e8));
      v = q;
    }
    WriteWholeDigits(p, static_cast<std::uint64_t>(v));
#endif
  } else {
    return static_cast<std::size_t>(
        std::to_chars(out, out + IntegerBound(value), value,
                      std::chars_format::fixed, 0)
            .ptr -
        out);
  }
  if (sign != 0) *out = '-';
  return static_cast<std::size_t>(end - out);
}

std::size_t FixedBound(double value, const FixedLayout& layout) {
  std::size_t n = IntegerBound(value);
  if (layout.precision > 0) n += 1 + static_cast<std::size_t>(layout.precision);
  const auto width = static_cast<std::size_t>(layout.width);
  return n > width ? n : width;
}

std::size_t FormatFixed(char* out, std::size_t bound, double value,
                        const FixedLayout& layout) {
  std::size_t len = FormatScaled(out, value, layout.precision);
  if (len == 0)
    len = static_cast<std::size_t>(std::to_chars(out, out + bound, value,
                                                 std::chars_format::fixed,
                                                 layout.precision)
                                       .ptr -
                                   out);
  const auto width = static_cast<std::size_t>(layout.width);
  if (width > len) {
    const std::size_t pad = width - len;
    if (layout.left) {
      std::memset(out + len, ' ', pad);
    } else {
      std::memmove(out + pad, out, len);
      std::memset(out, ' ', pad);
    }
    len = width;
  }
  out[len] = '\0';
  return len;
}

}  // namespace qv::text
