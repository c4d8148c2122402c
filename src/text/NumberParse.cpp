// Number reading: a scanner recognises the plain decimal forms (optional
// sign, digits with an optional point, an optional complete exponent).
// Short ones whose digits and power of ten are exact take one rounded
// multiplication or division; the rest go to std::from_chars, which rounds
// correctly to nearest as the C library does in that mode. Every other
// form - hexadecimal, inf and nan, a dangling exponent, a value out of
// range - and every text read in a directed rounding mode goes to sscanf
// in the "C" locale.
#include "text/NumberParse.h"

#include <cfloat>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

#include "frame/Platform.h"
#include "text/RoundingMode.h"

namespace qv::text {
namespace {

enum class Fast { kValue, kNoNumber, kUnsure };

bool IsDigit(char c) {
  return static_cast<unsigned>(c - '0') < 10u;
}

// The C locale's isspace set.
bool IsCSpace(char c) {
  return c == ' ' || static_cast<unsigned>(c - '\t') < 5u;
}

class Cursor {
 public:
  Cursor(const char* s, std::size_t n) : s_(s), n_(n) {}
  char Peek(std::size_t ahead = 0) const {
    const std::size_t i = i_ + ahead;
    return i < n_ ? s_[i] : '\0';
  }
  void Skip(std::size_t k = 1) { i_ += k; }
  std::size_t Index() const { return i_; }
  std::size_t SkipDigits() {
    const std::size_t from = i_;
    while (IsDigit(Peek())) ++i_;
    return i_ - from;
  }

