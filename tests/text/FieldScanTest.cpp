#include <QvBase/QvStdString.h>
#include <gtest/gtest.h>

#include <string>

namespace {

// Reads fields until `calls` calls are made or the position is -1 after a
// true result; records "field@pos" or "-@pos" per call.
std::string Fields(const std::string& text, const QvStdString& seps,
                   int pos = 0, int calls = 8) {
  const QvStdString t(text);
  std::string out;
  QvStdString word;
  for (int i = 0; i < calls; ++i) {
    word.Set("?");
    const bool ok = t.GetCSWord(pos, word, seps);
    out += (ok ? word : std::string("-")) + "@" + std::to_string(pos) + " ";
    if (!ok && word != "?") out += "(word changed) ";
    if (pos == -1) break;
  }
  return out;
}

TEST(QvFieldScan, Table) {
  const QvStdString comma(",");
  const QvStdString blankComma(" ,");
  struct Case {
    std::string text;
    QvStdString seps;
    int calls;
    std::string want;
  } cases[] = {
      {"p,q,r", comma, 8, "p@1 q@3 r@-1 "},
      {"p,,r", comma, 8, "p@1 -@2 r@-1 "},
      {",,p", comma, 8, "-@1 -@2 p@-1 "},
      {",a", comma, 8, "-@1 a@-1 "},
      {"p,", comma, 3, "p@1 -@2 -@3 "},
      {"\"x,y\",z", comma, 8, "x,y@5 z@-1 "},
      {"ab\"cd\"ef,g", comma, 8, "cd@8 g@-1 "},
      {"\"x", comma, 8, "x@-1 "},
      {"\"x,y", comma, 8, "x,y@-1 "},
      {"\"\"", comma, 8, "@-1 "},
      {"a,\"\"\"b\",c", comma, 8, "a@1 @7 c@-1 "},
      {"a,\"", comma, 8, "a@1 @-1 "},
      {"p, q", blankComma, 8, "p@1 -@2 q@-1 "},
      {",,,", comma, 5, "-@1 -@2 -@3 -@4 -@5 "},
      {"", comma, 3, "-@1 -@2 -@3 "},
      {"a,b", QvStdString(), 8, "a,b@-1 "},
      {"\"a,b\"", QvStdString(), 8, "a,b@-1 "},
      {"a\"b,c\"d,e", comma, 8, "b,c@7 e@-1 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.want, Fields(c.text, c.seps, 0, c.calls));
  }
}

TEST(QvFieldScan, PositionsOutsideTheText) {
  const QvStdString comma(",");
  EXPECT_EQ("-@-1 ", Fields("a,b", comma, -1, 1));
  EXPECT_EQ("-@-7 ", Fields("a,b", comma, -7, 1));
  EXPECT_EQ("-@11 -@12 ", Fields("a,b", comma, 10, 2));
  // A text that led with a separator shifts the scan of the next text.
  Fields("a", comma, 0, 1);
  EXPECT_EQ("b@-1 ", Fields("a,b", comma, 2, 1));
}

TEST(QvFieldScan, LeadingSeparatorFlagLastsUntilTheFirstField) {
  const QvStdString comma(",");
  const QvStdString lead(",x,y");
  const QvStdString other("ab,c");
  QvStdString word;
  int pos = 0;
  EXPECT_FALSE(lead.GetCSWord(pos, word, comma));  // sets the flag
  // A scan of another text away from position 0 sees the flag: its base
  // moves one back, so "c" at 3 is read from position 4.
  int otherPos = 4;
  EXPECT_TRUE(other.GetCSWord(otherPos, word, comma));
  EXPECT_EQ("c", word);
  // That success cleared the flag: from position 1 the first text now
  // reads "x" directly, not as a field announced by the separator at 0.
  pos = 1;
  EXPECT_TRUE(lead.GetCSWord(pos, word, comma));
  EXPECT_EQ(2, pos);
  pos = 0;
  EXPECT_FALSE(lead.GetCSWord(pos, word, comma));
  EXPECT_TRUE(lead.GetCSWord(pos, word, comma));
  EXPECT_EQ("x", word);
  EXPECT_EQ(2, pos);
}

TEST(QvFieldScan, SeparatorsOnlyNeverGoNegativeAndEnd) {
  const QvStdString seps(" ,;");
  const QvStdString text(std::string(1000, ','));
  QvStdString word("keep");
  int pos = 0;
  int calls = 0;
  while (pos <= 1010 && calls < 2000) {
    EXPECT_FALSE(text.GetCSWord(pos, word, seps));
    ++calls;
  }
  EXPECT_EQ(1011, pos);
  EXPECT_EQ("keep", word);
}

// The output word may be the scanned string itself.
TEST(QvFieldScan, WordMayBeTheTextItself) {
  const QvStdString comma(",");
  QvStdString s("\"ab,c\"xyz,d");
  int pos = 0;
  EXPECT_TRUE(s.GetCSWord(pos, s, comma));
  EXPECT_EQ("ab,c", s);
  EXPECT_EQ(9, pos);
  QvStdString t("  ab  cd");
  pos = 0;
  EXPECT_TRUE(t.GetWord(pos, t, QvStdString(" ")));
  EXPECT_EQ("ab", t);
  EXPECT_EQ(4, pos);
}

}  // namespace
