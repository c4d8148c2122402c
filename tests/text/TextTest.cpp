#include <QvBase/QvNumberText.h>
#include <QvBase/QvStdString.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>

namespace {

// Only the constructor and the *Format calls format; Set and Append take
// the text literally, and a null text counts as the empty one. A format the
// "C" locale cannot convert (this wide character) gives nothing. Long
// results are never cut.
TEST(QvStdStringFormat, FormatOrLiteralAndNeverCut) {
  const wchar_t bad[] = {0x20AC, 0};
  EXPECT_EQ("50%", QvStdString("50%%"));
  EXPECT_TRUE(QvStdString("%ls", bad).empty());
  QvStdString s;
  s.Set("50%%");
  s.Append(static_cast<const char*>(nullptr));
  s.AppendFormat("%ls", bad);
  EXPECT_EQ("50%%", s);
  s.SetFormat("%s", s.Data(0));
  s.AppendFormat("%d", 7);
  s.Append(s);
  EXPECT_EQ("50%%750%%7", s);
  s.Set(s.Data(5));  // a text inside the string itself
  EXPECT_EQ("50%%7", s);
  s.SetFormat("ab");
  s.AppendFormat(s.Data(1));  // a plain format inside the string itself
  EXPECT_EQ("abb", s);
  s.Set(static_cast<const char*>(nullptr));
  EXPECT_TRUE(s.empty());
  s.Set(QvStdString("%d%%", 5));  // copied, not formatted again
  EXPECT_EQ("5%", s);
  s.Clear();
  EXPECT_TRUE(s.empty());
  s.Set("x");
  s.SetFormat("%ls", bad);
  EXPECT_TRUE(s.empty());
  // A result ends at its first zero byte, also past the scratch area.
  EXPECT_EQ("a", QvStdString("a%cb", 0));
  s.SetFormat("x%cy", 0);
  EXPECT_EQ("x", s);
  s.AppendFormat("%c!", 0);
  EXPECT_EQ("x", s);
  s.SetFormat("%s%c%s", std::string(2000, 'z').c_str(), 0, "tail");
  EXPECT_EQ(std::string(2000, 'z'), s);
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

TEST(QvStdString, EraseAndTrailingTrims) {
  const std::tuple<unsigned, unsigned, const char*> erases[] = {
      {3, 10, "abc"},
      {6, 1, "abcdef"},
      {100, 1, "abcdef"},
      {1, 2, "adef"},
      {5, ~0u, "abcde"}};
  for (const auto& [pos, count, want] : erases) {
    QvStdString s(std::string("abcdef"));
    EXPECT_EQ(&s, &s.Erase(pos, count));
    EXPECT_EQ(want, s) << pos << "," << count;
  }
  // Modes: 0 removes zeros and keeps the point, 1 drops it too, 2 white.
  const std::tuple<const char*, int, const char*> trims[] = {
      {"2.500", 1, "2.5"}, {"10.0", 1, "10"},       {"", 1, ""},
      {"000", 1, "000"},   {"2.000", 0, "2."},      {"100", 1, "1"},
      {".", 1, ""},        {"0.", 1, "0"},          {"   ", 2, "   "},
      {" a ", 2, " a"},    {"a \t\r\n \n", 2, "a"}, {"a\f\v", 2, "a\f\v"}};
  for (const auto& [in, mode, want] : trims) {
    QvStdString s(std::string{in});
    if (mode == 2)
      s.DelTrailingWhite();
    else
      s.DelTrailingZero(mode == 1);
    EXPECT_EQ(want, s) << in;
  }
}

// Texts are counted and compared byte for byte.
TEST(QvStdString, CountedTexts) {
  const QvStdString abc("abc"), empty;
  EXPECT_STREQ("bc", abc.Data(1));
  EXPECT_FALSE(abc.IsSame(std::string("abc\0", 4)));
  EXPECT_FALSE(abc.IsSame(QvStdString("ABC")));
  EXPECT_TRUE(empty.IsSame(QvStdString()));
  EXPECT_TRUE(empty.IfInclude(QvStdString()));
  EXPECT_FALSE(abc.IfInclude(QvStdString("ac")));
  EXPECT_TRUE(QvStdString(std::string("a\0b", 3)).IfInclude('\0'));
}

using Scan = bool (QvStdString::*)(int&, QvStdString&,
                                   const QvStdString&) const;
const Scan W = &QvStdString::GetWord;
const Scan F = &QvStdString::GetCSWord;
const QvStdString kWhite(" \t\n\r"), kComma(","), kNone;

// Calls `scan` on `text` up to `calls` times and records "word@pos" or
// "-@pos" per call; stops at the end of the text or when a failed call
// leaves the position where it was. A failed call must not touch the word.
std::string ScanAll(Scan scan, const std::string& text, const QvStdString& seps,
                    int pos = 0, int calls = 4) {
  const QvStdString t(text);
  std::string out;
  QvStdString word;
  for (int i = 0; i < calls; ++i) {
    word.Set("?");
    const int before = pos;
    const bool ok = (t.*scan)(pos, word, seps);
    out += (ok ? word : std::string("-")) + "@" + std::to_string(pos) + " ";
    if (!ok && word != "?") out += "(word changed) ";
    if (pos == -1 || (!ok && pos == before)) break;
  }
  return out;
}

TEST(QvWordScan, Table) {
  // scan, text, separators, start position, the calls as ScanAll records them
  const std::tuple<Scan, std::string, QvStdString, int, std::string> cases[] = {
      {W, "  ab  cd  ", kWhite, 0, "ab@4 cd@8 -@8 "},
      {W, "", kWhite, 0, "-@0 "},
      {W, " \t\r\n", kWhite, 0, "-@0 "},
      {W, "ab cd", kNone, 1, "b cd@-1 "},
      {W, "ab cd", kNone, 5, "-@5 "},
      {W, "ab cd", kWhite, 99, "-@99 "},
      {W, "ab cd", kWhite, -1, "-@-1 "},
      {W, "a,b;;c", QvStdString(";,"), 0, "a@1 b@3 c@-1 "},
      {W, std::string("a\0b c", 5), kWhite, 0, std::string("a\0b@3 c@-1 ", 11)},
      {W, "x\fy\vz", kWhite, 0, "x\fy\vz@-1 "},
      // Bytes past 127: only the ones in the set separate.
      {W,
       "a\xA0"
       "b;c",
       QvStdString(" ;"), 0,
       "a\xA0"
       "b@3 c@-1 "},
      {W, "abcdefghij\x80klmnopqrs", QvStdString("\x80"), 0,
       "abcdefghij@10 klmnopqrs@-1 "},
      // Fields: an empty one fails and moves on by one; quotes hold
      // separators, and text around a quoted part is dropped.
      {F, "p,,r", kComma, 0, "p@1 -@2 r@-1 "},
      {F, ",,p", kComma, 0, "-@1 -@2 p@-1 "},
      {F, "p,", kComma, 0, "p@1 -@2 -@3 -@4 "},
      {F, "", kComma, 0, "-@1 -@2 -@3 -@4 "},
      {F, "\"x,y\",z", kComma, 0, "x,y@5 z@-1 "},
      {F, "ab\"cd\"ef,g", kComma, 0, "cd@8 g@-1 "},
      {F, "a\"b,c\"d,e", kComma, 0, "b,c@7 e@-1 "},
      {F, "\"x,y", kComma, 0, "x,y@-1 "},
      {F, "\"\"", kComma, 0, "@-1 "},
      {F, "a,\"\"\"b\",c", kComma, 0, "a@1 @7 c@-1 "},
      {F, "a,\"", kComma, 0, "a@1 @-1 "},
      {F, "p, q", QvStdString(" ,"), 0, "p@1 -@2 q@-1 "},
      {F, "a\"b\"", QvStdString("\""), 0, "a@1 b@3 -@4 -@5 "},
      {F, "a,b", kNone, 0, "a,b@-1 "},
      {F, "\"a,b\"", kNone, 0, "a,b@-1 "},
      {F, "a,b", kComma, -7, "-@-7 "},
      {F, "a,b", kComma, 10, "-@11 -@12 -@13 -@14 "}};
  for (const auto& [scan, text, seps, pos, want] : cases) {
    EXPECT_EQ(want, ScanAll(scan, text, seps, pos)) << text;
    if (scan == F && seps.size() == 1) {  // one separator's own path
      EXPECT_EQ(want, ScanAll(scan, text, seps + seps, pos)) << text;
    }
  }
  // A long run of separators only moves a field scan on, also past the end.
  std::string want;
  for (int i = 1; i <= 1011; ++i) want += "-@" + std::to_string(i) + " ";
  EXPECT_EQ(want,
            ScanAll(F, std::string(1000, ','), QvStdString(" ,;"), 0, 1011));
}

// Whether the text scanned from position 0 led with a separator is kept
// process-wide until a field is read; meanwhile a scan of any text away from
// 0 starts one position early. The steps run in order, the first on the
// flag as the process loads it (false).
TEST(QvFieldScan, LeadingSeparatorFlag) {
  const std::tuple<const char*, int, int, const char*> steps[] = {
      {"a,,b", 2, 1, "b@-1 "},  // read from 2, not 1
      {"a", 0, 1, "a@-1 "},     // clears the flag
      {"ab,c", 4, 1, "-@5 "},   // past the end
      {",x,y", 0, 1, "-@1 "},   // sets it
      {"ab,c", 4, 1, "c@-1 "},  // read from 3; the field clears the flag
      {",x,y", 2, 1, "y@-1 "},  // read from 2
      {",x,y", 0, 2, "-@1 x@2 "}};
  for (const auto& [text, pos, calls, want] : steps)
    EXPECT_EQ(want, ScanAll(F, text, kComma, pos, calls)) << text;
}

TEST(QvWordScan, CountWordAndIfIncludeWord) {
  const std::pair<const char*, int> cases[] = {
      {"", 0},           {"   ", 0},          {"a", 1},
      {"  ab  cd  ", 2}, {"a\tb\nc\rd e", 5}, {"a\fb", 1},
      {"1,2,3", 1}};
  for (const auto& [in, want] : cases)
    EXPECT_EQ(want, QvStdString("%s", in).CountWord(QvStdString("x"))) << in;
  const QvStdString ab("ab");
  const std::pair<const char*, bool> includes[] = {
      {"ab", true},     {"x ab", true},   {"ab x", true},   {"abc", false},
      {"xab", false},   {"x abx", false}, {"abc ab", true}, {"", false},
      {"aab ab", true}, {"abab", false},  {"xab ab", true}};
  for (const auto& [in, want] : includes)
    EXPECT_EQ(want, QvStdString("%s", in).IfIncludeWord(ab, kWhite)) << in;
  EXPECT_TRUE(QvStdString("a,ab;c").IfIncludeWord(ab, QvStdString(",;")));
  EXPECT_FALSE(QvStdString("a ab c").IfIncludeWord(ab, kNone));
  // An empty word is never a whole word, and the search ends.
  for (const char* in : {"xyz", " x", ""})
    EXPECT_FALSE(QvStdString("%s", in).IfIncludeWord(kNone, kWhite)) << in;
}

TEST(QvWordScan, KeyPosAndWordAfterKey) {
  const QvStdString text("xxabcabc"), key("abc");
  const std::tuple<const QvStdString*, int, int> finds[] = {
      {&key, 0, 2},   {&key, 3, 5},   {&key, 6, -1},  {&key, -1, -1},
      {&kNone, 2, 2}, {&kNone, 8, 8}, {&kNone, 9, -1}};
  for (const auto& [k, from, want] : finds)
    EXPECT_EQ(want, text.GetKeyPos(*k, from)) << from;
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

TEST(QvWordScan, FirstWordCheckWordAndTheTextAsItsOwnWord) {
  QvStdString word("keep");
  EXPECT_FALSE(QvStdString().GetFirstWord(word, kWhite));
  EXPECT_EQ("keep", word);
  EXPECT_TRUE(QvStdString("  ab cd").GetFirstWord(word, kWhite));
  EXPECT_EQ("ab", word);
  EXPECT_TRUE(QvStdString("  ab cd").IfFirstWordIs(QvStdString("ab"), kWhite));
  EXPECT_FALSE(QvStdString("  abc d").IfFirstWordIs(QvStdString("ab"), kWhite));
  EXPECT_FALSE(QvStdString().IfFirstWordIs(QvStdString("ab"), kWhite));
  EXPECT_FALSE(QvStdString("  ").IfFirstWordIs(QvStdString(), kWhite));

  const std::tuple<int, const char*, bool, int> checks[] = {
      {2, "cd", true, -1},
      {2, "xy", false, -1},
      {0, "a", false, 2},
      {-1, "ab", false, -1}};
  for (const auto& [from, w, want, wantPos] : checks) {
    SCOPED_TRACE(w);
    int pos = from;
    EXPECT_EQ(want, QvStdString("ab cd").CheckWord(pos, QvStdString(w)));
    EXPECT_EQ(wantPos, pos);
  }
  // The word may be the text itself.
  QvStdString s("\"ab,c\"xyz,d"), t("  ab  cd");
  int pos = 0, tpos = 0;
  EXPECT_TRUE(s.GetCSWord(pos, s, kComma));
  EXPECT_EQ("ab,c", s);
  EXPECT_EQ(9, pos);
  EXPECT_TRUE(t.GetWord(tpos, t, QvStdString(" ")));
  EXPECT_EQ("ab", t);
  EXPECT_EQ(4, tpos);
}

// Fixed cases that pin the writers' trimming rule, their result areas and
// the readers' markers; values in general are left to NumberDiffTest.
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
  // Past 4096 the C library takes the width; past int, glibc refuses it
  // (the Windows runtime does not).
  EXPECT_EQ(std::string(4095, ' ') + "2.5",
            std::string(QvWriteDouble("%4098.1f", 2.5, true)));
#if defined(__GLIBC__)
  EXPECT_STREQ("", QvWriteDouble("%4294967296f", 2.5, true));
#endif
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
  for (const auto& [in, want] : ints) EXPECT_EQ(want, QvGetInt(in)) << in;
  // The failure marker reads as itself; "+." fails.
  const std::pair<const char*, double> reals[] = {{" 2.5e3", 2500},
                                                  {"2.5kg", 2.5},
                                                  {"+.", -9.999e10},
                                                  {"", -9.999e10},
                                                  {"-9.999e10", -9.999e10}};
  for (const auto& [in, want] : reals) {
    EXPECT_EQ(want, QvGetDouble(in)) << in;
    EXPECT_EQ(static_cast<float>(want), QvGetFloat(in)) << in;
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
