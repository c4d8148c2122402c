#include "NumberCases.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace qvtest {

std::uint64_t NumberCases::Next() {
  // splitmix64: the same sequence on every platform.
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::string NumberCases::Digits(int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += static_cast<char>('0' + Below(10));
  return s;
}

std::string NumberCases::Mantissa() {
  std::string s(static_cast<std::size_t>(Below(8) == 0 ? Below(5) : 0), '0');
  const int shape = Below(100);
  int intDigits = Below(8);
  int fracDigits = Below(8);
  if (shape < 3) intDigits = 300 + Below(500);  // very long runs
  if (shape >= 3 && shape < 6) fracDigits = 300 + Below(500);
  s += Digits(intDigits);
  if (Below(4) != 0) s += '.';
  if (s.back() == '.' || Below(2)) s += Digits(fracDigits);
  return s;
}

std::string NumberCases::RealWord() {
  static const char* const kSpecial[] = {
      "inf",      "infinity", "nan",       "nan(123)",
      "nan()",    "infinit",  "in",        "na",
      "nan(x",    "0x",       "0x.",       "0x1p",
      "0xp3",     "0x1.8p3",  "0X1P-1074", "0x1.fffffffffffffp1023",
      "0x1p1024", ".",        "+",         "-",
      "+-1",      "e5",       ".e1",       "-.5e-3",
      "1e",       "1e+",      "1E-",       "1.e2"};
  static const char* const kTail[] = {"",   "",  "",   "x",  "kg",  "e",
                                      "E+", ".", ",5", "-1", "\t7", "e-x",
                                      "p3", "i", "0x", "."};
  std::string w;
  const int lead = Below(16);
  if (lead == 0) w += ' ';
  if (lead == 1) w += "\t\n\v\f\r ";
  const int sign = Below(6);
  if (sign == 0) w += '-';
  if (sign == 1) w += '+';
  const int kind = Below(40);
  if (kind < 4) {
    std::string s = kSpecial[Below(sizeof kSpecial / sizeof *kSpecial)];
    for (char& c : s)
      if (Below(2))
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    w += s;
  } else if (kind < 10) {
    // A random bit pattern written out in one of the C library's forms.
    double d;
    const std::uint64_t bits = Next();
    std::memcpy(&d, &bits, sizeof d);
    char buf[128];
    static const char* const kForms[] = {"%.17g", "%.6e", "%a", "%.25g",
                                         "%.3g"};
    std::snprintf(buf, sizeof buf, kForms[Below(5)], std::fabs(d));
    // The same words under every process locale: a decimal comma of the
    // locale becomes the point.
    for (char* p = buf; *p; ++p)
      if (*p == ',') *p = '.';
    w += buf;
  } else {
    w += Mantissa();
    if (Below(3) == 0) {
      w += Below(2) ? 'e' : 'E';
      const int es = Below(4);
      if (es == 0) w += '-';
      if (es == 1) w += '+';
      const int ek = Below(20);
      if (ek == 0)
        w += Digits(12);  // far out of range
      else if (ek < 4)
        w += std::to_string(280 + Below(60));  // near overflow, denormals
      else if (ek < 5)
        w += "0000" + Digits(3);
      else
        w += Digits(1 + Below(2));
    }
  }
  w += kTail[Below(sizeof kTail / sizeof *kTail)];
  return w;
}

std::string NumberCases::IntWord() {
  static const char kChars[] = "0123456789+-";
  const int kind = Below(10);
  std::string w;
  if (kind < 6) {
    if (Below(3) == 0) w += "+-"[Below(2)];
    if (Below(5) == 0)
      w += std::string(static_cast<std::size_t>(Below(12)), '0');
    const int len = Below(10) == 0 ? 10 + Below(15) : 1 + Below(10);
    w += Digits(len);
  } else if (kind < 9) {
    const int len = Below(8);
    for (int i = 0; i < len; ++i) w += kChars[Below(12)];
  } else {
    w = RealWord();
  }
  return w;
}

std::string NumberCases::Format() {
  if (Below(4) == 0) return "%.3f";
  std::string f = "%";
  if (Below(3) == 0) f += '-';
  if (Below(2)) f += std::to_string(Below(25));
  if (Below(12) != 0) f += "." + std::to_string(Below(11));
  if (f.size() > 1 && f[1] == '-' && f.size() > 2 && f[2] == '0')
    f.erase(2, 1);  // "-0" would be read as a zero flag after '-'
  return f + 'f';
}

double NumberCases::Value(int precision) {
  const int kind = Below(20);
  if (kind < 6) {
    // An exact half at the last shown decimal: odd / 2^(p+1) times 10^p
    // is odd * 5^p / 2, so the C library must round a tie.
    const int p = precision > 10 ? 10 : precision;
    const double unit = std::ldexp(1.0, -(p + 1));
    const double odd = static_cast<double>(2 * Below(1 << 20) + 1);
    double v = odd * unit + static_cast<double>(Below(100000));
    return Below(2) ? -v : v;
  }
  if (kind < 8) {
    // Zeros, infinities, NaN, the smallest and largest, 2^52 neighbours,
    // halves at the third decimal.
    using L = std::numeric_limits<double>;
    const double inf = L::infinity(), tiny = L::denorm_min();
    const double kFixed[3][6] = {
        {0.0, -0.0, inf, -inf, L::quiet_NaN(), tiny},
        {-tiny, L::max(), 4503599627370496.0, 4503599627370495.5,
         -4503599627370497.0, 9007199254740993.0},
        {0.0005, 0.0015, 0.0025, -0.0004999, 0.9995, 999.9995}};
    return kFixed[Below(3)][Below(6)];
  }
  if (kind < 14) {
    // Decimal-looking values of everyday size.
    const auto n = static_cast<std::int64_t>(Next() % 2000000001);
    return static_cast<double>(n - 1000000000) / std::pow(10.0, Below(10));
  }
  double d;
  std::uint64_t bits = Next();
  if (kind < 17) {
    // Exponent in the range where fixed-point texts stay short.
    bits = (bits & 0x800FFFFFFFFFFFFFull) |
           (static_cast<std::uint64_t>(990 + Below(80)) << 52);
  }
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

int PrecisionOf(const std::string& format) {
  const std::size_t dot = format.find('.');
  if (dot == std::string::npos) return 6;
  return std::atoi(format.c_str() + dot + 1);
}

std::string TrimNumberText(std::string text, bool dropPoint) {
  if (text.find('.') == std::string::npos || text.empty()) return text;
  std::size_t i = text.size() - 1;
  while (i > 0 && (text[i] == '0' || text[i] == ' ')) --i;
  if (dropPoint && text[i] == '.') return text.substr(0, i);
  return text.substr(0, i + 1);
}

}  // namespace qvtest
