#include <QvBase/QvNumberText.h>
#include <QvBase/QvStdString.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

TEST(QvNumberWrite, TrimsBehindThePoint) {
  const std::pair<double, const char*> cases[] = {
      {1.5, "1.5"},
      {2.0, "2"},
      {100.0, "100"},
      {0.0, "0"},
      {1234.5678, "1234.568"},
      {-0.0001, "-0"},
      {-0.0, "-0"},
      {0.0005, "0.001"},
      {0.0004999, "0"},
      {0.0015, "0.002"},
      {-2.25, "-2.25"},
      {1e15, "1000000000000000"},
      {1e20, "100000000000000000000"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.second);
    EXPECT_STREQ(c.second, QvWrite(c.first));
  }
  EXPECT_STREQ("0.1", QvWrite(0.1f));
  EXPECT_STREQ("2.", QvWriteDouble("%.3f", 2.0, false));
  EXPECT_STREQ("    3.1", QvWriteDouble("%8.2f", 3.1, true));
  EXPECT_STREQ("3.1", QvWriteDouble("%-8.2f", 3.1, true));
  EXPECT_STREQ("20", QvWriteDouble("%.0f", 20.0, true));
  EXPECT_STREQ("20      ", QvWriteDouble("%-8.0f", 20.0, true));
}

TEST(QvNumberWrite, FamiliesOwnOneAreaEach) {
  const char* first = QvWrite(1.5);
  const char* second = QvWrite(2.5);
  EXPECT_EQ(first, second);
  EXPECT_STREQ("2.5", first);
  const char* f = QvWrite(7.25f);
  EXPECT_NE(first, f);
  EXPECT_STREQ("2.5", first);
  EXPECT_STREQ("7.25", f);
  EXPECT_EQ(f, QvWriteFloat("%.1f", 1.0f, true));
}

TEST(QvNumberWrite, LongTextsAreKeptWhole) {
  // 1e120 has 120 digits before the point; the text passes 100 bytes.
  const std::string big = QvWriteDouble("%.3f", 1e120, true);
  char want[400];
  std::snprintf(want, sizeof want, "%.0f", 1e120);
  EXPECT_EQ(want, big);
  EXPECT_EQ(120u, big.size());
  EXPECT_EQ(std::string(150, ' ') + "2.5", QvWriteDouble("%153.1f", 2.5, true));
  EXPECT_EQ("2.5", std::string(QvWriteDouble("%-153.1f", 2.5, true)));
  // After a long text, a short one is back in the small area.
  const char* small = QvWrite(1.0);
  EXPECT_STREQ("1", small);
  EXPECT_EQ(small, QvWrite(3.0));
  // 99 characters are the most the small area holds.
  const char* edge = QvWriteFloat("%099.1f", 1.0f, false);
  EXPECT_EQ(std::string(96, '0') + "1.", edge);
  EXPECT_EQ(edge, QvWriteFloat("%.1f", 1.0f, false));
}

TEST(QvNumberRead, Markers) {
  EXPECT_EQ(-99999, QvGetInt(""));
  EXPECT_EQ(-99990000000.0, QvGetDouble("abc"));
  EXPECT_EQ(-99990000000.0, QvGetDouble(""));
  EXPECT_EQ(-99990003712.0f, QvGetFloat("abc"));
  EXPECT_EQ(-99990000000.0, QvGetDouble("-9.999e10"));
  EXPECT_EQ(-99999, QvGetInt("-99999"));
}

TEST(QvNumberText, NullTextsDoNotCrash) {
  EXPECT_EQ(-99999, QvGetInt(nullptr));
  EXPECT_EQ(-9.999e10, QvGetDouble(nullptr));
  EXPECT_EQ(-9.999e10f, QvGetFloat(nullptr));
  EXPECT_STREQ("", QvWriteDouble(nullptr, 1.0, true));
  QvStdString s("%s", "x");
  s.Append(static_cast<const char*>(nullptr));
  EXPECT_EQ("x", s);
  s.Set(static_cast<const char*>(nullptr));
  EXPECT_EQ("", s);
}

