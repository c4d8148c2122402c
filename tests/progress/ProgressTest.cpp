#include <QvBase/QvProgress.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/OpenFiles.h"
#include "support/TempDir.h"

namespace {

using qvtest::TempDir;

// A reporter that keeps the texts its keyed operations compose.
class Recorder : public QvProgress {
 public:
  std::vector<std::string> texts;
  using QvProgress::SendError;
  using QvProgress::ShowMessage;

  void ShowMessage(const QvStdString& key, const char* format, ...) override {
    std::va_list args;
    va_start(args, format);
    Keep(false, key, format, args);
    va_end(args);
  }
  void SendError(const QvStdString& key, const char* format, ...) override {
    std::va_list args;
    va_start(args, format);
    Keep(true, key, format, args);
    va_end(args);
  }
  void Keep(bool details, const QvStdString& key, const char* format,
            std::va_list args) {
    QvStdString text;
    if (details)
      ComposeDetails(text, key, format, args);
    else
      ComposeMessage(text, key, format, args);
    texts.push_back(text);
  }
  long Position() { return std::ftell(pLocalMsgFile()); }
  void Seek(long pos) { std::fseek(pLocalMsgFile(), pos, SEEK_SET); }
};

// A reporter with a message file of the given content.
struct Fixture {
  TempDir dir;
  Recorder rep;
  explicit Fixture(const std::string& content) {
    EXPECT_TRUE(qvtest::WriteAll(dir.File("msg.txt"), content));
    EXPECT_TRUE(rep.OpenLocalMessageFile(dir.File("msg.txt").c_str()));
  }
};

TEST(QvProgress, CountersKeepCurrentWithinTotal) {
  QvProgress p;
  const auto expect = [&p](int total, int current) {
    EXPECT_EQ(total, p.Total());
    EXPECT_EQ(current, p.Current());
  };
  expect(0, 0);
  p.SetTotal(10);
  p.SetCurrent(4);
  p.SetTotal(-1);
  p.SetCurrent(-5);
  p.Increment(0);
  p.Increment(-3);
  expect(10, 4);
  p.SetCurrent(12);
  expect(12, 12);
  p.SetTotal(5);
  p.Increment(7);
  expect(7, 7);
  p.Increment(2147483647);  // stops at the largest count, no overflow
  expect(2147483647, 2147483647);
  p.SetMute(true);
  p.Clear();
  expect(0, 0);
  EXPECT_TRUE(p.IfMute());
}

TEST(QvProgress, WithoutAFileTheKeyCarriesANote) {
  QvProgress p;
  QvStdString key("K1"), text("old");
  EXPECT_FALSE(p.IfLocalMsg());
  EXPECT_FALSE(p.GetLocalMsg(key, text));
  EXPECT_EQ("K1\nLocal Message file is not Found.", text);
  EXPECT_FALSE(p.GetLocalMsg(key, key));  // same object as key and text
  EXPECT_EQ("K1\nLocal Message file is not Found.", key);
}

TEST(QvProgress, LookupTakesTheFirstPieceHoldingTheKey) {
  const std::string longLine = std::string(1020, 'x') + "SPLIT rest\n";
  const std::string second = std::string(1030, 'y') + "LATE text\n";
  struct Case {
    std::string file, key;
    bool found;
    std::string text;
  } cases[] = {
      {"ERR_OPEN,\t\"Cannot open the file\"\n", "ERR_OPEN", true,
       "Cannot open the file"},
      {"A one\nB two\n", "B", true, "two"},
      {"ONLY\n", "ONLY", true, ""},
      {"ONLY ,\"\t\"\n", "ONLY", true, ""},
      {"Q \"say \"hi\" now\"\n", "Q", true, "say \"hi\" now"},
      {"E12 twelve\nE1 one\n", "E1", true, "2 twelve"},
      {"K  text  \r\n", "K", true, "text"},
      {"K text\tx \t\"\r\n\r", "K", true, "text\tx"},
      {"", "K", false, "K"},
      {"A one\n", "Z", false, "Z"},
      {"  first line \"\nsecond\n", "", true, "first line"},
      {"low key\n", "Key", false, "Key"},
      {"K a K b\n", "K", true, "a K b"},
      {"no final newline: K tail", "K", true, "tail"},
      {std::string("a\0K hidden\nK seen\n", 18), "K", true, "seen"},
      {longLine, "SPLIT", false, "SPLIT"},
      {longLine + "SPLIT again\n", "SPLIT", true, "again"},
      {second, "LATE", true, "text"},
      {std::string(1030, 'z') + "\n", "zz", true, std::string(1021, 'z')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 40) + " / " + c.key);
    Fixture fx(c.file);
    QvStdString key(c.key), text("old");
    EXPECT_EQ(c.found, fx.rep.GetLocalMsg(key, text));
    EXPECT_EQ(c.text, text);
    EXPECT_EQ(c.found, fx.rep.GetLocalMsg(key, key));  // aliasing
    EXPECT_EQ(c.text, key);
  }
}

