#include <QvBase/QvStdString.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

const QvStdString kWhite(" \t\n\r");

// Scans every word of `text` and records "word@pos" after each call.
std::string ScanAll(const QvStdString& text, int pos, const QvStdString& seps) {
  std::string out;
  QvStdString word;
  for (int guard = 0; guard < 100; ++guard) {
    const bool ok = text.GetWord(pos, word, seps);
    out += (ok ? word : std::string("-")) + "@" + std::to_string(pos) + " ";
    if (!ok) break;
  }
  return out;
}

TEST(QvWordScan, GetWordTable) {
  struct Case {
    std::string text;
    int pos;
    QvStdString seps;
    std::string want;
  } cases[] = {
      {"  ab  cd  ", 0, kWhite, "ab@4 cd@8 -@8 "},
      {"ab", 0, kWhite, "ab@-1 -@-1 "},
      {"", 0, kWhite, "-@0 "},
      {" \t\r\n", 0, kWhite, "-@0 "},
      {"ab cd", 1, QvStdString(), "b cd@-1 -@-1 "},
      {"ab cd", 5, QvStdString(), "-@5 "},
      {"ab cd", 99, kWhite, "-@99 "},
      {"ab cd", -3, kWhite, "-@-3 "},
      {"a,b;;c", 0, QvStdString(";,"), "a@1 b@3 c@-1 -@-1 "},
      {std::string("a\0b c", 5), 0, kWhite,
       std::string("a\0b@3 c@-1 -@-1 ", 16)},
      {"x\fy\vz", 0, kWhite, "x\fy\vz@-1 -@-1 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.want, ScanAll(QvStdString(c.text), c.pos, c.seps));
  }
}

TEST(QvWordScan, FailureLeavesWordAlone) {
  QvStdString word("keep");
  int pos = 0;
  EXPECT_FALSE(QvStdString("   ").GetWord(pos, word, kWhite));
  EXPECT_EQ("keep", word);
  EXPECT_FALSE(QvStdString().GetFirstWord(word, kWhite));
  EXPECT_EQ("keep", word);
  EXPECT_TRUE(QvStdString("  ab cd").GetFirstWord(word, kWhite));
  EXPECT_EQ("ab", word);
}

TEST(QvWordScan, CountWord) {
  const std::pair<const char*, int> cases[] = {
      {"", 0},           {"   ", 0},          {"a", 1},
      {"  ab  cd  ", 2}, {"a\tb\nc\rd e", 5}, {"a\fb", 1},
      {"1,2,3", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, QvStdString("%s", c.first).CountWord(QvStdString("x")));
  }
}

TEST(QvWordScan, KeyPosAndWordAfterKey) {
  const QvStdString text("xxabcabc"), key("abc"), none;
  const std::tuple<const QvStdString*, int, int> finds[] = {
      {&key, 0, 2},  {&key, 3, 5},  {&key, 6, -1}, {&key, -1, -1},
      {&none, 2, 2}, {&none, 8, 8}, {&none, 9, -1}};
  for (const auto& [k, from, want] : finds) {
    SCOPED_TRACE(from);
    EXPECT_EQ(want, text.GetKeyPos(*k, from));
  }
  const std::pair<const char*, const char*> afters[] = {{"a x= 5", "5"},
                                                        {"ax=6 7", "6"},
                                                        {"a x=", nullptr},
                                                        {"a x=   ", nullptr},
                                                        {"a y= 1", nullptr}};
  for (const auto& [in, want] : afters) {
    SCOPED_TRACE(in);
    QvStdString word("keep");
    EXPECT_EQ(want != nullptr,
              QvStdString(in).GetWordAfterKey(QvStdString("x="), word, kWhite));
    EXPECT_EQ(want ? want : "keep", word);
  }
}

TEST(QvWordScan, IfIncludeWord) {
  const QvStdString ab("ab");
  const std::pair<const char*, bool> cases[] = {
      {"ab", true},     {"x ab", true},   {"ab x", true},   {"abc", false},
      {"xab", false},   {"x abx", false}, {"abc ab", true}, {"", false},
      {"aab ab", true}, {"abab", false},  {"xab ab", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, QvStdString("%s", c.first).IfIncludeWord(ab, kWhite));
  }
  EXPECT_TRUE(QvStdString("a,ab;c").IfIncludeWord(ab, QvStdString(",;")));
  EXPECT_FALSE(QvStdString("a ab c").IfIncludeWord(ab, QvStdString()));
  // An empty word is never a whole word, and the search ends.
  EXPECT_FALSE(QvStdString("xyz").IfIncludeWord(QvStdString(), kWhite));
  EXPECT_FALSE(QvStdString(" x").IfIncludeWord(QvStdString(), kWhite));
  EXPECT_FALSE(QvStdString().IfIncludeWord(QvStdString(), kWhite));
}

TEST(QvWordScan, FirstWordAndCheckWord) {
  EXPECT_TRUE(QvStdString("  ab cd").IfFirstWordIs(QvStdString("ab"), kWhite));
  EXPECT_FALSE(QvStdString("  abc d").IfFirstWordIs(QvStdString("ab"), kWhite));
  EXPECT_FALSE(QvStdString().IfFirstWordIs(QvStdString("ab"), kWhite));
  EXPECT_FALSE(QvStdString("  ").IfFirstWordIs(QvStdString(), kWhite));

  const QvStdString text("ab cd");
  int pos = 2;
  EXPECT_TRUE(text.CheckWord(pos, QvStdString("cd")));
  EXPECT_EQ(-1, pos);
  pos = 2;
  EXPECT_FALSE(text.CheckWord(pos, QvStdString("xy")));
  EXPECT_EQ(-1, pos);
  pos = 0;
  EXPECT_FALSE(text.CheckWord(pos, QvStdString("a")));
  EXPECT_EQ(2, pos);
  EXPECT_FALSE(text.CheckWord(pos = -1, QvStdString("ab")));
  EXPECT_EQ(-1, pos);
}

}  // namespace
