// Number reading. A front end does what sscanf does before the digits -
// skips the C locale's white space and a '+' - and hands the decimal
// forms to std::from_chars, which reads exactly the decimal forms that
// sscanf reads and rounds them correctly to nearest, as the C library
// does in that mode; a short text whose digits and power of ten are exact
// in a double is read on the spot by one rounded operation. Whatever the
// two could treat differently goes to sscanf in the "C" locale: inf and
// nan (a nan's payload), hexadecimal forms, an exponent letter that no
// complete exponent follows; and every text read in a directed rounding
// mode. A value out of range, which std::from_chars leaves unread, is
// infinity or zero, told by the text's power of ten. Flushing
// subnormals to zero or reading them as zero changes nothing here: the
// short decimals' operands and results are normal numbers, and
// std::from_chars, like the C library, builds a subnormal from its bits.
#include "text/NumberParse.h"

#include <cfloat>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include "frame/Platform.h"
#include "text/RoundingMode.h"
#include "text/SeparatorSet.h"

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

// Lower case of a letter (other characters change, but never into one of
// the letters asked about here).
char Lower(char c) {
  return static_cast<char>(c | 0x20);
}

// The powers of ten that a double holds exactly.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The value of a decimal whose digits (below 2^53) and power of ten (at most
// 22 either way) are exact in a double: one rounded multiplication or
// division gives the correctly rounded double.
double ExactDecimal(std::uint64_t digits, int exponent) {
  const double v = static_cast<double>(digits);
  return exponent < 0 ? v / kPow10[-exponent] : v * kPow10[exponent];
}

// The float nearest to the decimal x whose correctly rounded double is d,
// when d tells it: rounding d to float gives the float nearest to x unless
// d lies exactly half-way between two floats while x may not. All such d
// here are normal floats' neighbours (between 1e-22 and 2^53 * 1e22).
bool NarrowExact(double d, float* out) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  constexpr std::uint64_t kBelowFloat = (std::uint64_t{1} << 29) - 1;
  if ((bits & kBelowFloat) == std::uint64_t{1} << 28) return false;
  *out = static_cast<float>(d);
  return true;
}
bool NarrowExact(double d, double* out) {
  *out = d;
  return true;
}

// Rounded to nearest, a value of at least 10^kOver is past T's largest
// finite value by more than half a unit in the last place (infinity), and
// one below 10^kUnder is under half T's smallest subnormal (zero).
template <typename T>
struct Range;
template <>
struct Range<double> {
  static constexpr int kOver = 309, kUnder = -325;
};
template <>
struct Range<float> {
  static constexpr int kOver = 39, kUnder = -46;
};

// How far ShortDecimal got with a decimal form that it gave up.
enum class Short {
  kValue,         // read
  kNoDigits,      // no digit in the mantissa
  kBadExponent,   // an exponent letter that no digit follows
  kLongWhole,     // a 17th digit before the point, at *at
  kLongFraction,  // a 17th digit behind the point, at *at
  kInexact,       // a form up to *at that needs rounding, within reach of
                  // T's range
  kScan,          // nothing is known
};

// A short plain decimal at p (past its sign): at most 16 digits with an
// optional point, and an optional exponent, whose digits (below 2^53) and
// power of ten (at most 22 either way) are exact in a double, or whose
// value lies so far out of T's range that it is infinity or zero. For
// anything else, nothing is written and the result tells how far it got,
// with *at where it stopped; a longer run of digits is given up at its
// 17th. The scan stops at the first character that cannot continue a
// number.
template <typename T>
Short ShortDecimal(const char* p, bool negative, T* out, const char** at) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
  std::uint64_t digits = 0;
  int room = 16;
  const char* const first = p;
  for (; IsDigit(*p); ++p) {
    if (--room < 0) {
      *at = p;
      return Short::kLongWhole;
    }
    digits = digits * 10 + static_cast<unsigned>(*p - '0');
  }
  bool any = p != first;
  int exponent = 0;
  if (*p == '.') {
    const char* const fraction = ++p;
    for (; IsDigit(*p); ++p) {
      if (--room < 0) {
        *at = p;
        return Short::kLongFraction;
      }
      digits = digits * 10 + static_cast<unsigned>(*p - '0');
    }
    exponent = static_cast<int>(fraction - p);
    any = any || exponent != 0;
  }
  if (!any) return Short::kNoDigits;
  if (Lower(*p) == 'e') {
    const char sign = *++p;
    if (sign == '+' || sign == '-') ++p;
    int written = 0, k = 0;
    for (; k < 4 && IsDigit(p[k]); ++k) written = written * 10 + (p[k] - '0');
    if (k == 0) return Short::kBadExponent;
    if (k == 4)  // a long one, held far out of range
      for (; IsDigit(p[k]); ++k)
        if (written < 100000) written = written * 10 + (p[k] - '0');
    exponent += sign == '-' ? -written : written;
    p += k;
  }
  T v;
  if (digits > (std::uint64_t{1} << 53) || exponent < -22 || exponent > 22 ||
      !NarrowExact(ExactDecimal(digits, exponent), &v)) {
    // Rounded to nearest, digits * 10^exponent (digits below 10^16) is
    // infinity or zero from some way out of T's range on.
    if (digits == 0 || exponent + 16 <= Range<T>::kUnder) {
      v = 0;
    } else if (exponent >= Range<T>::kOver) {
      v = std::numeric_limits<T>::infinity();
    } else {
      *at = p;
      return Short::kInexact;
    }
  }
  *out = negative ? -v : v;
  *at = p;
  return Short::kValue;
