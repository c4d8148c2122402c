// Fixed cases that pin the writers' trimming rule, their result areas and
// the readers' markers; values in general are left to NumberDiffTest.
#include <QvBase/QvNumberText.h>
#include <QvBase/QvStdString.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>

namespace {

TEST(QvNumberWrite, TrimsBehindThePointEachFamilyInItsArea) {
  const std::pair<std::string, const char*> cases[] = {
      {QvWrite(1.5), "1.5"},
      {QvWrite(100.0), "100"},
      {QvWrite(0.1f), "0.1"},
      {QvWriteDouble("%.3f", 2.0, false), "2."},
      {QvWriteDouble("%8.2f", 3.1, true), "    3.1"},
      {QvWriteDouble("%-8.2f", 3.1, true), "3.1"},
      {QvWriteDouble("%-8.0f", 20.0, true), "20      "}};
  for (const auto& c : cases) EXPECT_EQ(c.second, c.first);
  const char* first = QvWrite(1.5);
  EXPECT_EQ(first, QvWrite(2.5));
  const char* f = QvWrite(7.25f);
  EXPECT_STREQ("2.5", first);
  EXPECT_STREQ("7.25", f);
  EXPECT_EQ(f, QvWriteFloat("%.1f", 1.0f, true));
  // Longer texts are kept whole in a larger area; 99 characters still fit
  // the small one.
  char want[400];
  std::snprintf(want, sizeof want, "%.0f", 1e120);
  EXPECT_EQ(want, std::string(QvWriteDouble("%.3f", 1e120, true)));
  EXPECT_EQ(std::string(150, ' ') + "2.5", QvWriteDouble("%153.1f", 2.5, true));
  EXPECT_EQ("2.5", std::string(QvWriteDouble("%-153.1f", 2.5, true)));
  EXPECT_EQ(first, QvWrite(3.0));
  const char* edge = QvWriteFloat("%099.1f", 1.0f, false);
  EXPECT_EQ(std::string(96, '0') + "1.", edge);
  EXPECT_EQ(f, edge);
}

TEST(QvNumberRead, MarkersAndEdges) {
  EXPECT_STREQ("", QvWriteDouble(nullptr, 1.0, true));
  EXPECT_EQ(QV_NO_INT, QvGetInt(nullptr));
  EXPECT_EQ(QV_NO_DOUBLE, QvGetDouble(nullptr));
  EXPECT_EQ(QV_NO_FLOAT, QvGetFloat(nullptr));
  const std::pair<const char*, int> ints[] = {
      {"12-3", 12},    {"", -99999},  {" 42", -99999},         {"4.5", -99999},
      {"+-3", -99999}, {"-", -99999}, {"-2147483648", INT_MIN}};
  for (const auto& c : ints) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, QvGetInt(c.first));
  }
  // The failure marker reads as itself; "+." fails.
  const std::pair<const char*, double> reals[] = {{" 2.5e3", 2500},
                                                  {"2.5kg", 2.5},
                                                  {"+.", -9.999e10},
                                                  {"", -9.999e10},
                                                  {"-9.999e10", -9.999e10}};
  for (const auto& c : reals) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, QvGetDouble(c.first));
    EXPECT_EQ(static_cast<float>(c.second), QvGetFloat(c.first));
  }
  // Huge words are read whole, without overrunning anything.
  const std::string many = "0." + std::string(100000, '0') + "15e100001";
  EXPECT_EQ(1.5, QvGetDouble(many.c_str()));
  EXPECT_EQ(1.5f, QvGetFloat(many.c_str()));
  const std::string digits(100000, '7');
  EXPECT_EQ(std::strtod(digits.c_str(), nullptr), QvGetDouble(digits.c_str()));
}

TEST(QvValueRead, PositionsAndZeroBytes) {
  // A failed word is passed over; the last word leaves the position at -1.
  const QvStdString text(" 42 4.5 5-3");
  int pos = 0, v = -1;
  const std::tuple<bool, int, int> steps[] = {
      {true, 42, 3}, {false, 42, 7}, {true, 5, -1}, {false, 5, -1}};
  for (const auto& [ok, want, wantPos] : steps) {
    EXPECT_EQ(ok, text.GetValue(pos, v));
    EXPECT_EQ(want, v);
    EXPECT_EQ(wantPos, pos);
  }
  // A word that holds only white space to sscanf stops at the word's end.
  const QvStdString lone("\v 5");
  pos = 0;
  double d = 9;
  EXPECT_FALSE(lone.GetValue(pos, d));
  EXPECT_EQ(9.0, d);
  EXPECT_EQ(1, pos);
  // Zero bytes end the text for the conversion.
  const QvStdString nul(std::string("\0x 4\0", 5));
  pos = 0;
  char c = 'k';
  EXPECT_FALSE(nul.GetValue(pos, c));
  EXPECT_EQ('k', c);
  pos = 3;
  EXPECT_TRUE(nul.GetValue(pos, d));
  EXPECT_EQ(4.0, d);
}

}  // namespace
