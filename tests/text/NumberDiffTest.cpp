// Differential tests: the number readers, the value reads and the writers
// against the C library's sscanf and snprintf in the "C" locale, over
// generated cases from fixed seeds. Each runs under the "C" locale and again
// under one with a decimal comma: the number texts must not follow the
// process's locale, while string formatting does.
#include <QvBase/QvNumberText.h>
#include <QvBase/QvStdString.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

#include <locale.h>

#include "NumberCases.h"

namespace {

constexpr int kCases = 200000;

template <typename T>
bool SameBits(T a, T b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The C library's conversions in the "C" locale, whatever the process's.
#if defined(_WIN32)
// Windows has no per-thread locale object of this kind: the process locale
// is switched for the scope (the tests run on one thread).
class CLocaleScope {
 public:
  CLocaleScope() : old_(std::setlocale(LC_ALL, nullptr)) {
    std::setlocale(LC_ALL, "C");
  }
  ~CLocaleScope() { std::setlocale(LC_ALL, old_.c_str()); }

 private:
  std::string old_;
};
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
#endif

// A locale whose decimal point is a comma, by this system's name for it.
#if defined(_WIN32)
constexpr const char* kCommaLocale = "German_Germany.1252";
#else
constexpr const char* kCommaLocale = "de_DE.UTF-8";
#endif

// The process locale for a test; a missing comma locale skips the test.
class QvNumberDiff : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (std::setlocale(LC_ALL, GetParam()) == nullptr) {
      GTEST_SKIP() << "locale " << GetParam() << " is not installed (run "
                   << "scripts/install-deps.sh)";
    }
    if (std::string(GetParam()) != "C") {
      ASSERT_STREQ(",", std::localeconv()->decimal_point);
    }
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

INSTANTIATE_TEST_SUITE_P(Locales, QvNumberDiff,
                         testing::Values("C", kCommaLocale));

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
  T v = marker;
  return Scan(s, conversion, &v) ? v : marker;
}

// GetValue at pos against Scan of the word; both start from `init`.
template <typename T>
bool SameRead(const QvStdString& s, int& pos, const char* word,
              const char* conversion, T init) {
  T v = init, r = init;
  const bool ok = s.GetValue(pos, v);
  return ok == Scan(word, conversion, &r) && SameBits(v, r);
}

// Runs `check` (which returns an empty text or a failure note) on kCases
// generated cases; stops after ten failures.
template <typename Check>
void RunCases(std::uint64_t seed, Check check) {
  qvtest::NumberCases gen(seed);
  int fails = 0;
  for (int i = 0; i < kCases && fails < 10; ++i) {
    const std::string note = check(gen);
    if (!note.empty()) {
      ADD_FAILURE() << note;
      ++fails;
    }
  }
}

TEST_P(QvNumberDiff, Readers) {
  RunCases(0x5EED0001, [](qvtest::NumberCases& gen) -> std::string {
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

// Joins generated words into texts with white space between them and walks
// them with GetValue of every kind, word by word against sscanf.
TEST_P(QvNumberDiff, ValueReads) {
  qvtest::NumberCases gen(0x5EED0003);
  static const char* const kGaps[] = {" ", "\t", "\n", "\r\n", "  \t "};
  int words = 0, fails = 0;
  while (words < kCases && fails < 10) {
    std::string text;
    std::string list[16];
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
      if (!same) {
        ADD_FAILURE() << "kind " << kind << " word \"" << w << "\"";
        ++fails;
      }
      ++words;
    }
    char rest = '#';
    EXPECT_FALSE(s.GetValue(pos, rest));  // only white space is left
  }
}

// snprintf of the value as a double, trimmed by the writers' rule.
std::string Want(const char* format, double value, bool drop) {
  char buf[512];
  const CLocaleScope inC;
  std::snprintf(buf, sizeof buf, format, value);
  return qvtest::TrimNumberText(buf, drop);
}

TEST_P(QvNumberDiff, Writers) {
  RunCases(0x5EED0004, [](qvtest::NumberCases& gen) -> std::string {
    const std::string format = gen.Format();
    const double d = gen.Value(qvtest::PrecisionOf(format));
    const float f = static_cast<float>(gen.Value(qvtest::PrecisionOf(format)));
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

TEST(QvStringFormat, FollowsTheLocale) {
  if (std::setlocale(LC_ALL, kCommaLocale) == nullptr) {
    GTEST_SKIP() << "locale " << kCommaLocale << " is not installed";
  }
  QvStdString s("%.1f", 2.5);
  s.AppendFormat(" %.2f", 0.25);
  EXPECT_EQ("2,5 0,25", s);
  // Reading stays in the "C" locale: the comma ends the number.
  int pos = 0;
  double v = 0;
  EXPECT_TRUE(s.GetValue(pos, v));
  EXPECT_EQ(2.0, v);
  // The calls leave the process's locale as it was.
  EXPECT_STREQ(",", std::localeconv()->decimal_point);
  std::setlocale(LC_ALL, "C");
}

}  // namespace