TEST(QvNumberRead, Table) {
  const std::pair<const char*, int> ints[] = {{"42", 42},
                                              {"+7", 7},
                                              {"007", 7},
                                              {"12-3", 12},
                                              {"", -99999},
                                              {" 42", -99999},
                                              {"4.5", -99999},
                                              {"1e3", -99999},
                                              {"+-3", -99999},
                                              {"-", -99999},
                                              {"-0", 0},
                                              {"2147483647", 2147483647},
                                              {"-2147483648", -2147483647 - 1},
                                              {"0000000000000012", 12}};
  for (const auto& c : ints) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, QvGetInt(c.first));
  }
  const std::pair<const char*, double> reals[] = {
      {"2.5e3", 2500},      {" 2.5e3", 2500},
      {".5", 0.5},          {"2.5kg", 2.5},
      {"\t\n-1", -1},       {"0x10", 16},
      {"INF", HUGE_VAL},    {"1e", 1},
      {"1e+", 1},           {"5.", 5},
      {"+.", -9.999e10},    {"1e400", HUGE_VAL},
      {"-1e400", -HUGE_VAL}};
  for (const auto& c : reals) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, QvGetDouble(c.first));
    EXPECT_EQ(static_cast<float>(c.second), QvGetFloat(c.first));
  }
  EXPECT_TRUE(std::isnan(QvGetDouble("nan")));
  // Huge words are read whole, without overrunning anything.
  const std::string many = "0." + std::string(100000, '0') + "15e100001";
  EXPECT_EQ(1.5, QvGetDouble(many.c_str()));
  EXPECT_EQ(1.5f, QvGetFloat(many.c_str()));
  const std::string digits(100000, '7');
  char* end = nullptr;
  EXPECT_EQ(std::strtod(digits.c_str(), &end), QvGetDouble(digits.c_str()));
  EXPECT_EQ(0.0, QvGetDouble("1e-400"));
}

TEST(QvValueRead, WordsOneByOne) {
  const QvStdString text(" 42 +7 -0 4.5 1e3 x1 +-5 5-3");
  const int want[] = {42, 7, 0, -1, -1, -1, -1, 5};
  const int wantPos[] = {3, 6, 9, 13, 17, 20, 24, -1};
  int pos = 0;
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    int v = -1;
    EXPECT_EQ(want[i] != -1, text.GetValue(pos, v));
    EXPECT_EQ(want[i], v);
    EXPECT_EQ(wantPos[i], pos);
  }
  int v = 3;
  EXPECT_FALSE(text.GetValue(pos, v));
  EXPECT_EQ(-1, pos);
  EXPECT_EQ(3, v);
}

TEST(QvValueRead, RealsAndCharacters) {
  const QvStdString text("2.5e3 .5 abc 12abc 1,2,3 \v7 xyz");
  int pos = 0;
  double d = 0;
  float f = 0;
  char c = 0;
  EXPECT_TRUE(text.GetValue(pos, d));
  EXPECT_EQ(2500.0, d);
  EXPECT_TRUE(text.GetValue(pos, f));
  EXPECT_EQ(0.5f, f);
  EXPECT_FALSE(text.GetValue(pos, d));
  EXPECT_EQ(12, pos);
  EXPECT_EQ(0.5f, f);
  EXPECT_TRUE(text.GetValue(pos, f));
  EXPECT_EQ(12.0f, f);
  EXPECT_TRUE(text.GetValue(pos, d));
  EXPECT_EQ(1.0, d);
  EXPECT_EQ(24, pos);
  EXPECT_TRUE(text.GetValue(pos, d));  // \v is not a separator but sscanf
  EXPECT_EQ(7.0, d);                   // skips it
  EXPECT_TRUE(text.GetValue(pos, c));
  EXPECT_EQ('x', c);
  EXPECT_EQ(-1, pos);
  EXPECT_FALSE(text.GetValue(pos, c));

  // A word that holds only white space to sscanf stops at the word's end.
  const QvStdString lone("\v 5");
  pos = 0;
  d = 9;
  EXPECT_FALSE(lone.GetValue(pos, d));
  EXPECT_EQ(9.0, d);
  EXPECT_EQ(1, pos);
  // Zero bytes end the text for the conversion.
  const QvStdString nul(std::string("\0x 4\0", 5));
  pos = 0;
  c = 'k';
  EXPECT_FALSE(nul.GetValue(pos, c));
  EXPECT_EQ('k', c);
  int i = 0;
  EXPECT_FALSE(nul.GetValue(pos, i));
  EXPECT_EQ(-1, pos);
  pos = 3;
  EXPECT_TRUE(nul.GetValue(pos, d));
  EXPECT_EQ(4.0, d);
}

}  // namespace
