// Number reading: a scanner recognises the plain decimal forms (optional
// sign, digits with an optional point, an optional complete exponent) and
// converts them with std::from_chars, which rounds correctly as the C
// library does. Every other form - hexadecimal, inf and nan, a dangling
// exponent, a value out of range - goes to sscanf in the "C" locale.
#include "text/NumberParse.h"

#include <charconv>
#include <cstring>
#include <string>
#include <system_error>

#include "frame/Platform.h"

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
  const char* At(std::size_t i) const { return s_ + i; }
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

// Finds the decimal number at the start of the text. On kValue, [*begin,
// *end) is the number without a leading '+'.
Fast ScanDecimal(const char* s, std::size_t n, std::size_t* begin,
                 std::size_t* end) {
  Cursor c(s, n);
  while (IsCSpace(c.Peek())) c.Skip();
  const char first = c.Peek();
  if (first == '+') c.Skip();
  *begin = c.Index();
  if (first == '-') c.Skip();
  const char lead = c.Peek();
  if (!IsDigit(lead) && lead != '.') {
    const bool special = lead == 'i' || lead == 'I' || lead == 'n' ||
                         lead == 'N';
    return special ? Fast::kUnsure : Fast::kNoNumber;
  }
  if (lead == '0' && (c.Peek(1) == 'x' || c.Peek(1) == 'X'))
    return Fast::kUnsure;
  std::size_t digits = c.SkipDigits();
  if (c.Peek() == '.') {
    c.Skip();
    digits += c.SkipDigits();
  }
  if (digits == 0) return Fast::kUnsure;
  if (c.Peek() == 'e' || c.Peek() == 'E') {
    const std::size_t sign = (c.Peek(1) == '+' || c.Peek(1) == '-') ? 1 : 0;
    if (!IsDigit(c.Peek(1 + sign))) return Fast::kUnsure;
    c.Skip(1 + sign);
    c.SkipDigits();
  }
  *end = c.Index();
  return Fast::kValue;
}

template <typename T>
Fast FastRead(const char* s, std::size_t n, T* value) {
  std::size_t begin = 0, end = 0;
  const Fast kind = ScanDecimal(s, n, &begin, &end);
  if (kind != Fast::kValue) return kind;
  T v{};
  const auto r = std::from_chars(s + begin, s + end, v);
  if (r.ec != std::errc() || r.ptr != s + end) return Fast::kUnsure;
  *value = v;
  return Fast::kValue;
}

// Hands the text to the C library as a zero-terminated copy.
template <typename T, typename Scan>
bool SlowRead(const char* s, std::size_t n, T* value, Scan scan) {
  if (n == kUntilNul) return scan(s, value) == 1;
  const std::size_t len = strnlen(s, n);
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