#else
  (void)p;
  (void)negative;
  (void)out;
  (void)at;
  return Short::kScan;
#endif
}

constexpr long long kFar = 1000000000000;

// The end of the exponent at p (at its letter, if any), added to *power;
// null for an exponent letter that no digit follows.
const char* ScanExponent(const char* p, long long* power) {
  if (Lower(*p) != 'e') return p;
  const char* e = p + 1;
  const bool negative = *e == '-';
  if (*e == '+' || *e == '-') ++e;
  if (!IsDigit(*e)) return nullptr;
  long long exponent = 0;
  for (; IsDigit(*e); ++e)
    if (exponent < kFar) exponent = exponent * 10 + (*e - '0');
  *power += negative ? -exponent : exponent;
  return e;
}

// A decimal form [digits][.digits][(e|E)[sign]digits] at p as
// std::from_chars reads it: where it ends (null when an exponent letter
// has no digit after it), whether its mantissa holds a digit and one other
// than 0, and the power of ten of that digit (saturated far past any
// floating-point range either way).
struct DecimalForm {
  const char* stop = nullptr;
  long long power = 0;
  bool anyDigit = false;
  bool nonZero = false;
};

// (Out of line: it serves the rare forms, which should not cost the usual
// ones registers.)
[[gnu::noinline, gnu::cold]] DecimalForm ScanDecimal(const char* p) {
  DecimalForm form;
  const char* const whole = p;
  while (*p == '0') ++p;
  const char* const first = p;
  while (IsDigit(*p)) ++p;
  form.anyDigit = p != whole;
  form.nonZero = p != first;
  form.power = (p - first) - 1;
  if (*p == '.') {
    const char* const fraction = ++p;
    if (!form.nonZero) {  // no digit but 0 before the point
      while (*p == '0') ++p;
      form.power = -(p - fraction) - 1;
    }
    const char* const rest = p;
    while (IsDigit(*p)) ++p;
    form.anyDigit = form.anyDigit || p != fraction;
    form.nonZero = form.nonZero || p != rest;
  }
  form.stop = form.anyDigit ? ScanExponent(p, &form.power) : p;
  return form;
}

// The decimal form at p (at its sign) that ShortDecimal gave up at `at`. A
// value so far out of T's range that, rounded to nearest, it is infinity or
// zero is told so by the form's power of ten; the rest std::from_chars reads,
// up to the form's end. A long form's power is bounded from above by the count
// of its whole digits, and is that bound when the form starts with a digit
// other than 0. A function of its own, so that the short texts' path pays
// nothing for it.
template <typename T>
[[gnu::noinline]] Fast LongDecimal(const char* p, Short kind, const char* at,
                                   T* value, const char** stop) {
  const bool negative = *p == '-';
  const char* const lead = p + negative;
  if (kind == Short::kNoDigits) return Fast::kNoNumber;
  if (kind == Short::kBadExponent) return Fast::kUnsure;  // the C library's
  const char* end = at;
  if (kind == Short::kScan) {
    const DecimalForm form = ScanDecimal(lead);
    if (!form.anyDigit) return Fast::kNoNumber;
    end = form.stop;
  } else if (kind != Short::kInexact) {
    long long upper;  // at least the power of the leading digit
    const char* q = at;
    if (kind == Short::kLongWhole) {
      while (IsDigit(*q)) ++q;
      upper = q - lead - 1;
      if (*q == '.') ++q;
    } else {
      const char* point = lead;
      while (*point != '.') ++point;
      upper = point - lead - 1;
    }
    while (IsDigit(*q)) ++q;
    end = ScanExponent(q, &upper);
    const bool exact = *lead != '0' && *lead != '.';
    if (end != nullptr &&
        (upper < Range<T>::kUnder || (exact && upper >= Range<T>::kOver))) {
      const T v = upper < 0 ? T(0) : std::numeric_limits<T>::infinity();
      *value = negative ? -v : v;
      *stop = end;
      return Fast::kValue;
    }
  }
  if (end == nullptr) return Fast::kUnsure;  // the C library decides
  T v;
  const auto r = std::from_chars(p, end, v);
  if (r.ptr != end) return Fast::kUnsure;
  if (r.ec != std::errc()) {
    // Out of range: infinity or zero, told by the power of ten of the
    // leading digit, which lies hundreds of powers away from 0.
    if (r.ec != std::errc::result_out_of_range) return Fast::kUnsure;
    v = ScanDecimal(lead).power >= 0 ? std::numeric_limits<T>::infinity()
                                     : T(0);
    if (negative) v = -v;
  }
  *value = v;
  *stop = end;
  return Fast::kValue;
}