 private:
  const char* s_;
  std::size_t n_;
  std::size_t i_ = 0;
};

// A decimal number found at the start of a text: [begin, end) without a
// leading '+', and its value as digits * 10^exponent when the digits fit.
struct Decimal {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::uint64_t digits = 0;  // the first 19 significant digits
  int significant = 0;       // count of significant digits (may pass 19)
  int exponent = 0;          // meaningful when significant <= 19
  bool negative = false;
  bool wideExponent = false;  // the written exponent has over 5 digits
};

// Finds the decimal number at the start of the text. Past the leading
// white space the scan reads up to the first character that cannot
// continue a number, which comes at s[n] at the latest (see the header).
Fast ScanDecimal(const char* s, std::size_t n, Decimal* d) {
  const char* p = s;
  if (n == kUntilNul) {
    while (IsCSpace(*p)) ++p;
  } else {
    const char* const end = s + n;
    while (p < end && IsCSpace(*p)) ++p;
    if (p == end) return Fast::kNoNumber;
  }
  const char first = *p;
  if (first == '+') ++p;
  d->begin = static_cast<std::size_t>(p - s);
  d->negative = first == '-';
  if (d->negative) ++p;
  const char lead = *p;
  if (!IsDigit(lead) && lead != '.') {
    const bool special =
        lead == 'i' || lead == 'I' || lead == 'n' || lead == 'N';
    return special ? Fast::kUnsure : Fast::kNoNumber;
  }
  if (lead == '0' && (p[1] == 'x' || p[1] == 'X')) return Fast::kUnsure;

  const char* const mantissa = p;
  while (*p == '0') ++p;
  std::uint64_t digits = 0;
  const char* const firstSignificant = p;
  while (IsDigit(*p)) {
    digits = digits * 10 + static_cast<unsigned>(*p - '0');
    ++p;
  }
  int significant = static_cast<int>(p - firstSignificant);
  int exponent = 0;
  bool anyDigit = p != mantissa;
  if (*p == '.') {
    ++p;
    if (significant == 0) {
      const char* const zeros = p;
      while (*p == '0') ++p;
      exponent -= static_cast<int>(p - zeros);
      anyDigit = anyDigit || p != zeros;
    }
    const char* const fraction = p;
    while (IsDigit(*p)) {
      digits = digits * 10 + static_cast<unsigned>(*p - '0');
      ++p;
    }
    const int taken = static_cast<int>(p - fraction);
    significant += taken;
    exponent -= taken;
    anyDigit = anyDigit || taken > 0;
  }
  if (!anyDigit) return Fast::kUnsure;
  if (*p == 'e' || *p == 'E') {
    const char sign = p[1];
    const int skip = (sign == '+' || sign == '-') ? 2 : 1;
    if (!IsDigit(p[skip])) return Fast::kUnsure;
    p += skip;
    const char* const from = p;
    int e = 0;
    while (IsDigit(*p)) {
      if (p - from < 6) e = e * 10 + (*p - '0');
      ++p;
    }
    d->wideExponent = p - from > 5;
    exponent += sign == '-' ? -e : e;
  }
  // Past 19 significant digits `digits` has wrapped; the exact path is
  // then not taken.
  d->digits = digits;
  d->significant = significant;
  d->exponent = exponent;
  d->end = static_cast<std::size_t>(p - s);
  return Fast::kValue;
}

// Exact powers of ten as doubles and floats.
constexpr double kPow10D[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr float kPow10F[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                             1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// Limits within which a type holds the digits and the power of ten
// exactly: the mantissa's reach and the largest exact power of ten.
template <typename T>
struct ExactLimits;
template <>
struct ExactLimits<double> {
  static constexpr std::uint64_t kMaxDigits = std::uint64_t{1} << 53;
  static constexpr int kMaxExponent = 22;
  static constexpr const double* kPow10 = kPow10D;
};
template <>
struct ExactLimits<float> {
  static constexpr std::uint64_t kMaxDigits = std::uint64_t{1} << 24;
  static constexpr int kMaxExponent = 10;
  static constexpr const float* kPow10 = kPow10F;
};

// A value whose digits and power of ten are both exact in the type is
// correctly rounded by one multiplication or division (the floating-point
// operation rounds once). Needs arithmetic in the type's own precision.
template <typename T>
bool ExactValue(const Decimal& d, T* out) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
  using L = ExactLimits<T>;
  if (d.significant > 19 || d.wideExponent) return false;
  if (d.digits > L::kMaxDigits) return false;
  if (d.exponent < -L::kMaxExponent || d.exponent > L::kMaxExponent)
    return false;
  T v = static_cast<T>(d.digits);
  v = d.exponent < 0 ? v / L::kPow10[-d.exponent] : v * L::kPow10[d.exponent];
  *out = d.negative ? -v : v;
  return true;
#else
  (void)d;
  (void)out;
  return false;
#endif
}

template <typename T>
Fast FastRead(const char* s, std::size_t n, T* value) {
  Decimal d;
  const Fast kind = ScanDecimal(s, n, &d);
  if (kind != Fast::kValue) return kind;
  if (ExactValue(d, value)) return Fast::kValue;
  T v{};
  const auto r = std::from_chars(s + d.begin, s + d.end, v);
  if (r.ec != std::errc() || r.ptr != s + d.end) return Fast::kUnsure;
  *value = v;
  return Fast::kValue;
}

// Hands the text to the C library as a zero-terminated copy.
template <typename T, typename Scan>
bool SlowRead(const char* s, std::size_t n, T* value, Scan scan) {
  if (n == kUntilNul) return scan(s, value) == 1;
  const void* zero = std::memchr(s, '\0', n);
  const std::size_t len =
      zero != nullptr
          ? static_cast<std::size_t>(static_cast<const char*>(zero) - s)
          : n;
  char small[128];
  std::string big;
  const char* text = small;
  if (len < sizeof small) {
    std::memcpy(small, s, len);
    small[len] = '\0';
  } else {
    big.assign(s, len);
    text = big.c_str();
  }
  return scan(text, value) == 1;
}

template <typename T, typename Scan>
bool Read(const char* s, std::size_t n, T* value, Scan scan) {
  if (!RoundsToNearest()) return SlowRead(s, n, value, scan);
  switch (FastRead(s, n, value)) {
    case Fast::kValue:
      return true;
    case Fast::kNoNumber:
      return false;
    case Fast::kUnsure:
      break;
  }
  return SlowRead(s, n, value, scan);
}

}  // namespace

bool ReadDouble(const char* s, std::size_t n, double* value) {
  return Read(s, n, value, qv::platform::ScanDoubleInCLocale);
}

bool ReadFloat(const char* s, std::size_t n, float* value) {
  return Read(s, n, value, qv::platform::ScanFloatInCLocale);
}

bool ReadInt(const char* s, std::size_t n, int* value) {
  Cursor c(s, n);
  while (IsCSpace(c.Peek())) c.Skip();
  const bool negative = c.Peek() == '-';
  if (negative || c.Peek() == '+') c.Skip();
  if (!IsDigit(c.Peek())) return false;
  while (c.Peek() == '0') c.Skip();
  const std::size_t from = c.Index();
  if (c.SkipDigits() <= 9) {
    // Nine digits always fit an int; longer runs take the C library's
    // own overflow behaviour.
    int v = 0;
    for (std::size_t i = from; i < c.Index(); ++i) v = v * 10 + (s[i] - '0');
    *value = negative ? -v : v;
    return true;
  }
  return SlowRead(s, n, value, qv::platform::ScanIntInCLocale);
}

bool IsIntegerChars(const char* s, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const char c = s[i];
    if (c == '\0' && n == kUntilNul) return true;
    if (!IsDigit(c) && c != '+' && c != '-') return false;
  }
  return true;
}

}  // namespace qv::text
