// The number readers, value reads and writers against sscanf and snprintf
// in the "C" locale, over generated cases from fixed seeds, under the "C"
// locale and one with a decimal comma (number texts must not follow it,
// string formatting does) and in every rounding mode (the file is built
// with -frounding-math, so that nothing here is folded as if rounding to
// nearest).
#include <QvBase/QvNumberText.h>
#include <QvBase/QvStdString.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <type_traits>

#include <locale.h>
#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace {

constexpr int kCases = 200000;

// Words for the readers and (format, value) pairs for the writers.
struct NumberCases {
  explicit NumberCases(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {  // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) {
    return static_cast<int>(Next() % static_cast<unsigned>(n));
  }
  std::string Digits(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += static_cast<char>('0' + Below(10));
    return s;
  }

  // Decimal and hexadecimal forms, inf and nan in any case, lone signs and
  // points, trailing garbage and leading blanks.
  std::string RealWord() {
    static const char* const kSpecial[] = {
        "inf",      "infinity", "nan",       "nan(123)",
        "nan()",    "infinit",  "in",        "na",
        "nan(x",    "0x",       "0x.",       "0x1p",
        "0xp3",     "0x1.8p3",  "0X1P-1074", "0x1.fffffffffffffp1023",
        "0x1p1024", ".",        "+",         "-",
        "+-1",      "e5",       ".e1",       "-.5e-3",
        "1e",       "1e+",      "1E-",       "1.e2"};
    // 2^53 + 1 (halfway), half the smallest denormal, between the largest
    // double and its half step up, just below the smallest normal; the same
    // for floats; an inexact power of ten; two short texts whose nearest
    // double lies half-way between two floats while they do not.
    static const char* const kEdge[] = {"9007199254740993",
                                        "2.4703282292062327e-324",
                                        "1.7976931348623158e308",
                                        "2.2250738585072011e-308",
                                        "16777217",
                                        "7.006492e-46",
                                        "3.4028235e38",
                                        "1E35",
                                        "1.00000661611557",
                                        "1.00001460313797"};
    static const char* const kTail[] = {"",   "",  "",   "x",  "kg",  "e",
                                        "E+", ".", ",5", "-1", "\t7", "e-x",
                                        "p3", "i", "0x", "."};
    const int lead = Below(16);
    std::string w = lead == 0 ? " " : lead == 1 ? "\t\n\v\f\r " : "";
    // Control characters next to white space, which nothing skips.
    if (lead == 2) w = std::string(1, "\x08\x0e\x1c\x1f"[Below(4)]);
    if (const int sign = Below(6); sign < 2) w += "-+"[sign];
    const int kind = Below(40);
    if (kind < 4) {
      std::string s = Below(4) != 0
                          ? kSpecial[Below(sizeof kSpecial / sizeof *kSpecial)]
                          : kEdge[Below(sizeof kEdge / sizeof *kEdge)];
      for (char& c : s)
        if (Below(2))
          c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      w += s;
    } else if (kind < 10) {
      // A random bit pattern in one of printf's forms, with a point.
      double d;
      const std::uint64_t bits = Next();
      std::memcpy(&d, &bits, sizeof d);
      char buf[128];
      static const char* const kForms[] = {"%.17g", "%.6e", "%a", "%.25g",
                                           "%.3g"};
      std::snprintf(buf, sizeof buf, kForms[Below(5)], std::fabs(d));
      for (char* p = buf; *p; ++p)
        if (*p == ',') *p = '.';
      w += buf;
    } else if (kind < 14) {
      w += OutOfRange();
    } else {
      std::string m(static_cast<std::size_t>(Below(8) == 0 ? Below(5) : 0),
                    '0');
      const int shape = Below(100);
      int intDigits = Below(8);
      int fracDigits = Below(8);
      if (shape < 3) intDigits = 300 + Below(500);  // very long runs
      if (shape >= 3 && shape < 6) fracDigits = 300 + Below(500);
      m += Digits(intDigits);
      if (Below(4) != 0) m += '.';
      if ((!m.empty() && m.back() == '.') || Below(2)) m += Digits(fracDigits);
      w += m;
      if (Below(3) == 0) {
        w += Below(2) ? 'e' : 'E';
        if (const int sign = Below(4); sign < 2) w += "-+"[sign];
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
    return w + kTail[Below(sizeof kTail / sizeof *kTail)];
  }

  // A decimal just or far past either end of the double or float range,
  // its power of ten split between mantissa and exponent (now and then of
  // more digits than any integer holds).
  std::string OutOfRange() {
    std::string m;
    long long lead;  // the power of ten of the mantissa's leading digit
    const char first = static_cast<char>('1' + Below(9));
    if (Below(3) == 0) {
      const int zeros = Below(400);
      m = "0." + std::string(static_cast<std::size_t>(zeros), '0') + first +
          Digits(Below(30));
      lead = -zeros - 1;
    } else {
      const int n = Below(4) == 0 ? Below(400) : Below(20);
      m = std::string(static_cast<std::size_t>(Below(3)), '0') + first +
          Digits(n);
      lead = n;
      if (Below(2)) m += "." + Digits(Below(20));
    }
    static const int kEdges[] = {308,  309, 310, 325, -323, -324, -325,
                                 -330, 38,  39,  -45, -46,  -47};
    const int side = Below(2) ? 1 : -1;
    if (Below(8) == 0)
      return m + "e" + (side < 0 ? "-" : "") + "99999999999999999999" +
             Digits(3);
    const long long target =
        Below(4) != 0 ? kEdges[Below(13)] : side * (400 + Below(1000000));
    const long long e = target - lead;
    return m + (Below(2) ? "e" : "E") +
           (e < 0           ? "-"
            : Below(3) == 0 ? "+"
                            : "") +
           std::to_string(e < 0 ? -e : e);
  }

  // Mostly digits and signs.
  std::string IntWord() {
    const int kind = Below(10);
    if (kind == 9) return RealWord();
    std::string w;
    if (kind < 6) {
      if (Below(3) == 0) w += "+-"[Below(2)];
      if (Below(5) == 0)
        w += std::string(static_cast<std::size_t>(Below(12)), '0');
      w += Digits(Below(10) == 0 ? 10 + Below(15) : 1 + Below(10));
    } else {
      const int len = Below(8);
      for (int i = 0; i < len; ++i) w += "0123456789+-"[Below(12)];
    }
    return w;
  }

  // A fixed-point format: an optional '-' flag, width (now and then past
  // the 100-byte area), precision (mostly 0 to 10, a lone point, up to 59)
  // or none, "f" or "lf"; "%.3f" one time in four.
  std::string Format() {
    if (Below(4) == 0) return "%.3f";
    std::string f = "%";
    if (Below(3) == 0) f += '-';
    if (Below(2)) f += std::to_string(Below(Below(8) == 0 ? 130 : 25));
    if (const int p = Below(14); p == 1)
      f += '.';
    else if (p != 0)
      f += "." + std::to_string(Below(p == 2 ? 60 : 11));
    if (f.size() > 2 && f[1] == '-' && f[2] == '0')
      f.erase(2, 1);  // "-0" would be read as a zero flag after '-'
    return f + (Below(6) == 0 ? "lf" : "f");
  }

  // A double of any magnitude, weighted to exact halves at the last shown
  // decimal, zeros, denormals, infinities and NaN.
  double Value(int precision) {
    const int kind = Below(20);
    if (kind < 6) {
      // odd / 2^(p+1) times 10^p is odd * 5^p / 2: a tie to round.
      const int p = precision > 10 ? 10 : precision;
      const double unit = std::ldexp(1.0, -(p + 1));
      const double odd = static_cast<double>(2 * Below(1 << 20) + 1);
      double v = odd * unit + static_cast<double>(Below(100000));
      return Below(2) ? -v : v;
    }
    if (kind < 8) {
      using L = std::numeric_limits<double>;
      const double inf = L::infinity(), tiny = L::denorm_min();
      // Whole values at the edges of 64 and 128 bits, and 10^20 and 10^22
      // (exact: 19-digit blocks of zeros).
      const double kFixed[4][6] = {
          {0.0, -0.0, inf, -inf, L::quiet_NaN(), tiny},
          {-tiny, L::max(), 4503599627370496.0, 4503599627370495.5,
           -4503599627370497.0, 9007199254740993.0},
          {0.0005, 0.0015, 0.0025, -0.0004999, 0.9995, 999.9995},
          {0x1p64, -0x1.fffffffffffffp63, 0x1p128, -0x1.fffffffffffffp127, 1e20,
           -1e22}};
      return kFixed[Below(4)][Below(6)];
    }
    if (kind < 14) {  // decimal-looking values of everyday size
      const auto n = static_cast<std::int64_t>(Next() % 2000000001);
      return static_cast<double>(n - 1000000000) / std::pow(10.0, Below(10));
    }
    double d;
    std::uint64_t bits = Next();
    if (kind < 17)  // an exponent where fixed-point texts stay short
      bits = (bits & 0x800FFFFFFFFFFFFFull) |
             (static_cast<std::uint64_t>(990 + Below(80)) << 52);
    if (kind == 19) {  // a whole number, mostly below 2^131; now and then
                       // a power of two
      const int e = Below(4) == 0 ? Below(972) : Below(80);
      bits = (Below(4) == 0 ? bits & 0x8000000000000000ull
                            : bits & 0x800FFFFFFFFFFFFFull) |
             (static_cast<std::uint64_t>(1075 + e) << 52);
    }
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }

  std::uint64_t state_;
};

template <typename T>
bool SameBits(T a, T b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// CLocaleScope: the C library's conversions in the "C" locale.
// kCommaLocale: a locale whose decimal point is a comma.
#if defined(_WIN32)
// No per-thread locale here: the process's is switched for the scope.
class CLocaleScope {
 public:
  CLocaleScope() : old_(std::setlocale(LC_ALL, nullptr)) {
    std::setlocale(LC_ALL, "C");
  }
  ~CLocaleScope() { std::setlocale(LC_ALL, old_.c_str()); }

 private:
  std::string old_;
};
constexpr const char* kCommaLocale = "German_Germany.1252";
#else
class CLocaleScope {
 public:
  CLocaleScope() : old_(uselocale(C())) {}
  ~CLocaleScope() { uselocale(old_); }

 private:
  static locale_t C() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    return c;
  }
  locale_t old_;
};
constexpr const char* kCommaLocale = "de_DE.UTF-8";
#endif

// A run's locale and floating-point mode: `rounding` by fesetround; on x86
// `sse`, unless kSseAsSet, sets the SSE unit's rounding field alone (as
// _MM_SET_ROUNDING_MODE does) and `flush` its flush-to-zero and
// denormals-are-zero flags (as -ffast-math start-up code does). The case
// counts are divided by `share`: later runs take the first ones' paths,
// and EveryPrecision covers what they change.
constexpr int kSseAsSet = -1;
constexpr int kSseUp = 0x4000, kSseDown = 0x2000, kSseTowardZero = 0x6000;
constexpr unsigned kFtz = 0x8000, kDaz = 0x40;  // MXCSR bits 15 and 6

struct Run {
  const char* name;
  bool comma;  // kCommaLocale, else "C"
  int rounding;
  int sse;
  unsigned flush;
  int share;
};

const Run kRuns[] = {
    {"CNearest", false, FE_TONEAREST, kSseAsSet, 0, 1},
    {"CommaNearest", true, FE_TONEAREST, kSseAsSet, 0, 1},
    {"CUpward", false, FE_UPWARD, kSseAsSet, 0, 1},
    {"CDownward", false, FE_DOWNWARD, kSseAsSet, 0, 1},
    {"CTowardZero", false, FE_TOWARDZERO, kSseAsSet, 0, 1},
    {"CSseUpward", false, FE_TONEAREST, kSseUp, 0, 1},
    {"CSseDownward", false, FE_TONEAREST, kSseDown, 0, 16},
    {"CSseTowardZero", false, FE_TONEAREST, kSseTowardZero, 0, 16},
    {"CFlushToZero", false, FE_TONEAREST, kSseAsSet, kFtz, 16},
    {"CDenormalsAreZero", false, FE_TONEAREST, kSseAsSet, kDaz, 16},
    {"CFtzDaz", false, FE_TONEAREST, kSseAsSet, kFtz | kDaz, 8},
    {"CUpwardFtzDaz", false, FE_UPWARD, kSseAsSet, kFtz | kDaz, 16},
    {"CSseDownwardFtzDaz", false, FE_TONEAREST, kSseDown, kFtz | kDaz, 16}};

void PrintTo(const Run& run, std::ostream* os) {
  *os << run.name;
}

// A missing comma locale fails the test with the way to get it.
class QvNumberDiff : public testing::TestWithParam<Run> {
 protected:
  static const char* Locale() { return GetParam().comma ? kCommaLocale : "C"; }
  static int Cases(int count) { return count / GetParam().share; }
  void SetUp() override {
    ASSERT_NE(nullptr, std::setlocale(LC_ALL, Locale()))
        << "locale " << Locale()
        << " is not installed (run scripts/install-deps.sh)";
    ASSERT_STREQ(GetParam().comma ? "," : ".",
                 std::localeconv()->decimal_point);
    ASSERT_EQ(0, std::fesetround(GetParam().rounding));
    if (GetParam().sse == kSseAsSet && GetParam().flush == 0) return;
#if defined(__SSE2__)
    unsigned csr = _mm_getcsr();
    if (GetParam().sse != kSseAsSet)
      csr = (csr & ~0x6000u) | static_cast<unsigned>(GetParam().sse);
    _mm_setcsr(csr | GetParam().flush);
#else
    GTEST_SKIP() << "no SSE unit here: its rounding field and its "
                    "flush-to-zero and denormals-are-zero flags do not exist";
#endif
  }
  void TearDown() override {
    std::fesetround(FE_TONEAREST);
#if defined(__SSE2__)
    _mm_setcsr(_mm_getcsr() & ~(0x6000u | kFtz | kDaz));
#endif
    std::setlocale(LC_ALL, "C");
  }
};

// The comma locale in the default mode only: a directed mode takes the
// C-library paths that the comma run already reaches.
INSTANTIATE_TEST_SUITE_P(LocalesAndModes, QvNumberDiff,
                         testing::ValuesIn(kRuns), [](const auto& info) {
                           return std::string(info.param.name);
                         });

// sscanf of one value; integers are words of digits and signs only.
template <typename T>
bool Scan(const char* s, const char* conversion, T* v) {
  const CLocaleScope inC;
  if (conversion[1] == 'd' && s[std::strspn(s, "0123456789+-")] != '\0')
    return false;
#if defined(_WIN32)
  // The Windows runtime's sscanf rounds some decimal texts one unit off in
  // the last place; its strtod and strtof read the same texts exactly.
  if constexpr (std::is_floating_point_v<T>) {
    char* end = nullptr;
    const T r = sizeof(T) == sizeof(float)
                    ? static_cast<T>(std::strtof(s, &end))
                    : static_cast<T>(std::strtod(s, &end));
    if (end == s) return false;
    *v = r;
    return true;
  }
#endif
  return std::sscanf(s, conversion, v) == 1;
}

// The reference value, or the readers' failure marker.
template <typename T>
T Ref(const char* s, const char* conversion, T marker) {
  Scan(s, conversion, &marker);  // a failed scan stores nothing
  return marker;
}

// GetValue at pos against Scan of the word; both start from `init`.
template <typename T>
bool SameRead(const QvStdString& s, int& pos, const char* word,
              const char* conversion, T init) {
  T v = init, r = init;
  const bool ok = s.GetValue(pos, v);
  return ok == Scan(word, conversion, &r) && SameBits(v, r);
}

// Runs `check` (a failure note, or "") on `count` cases; stops after ten
// failures.
template <typename Check>
void RunCases(std::uint64_t seed, int count, Check check) {
  NumberCases gen(seed);
  int fails = 0;
  for (int i = 0; i < count && fails < 10; ++i) {
    const std::string note = check(gen);
    if (!note.empty()) {
      ADD_FAILURE() << note;
      ++fails;
    }
  }
}

TEST_P(QvNumberDiff, Readers) {
  RunCases(0x5EED0001, Cases(kCases), [](NumberCases& gen) -> std::string {
    const std::string w = gen.RealWord();
    const char* s = w.c_str();
    if (!SameBits(QvGetDouble(s), Ref(s, "%lf", -9.999e10)))
      return "double \"" + w + "\"";
    if (!SameBits(QvGetFloat(s), Ref(s, "%f", -9.999e10f)))
      return "float \"" + w + "\"";
    const std::string n = gen.IntWord();
    if (QvGetInt(n.c_str()) != Ref(n.c_str(), "%d", -99999))
      return "int \"" + n + "\"";
    return "";
  });
}

// Joins 16 generated words into a text with white space between them and
// walks it with GetValue of one kind, word by word against sscanf.
TEST_P(QvNumberDiff, ValueReads) {
  RunCases(0x5EED0003, Cases(kCases / 16), [](NumberCases& gen) -> std::string {
    static const char* const kGaps[] = {" ", "\t", "\n", "\r\n", "  \t "};
    std::string text, list[16];
    for (std::string& w : list) {
      w = gen.Below(2) ? gen.RealWord() : gen.IntWord();
      // White space inside a generated word would split it differently.
      for (char& c : w)
        if (std::strchr(" \t\n\r", c)) c = '\v';
      if (w.empty()) w = "-";
      text += w + kGaps[gen.Below(5)];
    }
    const QvStdString s(text);
    const int kind = gen.Below(4);
    int pos = 0;
    for (const std::string& w : list) {
      const char* ref = w.c_str();
      const bool same = kind == 0   ? SameRead(s, pos, ref, "%lf", 1.25)
                        : kind == 1 ? SameRead(s, pos, ref, "%f", 1.25f)
                        : kind == 2 ? SameRead(s, pos, ref, "%d", 77)
                                    : SameRead(s, pos, ref, "%c", '#');
      if (!same) return "kind " + std::to_string(kind) + " word \"" + w + "\"";
    }
    char rest = '#';
    return s.GetValue(pos, rest) ? "a word after the last in \"" + text + "\""
                                 : "";
  });
}

// snprintf in the "C" locale, trimmed as the writers trim: behind a point
// trailing '0' and blanks go, and with `drop` the point too.
std::string Want(const char* format, double value, bool drop) {
  const CLocaleScope inC;
  std::string text(1024, '\0');
  text.resize(static_cast<std::size_t>(
      std::snprintf(&text[0], text.size(), format, value)));
  if (text.find('.') == std::string::npos) return text;
  std::size_t i = text.size() - 1;
  while (i > 0 && (text[i] == '0' || text[i] == ' ')) --i;
  return text.substr(0, drop && text[i] == '.' ? i : i + 1);
}

TEST_P(QvNumberDiff, Writers) {
  // Formats that only look fixed-point at first go to the C library whole.
  for (const char* fmt : {"%9e2f", "%8.2e", "%5.1g", "%-3.0a"})
    EXPECT_EQ(Want(fmt, 2.5, false), QvWriteDouble(fmt, 2.5, false)) << fmt;
  RunCases(0x5EED0004, Cases(kCases), [](NumberCases& gen) -> std::string {
    const std::string format = gen.Format();
    const std::size_t dot = format.find('.');
    const int precision =
        dot == std::string::npos ? 6 : std::atoi(format.c_str() + dot + 1);
    const double d = gen.Value(precision);
    const float f = static_cast<float>(gen.Value(precision));
    const double s = gen.Value(3);
    const bool drop = gen.Below(4) != 0;
    const char* fmt = format.c_str();
    const std::string got = QvWriteDouble(fmt, d, drop);
    const std::string gotF = QvWriteFloat(fmt, f, drop);
    const std::string gotShort = QvWrite(s);
    const std::string note = format + " drop " + std::to_string(drop) + ": ";
    if (got != Want(fmt, d, drop)) return note + "double \"" + got + "\"";
    if (gotF != Want(fmt, f, drop)) return note + "float \"" + gotF + "\"";
    if (gotShort != Want("%.3f", s, true)) return "short \"" + gotShort + "\"";
    return "";
  });
}

std::string Hex(std::uint64_t bits) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%llx",
                static_cast<unsigned long long>(bits));
  return buf;
}

// Every precision from 0 to 340 (past 2^-1074's first digits), in three
// layouts, over subnormals, the normal range's edges, zeros and random
// values; and the readers over those texts and exponent forms, one by one
// and as the words of a line. Values come from bits: arithmetic in a
// flushing mode would change them.
TEST_P(QvNumberDiff, EveryPrecision) {
  constexpr std::uint64_t kSign = std::uint64_t{1} << 63;
  constexpr std::uint64_t kFraction = (std::uint64_t{1} << 52) - 1;
  int precision = 0;
  RunCases(0x5EED0005, 341, [&precision](NumberCases& gen) -> std::string {
    const int p = precision++;
    const std::uint64_t sign = gen.Next() & kSign;
    const std::uint64_t bits[] = {
        1,                                        // 2^-1074
        kSign | 1,                                // its negative
        kFraction,                                // the largest subnormal
        sign | (gen.Next() & kFraction),          // two more subnormals
        (gen.Next() & (kFraction >> 20)) | sign,  // small ones
        std::uint64_t{1} << 52 | sign,            // the smallest normal
        (gen.Next() & ~kSign) % (std::uint64_t{60} << 52) | sign,
        kSign,                              // -0
        std::uint64_t{0x7FEFFFFFFFFFFFFF},  // the largest double
        // a whole number from 2^52 to 2^128
        (gen.Next() & (kSign | kFraction)) |
            static_cast<std::uint64_t>(1075 + gen.Below(76)) << 52,
        gen.Next() % (std::uint64_t{0x7FF} << 52),  // any finite one
    };
    std::string line;
    for (const std::uint64_t b : bits) {
      double d;
      std::memcpy(&d, &b, sizeof d);
      const auto fb = static_cast<std::uint32_t>(b >> (b & 1 ? 0 : 32));
      float f;
      std::memcpy(&f, &fb, sizeof f);
      const std::string format =
          gen.Below(3) == 0   ? "%." + std::to_string(p) + "f"
          : gen.Below(2) == 0 ? "%-" + std::to_string(gen.Below(400)) + "." +
                                    std::to_string(p) + "lf"
                              : "%" + std::to_string(1 + gen.Below(400)) + "." +
                                    std::to_string(p) + "f";
      const char* fmt = format.c_str();
      const bool drop = gen.Below(2) != 0;
      const std::string want = Want(fmt, d, drop);
      const std::string note = format + " drop " + std::to_string(drop) + ": ";
      if (QvWriteDouble(fmt, d, drop) != want)
        return note + "double bits " + Hex(b);
      if (QvWriteFloat(fmt, f, drop) != Want(fmt, f, drop))
        return note + "float bits " + Hex(fb);
      char exp[64];
      std::snprintf(exp, sizeof exp, "%.*e", p % 20, d);
      for (const std::string& t : {want, std::string(exp)}) {
        const char* s = t.c_str();
        if (!SameBits(QvGetDouble(s), Ref(s, "%lf", -9.999e10)))
          return "double \"" + t + "\"";
        if (!SameBits(QvGetFloat(s), Ref(s, "%f", -9.999e10f)))
          return "float \"" + t + "\"";
        line += t + ' ';
      }
    }
    const QvStdString text(line);
    int posD = 0, posF = 0;
    for (std::size_t at = 0, end; at < line.size(); at = end + 1) {
      end = line.find(' ', at);
      const std::string word = line.substr(at, end - at);
      if (word.empty()) continue;  // a blank of a padded text
      if (!SameRead(text, posD, word.c_str(), "%lf", 1.25) ||
          !SameRead(text, posF, word.c_str(), "%f", 1.25f))
        return "value read of \"" + word + "\"";
    }
    return "";
  });
}

// Formatting follows the process's locale, reading stays in "C" (a comma
// ends the number); the locale is left as it was.
TEST_P(QvNumberDiff, FormatFollowsTheLocale) {
  const bool comma = GetParam().comma;
  QvStdString s("%.1f", 2.5);
  s.AppendFormat(" %.2f", 0.25);
  EXPECT_EQ(comma ? "2,5 0,25" : "2.5 0.25", s);
  int pos = 0;
  double v = 0;
  EXPECT_TRUE(s.GetValue(pos, v));
  EXPECT_EQ(comma ? 2.0 : 2.5, v);
  EXPECT_STREQ(comma ? "," : ".", std::localeconv()->decimal_point);
}

}  // namespace
