// The number texts do not depend on the process's locale: every reader and
// writer gives under a locale with a decimal comma what it gives under "C".
// String formatting, in contrast, follows the process's locale.
#include <QvBase/QvNumberText.h>
#include <QvBase/QvStdString.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "NumberCases.h"

namespace {

constexpr int kLocaleCases = 50000;

// Every result of the number texts for a fixed set of cases, as one list of
// strings (reals by their bits, so that a different NaN or rounding shows).
std::vector<std::string> AllResults() {
  qvtest::NumberCases gen(0x5EED0010);
  std::vector<std::string> out;
  out.reserve(kLocaleCases * 6);
  auto bits = [](const void* p, std::size_t n) {
    return std::string(static_cast<const char*>(p), n);
  };
  for (int i = 0; i < kLocaleCases; ++i) {
    const std::string real = gen.RealWord();
    const double d = QvGetDouble(real.c_str());
    const float f = QvGetFloat(real.c_str());
    out.push_back(bits(&d, sizeof d) + bits(&f, sizeof f));
    out.push_back(std::to_string(QvGetInt(gen.IntWord().c_str())));

    const QvStdString text(real + " " + gen.IntWord());
    int pos = 0, n = 0;
    double v = 0;
    const bool ok1 = text.GetValue(pos, v);
    const bool ok2 = text.GetValue(pos, n);
    out.push_back(bits(&v, sizeof v) + std::to_string(n) + (ok1 ? "t" : "f") +
                  (ok2 ? "t" : "f"));

    const std::string format = gen.Format();
    const double value = gen.Value(qvtest::PrecisionOf(format));
    out.push_back(QvWriteDouble(format.c_str(), value, true));
    out.push_back(
        QvWriteFloat(format.c_str(), static_cast<float>(value), false));
    out.push_back(QvWrite(value));
  }
  return out;
}

bool UseCommaLocale() {
  return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr ||
         std::setlocale(LC_ALL, "de_DE.utf8") != nullptr;
}

class CommaLocale : public testing::Test {
 protected:
  void SetUp() override {
    if (!UseCommaLocale())
      GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (run "
                      "scripts/install-deps.sh); comma-locale checks skipped";
    std::setlocale(LC_ALL, "C");
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
  static void UseComma() {
    ASSERT_TRUE(UseCommaLocale());
    ASSERT_STREQ(",", std::localeconv()->decimal_point);
  }
};

TEST_F(CommaLocale, NumberTextsDoNotChange) {
  const std::vector<std::string> inC = AllResults();
  UseComma();
  const std::vector<std::string> inComma = AllResults();
  ASSERT_EQ(inC.size(), inComma.size());
  int fails = 0;
  for (std::size_t i = 0; i < inC.size() && fails < 10; ++i) {
    if (inC[i] != inComma[i]) {
      ADD_FAILURE() << "result " << i << " changed: \"" << inComma[i]
                    << "\" was \"" << inC[i] << "\"";
      ++fails;
    }
  }
}

TEST_F(CommaLocale, StringFormattingFollowsTheLocale) {
  UseComma();
  QvStdString s("%.1f", 2.5);
  EXPECT_EQ("2,5", s);
  s.AppendFormat(" %.2f", 0.25);
  EXPECT_EQ("2,5 0,25", s);
  // Reading stays in the "C" locale: the comma ends the number.
  int pos = 0;
  double v = 0;
  EXPECT_TRUE(s.GetValue(pos, v));
  EXPECT_EQ(2.0, v);
  // The calls leave the process's locale as it was.
  EXPECT_STREQ(",", std::localeconv()->decimal_point);
}

}  // namespace
