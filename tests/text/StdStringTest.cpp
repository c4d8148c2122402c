#include <QvBase/QvStdString.h>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(QvStdStringFormat, PercentSignsAndOwnText) {
  EXPECT_EQ("50%", QvStdString("50%%"));  // formatted
  QvStdString s;
  s.Set("50%%");  // literal
  EXPECT_EQ("50%%", s);
  s.SetFormat("%s", s.Data(0));
  EXPECT_EQ("50%%", s);
  s.AppendFormat("%d", 7);
  EXPECT_EQ("50%%7", s);
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
    EXPECT_EQ(std::string(len - 1, ' ') + "5", w);
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
  EXPECT_EQ("abcdabcd", b);
  b.Set(a);
  const QvStdString& self = b;
  b = self;
  EXPECT_EQ("abcd", b);
  b.Clear();
  EXPECT_TRUE(b.empty());
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
    int mode;  // 0: zeros keeping the point, 1: dropping it, 2: white
    const char* want;
  } cases[] = {
      {"2.500", 1, "2.5"}, {"2.000", 1, "2"},     {"10.0", 1, "10"},
      {"", 1, ""},         {"000", 1, "000"},     {"12.", 1, "12"},
      {"2.000", 0, "2."},  {"1.2500", 0, "1.25"}, {"100", 1, "1"},
      {".", 1, ""},        {"0.", 1, "0"},        {"a \t\r\n \n", 2, "a"},
      {"a b", 2, "a b"},   {"   ", 2, "   "},     {"a\f\v", 2, "a\f\v"},
      {" a ", 2, " a"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    QvStdString s;
    s.Set(c.in);
    if (c.mode == 2)
      s.DelTrailingWhite();
    else
      s.DelTrailingZero(c.mode == 1);
    EXPECT_EQ(c.want, s);
  }
}

TEST(QvStdString, ReadingTheText) {
  const QvStdString empty, abc("abc"), abcd("abcd");
  EXPECT_STREQ("", empty.Data(0));
  EXPECT_STREQ("bc", abc.Data(1));
  EXPECT_STREQ("", abc.Data(3));

  EXPECT_FALSE(abc.IsSame(abcd));
  EXPECT_FALSE(abc.IsSame(QvStdString("ABC")));
  EXPECT_TRUE(empty.IsSame(QvStdString()));
  EXPECT_FALSE(abc.IsSame(std::string("abc\0", 4)));

  EXPECT_TRUE(empty.IfInclude(QvStdString()));
  EXPECT_FALSE(empty.IfInclude('a'));
  EXPECT_TRUE(abc.IfInclude('c'));
  EXPECT_TRUE(abcd.IfInclude(QvStdString("bc")));
  EXPECT_FALSE(abcd.IfInclude(QvStdString("bd")));
  EXPECT_TRUE(QvStdString(std::string("a\0b", 3)).IfInclude('\0'));
}

}  // namespace
