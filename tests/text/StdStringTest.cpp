#include <QvBase/QvStdString.h>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(QvStdStringFormat, PercentSignsFormattedOrLiteral) {
  EXPECT_EQ("50%", QvStdString("50%%"));
  QvStdString s;
  s.Set("50%%");
  EXPECT_EQ("50%%", s);
  s.SetFormat("%d", 7);
  EXPECT_EQ("7", s);
  s.AppendFormat("%s", "xyz");
  EXPECT_EQ("7xyz", s);
}

TEST(QvStdStringFormat, OwnTextAsArgument) {
  QvStdString s("abc");
  s.SetFormat("%s", s.Data(0));
  EXPECT_EQ("abc", s);
  s.AppendFormat("%s", s.Data(0));
  EXPECT_EQ("abcabc", s);
}

TEST(QvStdStringFormat, LongResultsAreNeverCut) {
  for (std::size_t len : {1022u, 1023u, 1024u, 1025u, 100000u}) {
    SCOPED_TRACE(len);
    const std::string body(len, 'q');
    QvStdString s("%s", body.c_str());
    EXPECT_EQ(body, s);
    s.SetFormat("%s", body.c_str());
    EXPECT_EQ(body, s);
    s.AppendFormat("%s!", s.Data(0));  // own text, longer than the scratch
    EXPECT_EQ(body + body + "!", s);
    QvStdString w("%*d", static_cast<int>(len), 5);
    EXPECT_EQ(len, w.size());
    EXPECT_EQ('5', w.back());
  }
}

TEST(QvStdStringFormat, RejectedFormatGivesNothing) {
  // A wide character that the "C" locale cannot convert makes vsnprintf
  // fail.
  const wchar_t bad[] = {0x20AC, 0};
  QvStdString s("%ls", bad);
  EXPECT_TRUE(s.empty());
  s.Set("keep");
  s.AppendFormat("%ls", bad);
  EXPECT_EQ("keep", s);
  s.SetFormat("%ls", bad);
  EXPECT_TRUE(s.empty());
}

TEST(QvStdString, SetAppendCopy) {
  QvStdString a;
  a.Set("ab");
  a.Append("cd");
  QvStdString b(a);
  b.Append(a);
  EXPECT_EQ("abcd", a);
  EXPECT_EQ("abcdabcd", b);
  b.Set(a);
  EXPECT_TRUE(b.IsSame(a));
  const QvStdString& self = b;
  b = self;
  EXPECT_EQ("abcd", b);
  const std::string plain = "xy";
  QvStdString c(plain);
  EXPECT_EQ("xy", c);
  c.Clear();
  EXPECT_TRUE(c.empty());
}

TEST(QvStdString, Erase) {
  struct Case {
    unsigned pos, count;
    const char* want;
  } cases[] = {{3, 10, "abc"},           {6, 1, "abcdef"}, {100, 1, "abcdef"},
               {0, 0, "abcdef"},         {1, 2, "adef"},   {0, 100, ""},
               {5, 0xffffffffu, "abcde"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pos << "," << c.count);
    QvStdString s;
    s.Set("abcdef");
    EXPECT_EQ(&s, &s.Erase(c.pos, c.count));
    EXPECT_EQ(c.want, s);
  }
  QvStdString empty;
  empty.Erase(0, 1);
  EXPECT_TRUE(empty.empty());
}

TEST(QvStdString, DelTrailingZeroAndWhite) {
  struct Case {
    const char* in;
    bool drop;
    const char* want;
  } zeros[] = {
      {"2.500", true, "2.5"},    {"2.000", true, "2"}, {"10.0", true, "10"},
      {"0.000", true, "0"},      {"", true, ""},       {"0", true, "0"},
      {"000", true, "000"},      {"12.", true, "12"},  {"2.000", false, "2."},
      {"1.2500", false, "1.25"}, {"100", true, "1"},   {".", true, ""},
      {"0.", true, "0"}};
  for (const Case& c : zeros) {
    SCOPED_TRACE(c.in);
    QvStdString s;
    s.Set(c.in);
    s.DelTrailingZero(c.drop);
    EXPECT_EQ(c.want, s);
  }
  const char* white[][2] = {{"a \t\r\n \n", "a"}, {"a b", "a b"},
                            {"   ", "   "},       {"", ""},
                            {"a\f\v", "a\f\v"},   {" a ", " a"}};
  for (auto& c : white) {
    SCOPED_TRACE(c[0]);
    QvStdString s;
    s.Set(c[0]);
    s.DelTrailingWhite();
    EXPECT_EQ(c[1], s);
  }
}

TEST(QvStdString, ReadingTheText) {
  const QvStdString empty;
  EXPECT_STREQ("", empty.Data(0));
  QvStdString s("abc");
  EXPECT_STREQ("bc", s.Data(1));
  EXPECT_STREQ("", s.Data(3));

  QvStdString abcd("abcd"), upper("ABC"), abc("abc");
  EXPECT_FALSE(abc.IsSame(abcd));
  EXPECT_FALSE(abc.IsSame(upper));
  EXPECT_TRUE(QvStdString().IsSame(QvStdString()));
  EXPECT_FALSE(abc.IsSame(std::string("abc\0", 4)));

  EXPECT_TRUE(abc.IfInclude(QvStdString()));
  EXPECT_TRUE(empty.IfInclude(QvStdString()));
  EXPECT_FALSE(empty.IfInclude('a'));
  EXPECT_TRUE(abc.IfInclude('c'));
  EXPECT_TRUE(abcd.IfInclude(QvStdString("bc")));
  EXPECT_FALSE(abcd.IfInclude(QvStdString("bd")));
  EXPECT_TRUE(QvStdString(std::string("a\0b", 3)).IfInclude('\0'));
}

}  // namespace