TEST(QvProgress, OpeningReplacesOrKeepsTheFile) {
  Fixture fx("A first\n");
  QvStdString text;
  EXPECT_FALSE(fx.rep.OpenLocalMessageFile(nullptr));
  EXPECT_TRUE(fx.rep.IfLocalMsg());
  fx.rep.Seek(5);  // every lookup reads from the start
  EXPECT_TRUE(fx.rep.GetLocalMsg(QvStdString("A"), text));
  EXPECT_EQ("first", text);
  EXPECT_FALSE(fx.rep.OpenLocalMessageFile(fx.dir.File("none").c_str()));
  EXPECT_FALSE(fx.rep.IfLocalMsg());
  EXPECT_FALSE(fx.rep.OpenLocalMessageFile(fx.dir.Path().c_str()));
  EXPECT_TRUE(fx.rep.OpenLocalMessageFile(fx.dir.File("msg.txt").c_str()));
  EXPECT_TRUE(fx.rep.OpenLocalMessageFile(fx.dir.File("msg.txt").c_str()));
  EXPECT_EQ(0, fx.rep.Total());
  EXPECT_FALSE(fx.rep.IfMute());
}

TEST(QvProgress, ComposedTexts) {
  Fixture fx("M \"Saved\"\nE Cannot read\n");
  fx.rep.ShowMessage(QvStdString("M"), " %d parts", 3);
  fx.rep.ShowMessage(QvStdString("M"), nullptr);
  fx.rep.SendError(QvStdString("E"), "line %d", 7);
  fx.rep.SendError(QvStdString("E"), nullptr);
  fx.rep.SendError(QvStdString("X"), "%s", "detail");
  const std::string big(3000, 'b');
  fx.rep.ShowMessage(QvStdString("M"), "%s", big.c_str());
  const std::vector<std::string> expected = {
      "Saved 3 parts", "Saved",     "Cannot read\nline 7",
      "Cannot read",   "X\ndetail", "Saved" + big};
  EXPECT_EQ(expected, fx.rep.texts);

  Recorder none;
  none.SendError(QvStdString("E"), "x");
  EXPECT_EQ("E\nLocal Message file is not Found.\nx", none.texts.at(0));
}

TEST(QvProgress, BaseAnswersYesAndMutingSparesTheFile) {
  Fixture fx("Q Proceed?\n");
  QvProgress& base = fx.rep;
  const QvStdString key("Q");
  EXPECT_TRUE(base.Question(1, 2));
  EXPECT_TRUE(base.QuestionApplyAll(1, "x %d", 2));
  EXPECT_FALSE(base.CheckEscape());
  base.QvProgress::ShowMessage(key, "%s", "x");  // composes, shows nothing
  EXPECT_TRUE(fx.rep.texts.empty());

  // Muted: questions, errors and warnings leave the file alone; messages
  // and status texts still look their key up.
  base.SetMute(true);
  fx.rep.Seek(3);
  EXPECT_TRUE(base.Question(key, "%d", 1));
  EXPECT_TRUE(base.QuestionApplyAll(key, nullptr));
  base.SendWarning(key, nullptr);
  base.QvProgress::SendError(key, nullptr);
  EXPECT_EQ(3, fx.rep.Position());
  base.ShowStatus(key, nullptr);
  EXPECT_NE(3, fx.rep.Position());
}

TEST(QvProgress, CopiesStartWithoutAFileAndEveryStreamClosesOnce) {
  Fixture fx("A first\n");
  fx.rep.SetTotal(9);
  fx.rep.SetCurrent(4);
  fx.rep.SetMute(true);
  const int open = qvtest::OpenDescriptors();
  {
    QvProgress copy(fx.rep);
    EXPECT_FALSE(copy.IfLocalMsg());
    EXPECT_EQ(9, copy.Total());
    EXPECT_EQ(4, copy.Current());
    EXPECT_TRUE(copy.IfMute());
    QvProgress target;
    ASSERT_TRUE(target.OpenLocalMessageFile(fx.dir.File("msg.txt").c_str()));
    target = fx.rep;  // the target's file is closed here
    EXPECT_FALSE(target.IfLocalMsg());
    EXPECT_EQ(open, qvtest::OpenDescriptors());
    EXPECT_EQ(4, target.Current());
    QvProgress& self = fx.rep;
    self = fx.rep;  // assigning a reporter to itself keeps its file
  }
  EXPECT_EQ(open, qvtest::OpenDescriptors());
  QvStdString text;
  EXPECT_TRUE(fx.rep.GetLocalMsg(QvStdString("A"), text));
  EXPECT_EQ("first", text);
}

}  // namespace