// Reads the number at the start of the text s, which ends at its first zero
// byte (limit null) or at limit (readable, white space or zero; a text that
// starts with white space has it skipped up to there only). *stop is where
// the number ends, with a value.
template <typename T>
Fast FastRead(const char* s, const char* limit, T* value, const char** stop) {
  const char* p = s;
  while (p != limit && IsCSpace(*p)) ++p;
  if (p == limit) return Fast::kNoNumber;
  if (*p == '+') {
    ++p;
    // std::from_chars takes no '+', and sscanf no sign after it.
    if (*p == '-') return Fast::kNoNumber;
  }
  const bool negative = *p == '-';
  const char* const lead = p + negative;
  const char c = Lower(*lead);
  if (c == 'i' || c == 'n') return Fast::kUnsure;
  if (c == '0' && Lower(lead[1]) == 'x') return Fast::kUnsure;
  const char* at = nullptr;
  const Short kind = ShortDecimal(lead, negative, value, &at);
  if (kind == Short::kValue) {
    *stop = at;
    return Fast::kValue;
  }
  return LongDecimal(p, kind, at, value, stop);
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
bool Read(const char* s, T* value, Scan scan) {
  const char* stop;
  if (RoundsToNearest()) {
    switch (FastRead(s, nullptr, value, &stop)) {
      case Fast::kValue:
        return true;
      case Fast::kNoNumber:
        return false;
      case Fast::kUnsure:
        break;
    }
  }
  return scan(s, value) == 1;
}

// The white-space word of `text` that starts at `begin` (not white space)
// read in place: the number is read first, up to the text's end, and the
// word's end is looked for from where the number stops, mostly right
// there. Only what the C library reads goes by the word's bounds.
template <typename T, typename Scan>
bool ReadWord(const std::string& text, std::size_t begin, std::size_t* end,
              T* value, Scan scan) {
  const char* const s = text.data();
  const std::size_t n = text.size();
  const auto wordEnd = [s, n](std::size_t from) {
    return FindSeparatorBy(s, from, n, WhiteTest(), ' ' + 1);
  };
  const char* stop = s + begin + 1;
  // A word that starts with C white space (\v, \f) has sscanf skip it,
  // which must not run on into the next word: the C library reads those.
  if (RoundsToNearest() && !IsCSpace(s[begin])) {
    switch (FastRead(s + begin, s + n, value, &stop)) {
      case Fast::kValue:
        *end = wordEnd(static_cast<std::size_t>(stop - s));
        return true;
      case Fast::kNoNumber:
        *end = wordEnd(begin + 1);
        return false;
      case Fast::kUnsure:
        break;
    }
  }
  *end = wordEnd(begin + 1);
  return SlowRead(s + begin, *end - begin, value, scan);
}

bool IsIntegerChar(char c) {
  return IsDigit(c) || c == '+' || c == '-';
}

// One pass over the text: the leading sign and digits that "%d" reads, and
// the character check over all of it. `AtEnd` tells where the text ends;
// the sign and the digits stop at its end by themselves.
template <typename AtEnd>
bool ReadIntBy(const char* s, AtEnd atEnd, std::size_t n, int* value) {
  const char* p = s;
  const bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  const char* const digits = p;
  std::uint64_t v = 0;
  for (; IsDigit(*p); ++p) v = v * 10 + static_cast<unsigned>(*p - '0');
  const char* const stop = p;
  for (; !atEnd(p); ++p)
    if (!IsIntegerChar(*p)) return false;
  if (stop == digits) return false;  // no digit after the sign
  if (stop - digits > 9) {
    const char* significant = digits;
    while (*significant == '0') ++significant;
    // Past nine digits an int may overflow: the C library's own result.
    if (stop - significant > 9)
      return SlowRead(s, n, value, qv::platform::ScanIntInCLocale);
  }
  const int i = static_cast<int>(v);
  *value = negative ? -i : i;
  return true;
}

}  // namespace

bool ReadDouble(const char* text, double* value) {
  return Read(text, value, qv::platform::ScanDoubleInCLocale);
}

bool ReadFloat(const char* text, float* value) {
  return Read(text, value, qv::platform::ScanFloatInCLocale);
}

bool ReadWordDouble(const std::string& text, std::size_t begin,
                    std::size_t* end, double* value) {
  return ReadWord(text, begin, end, value, qv::platform::ScanDoubleInCLocale);
}

bool ReadWordFloat(const std::string& text, std::size_t begin, std::size_t* end,
                   float* value) {
  return ReadWord(text, begin, end, value, qv::platform::ScanFloatInCLocale);
}

bool ReadIntWord(const char* s, std::size_t n, int* value) {
  if (n == kUntilNul)
    return ReadIntBy(
        s, [](const char* p) { return *p == '\0'; }, n, value);
  const char* const end = s + n;
  return ReadIntBy(
      s, [end](const char* p) { return p == end; }, n, value);
}

}  // namespace qv::text
