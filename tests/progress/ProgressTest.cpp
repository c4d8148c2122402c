#include <QvBase/QvProgress.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "support/OpenFiles.h"
#include "support/TempDir.h"

namespace {

std::string ReadRest(std::FILE* f) {
  std::string rest;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
    rest.append(buf, n);
  return rest;
}

// What reading on gives after a lookup of key: the rest of the file after
// the first fgets piece that holds key, or nothing when none does.
std::string RestAfterPiece(const std::string& path, const std::string& key) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  char piece[1024];
  while (std::fgets(piece, sizeof piece, f) != nullptr &&
         std::strstr(piece, key.c_str()) == nullptr) {
  }
  std::string rest = ReadRest(f);
  std::fclose(f);
  return rest;
}

// A reporter that lets the tests compose keyed texts and move in its file.
struct Reporter : QvProgress {
  // The text of a keyed message (details false) or error (details true).
  std::string Compose(bool details, const char* key, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    QvStdString text;
    (this->*(details ? &Reporter::ComposeDetails : &Reporter::ComposeMessage))(
        text, QvStdString(key), format, args);
    va_end(args);
    return text;
  }
  long Position() { return std::ftell(pLocalMsgFile()); }
  std::string Rest() { return ReadRest(pLocalMsgFile()); }
  void Seek(long pos) { std::fseek(pLocalMsgFile(), pos, SEEK_SET); }
  bool ConstFileIsTheFile() const {
    return pLocalMsgFile() != nullptr &&
           pLocalMsgFile() == const_cast<Reporter*>(this)->pLocalMsgFile();
  }
};

// A reporter with a message file of the given content.
struct Fixture {
  qvtest::TempDir dir;
  Reporter rep;
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
  EXPECT_FALSE(p.IfMute());
  p.SetTotal(10);
  p.SetCurrent(4);
  p.SetTotal(-1);
  p.SetCurrent(-5);
  p.Increment(0);
  p.Increment(-3);
  expect(10, 4);
  p.SetCurrent(11);
  p.Increment(1);
  expect(12, 12);
  p.SetTotal(5);
  p.Increment(7);
  expect(7, 7);
  p.Increment(2147483647);  // stops at the largest count, no overflow
  expect(2147483647, 2147483647);
  p.SetCurrent(0);
  expect(2147483647, 0);
  p.SetTotal(0);
  expect(0, 0);
  p.SetMute(true);
  p.Clear();
  expect(0, 0);
  EXPECT_TRUE(p.IfMute());
}

// A lookup takes the first piece holding the key and leaves the stream
// right after that piece (at the end when none holds it), in text mode.
TEST(QvProgress, LookupTakesTheFirstPieceHoldingTheKeyAndComposes) {
  const std::string longLine = std::string(1020, 'x') + "SPLIT rest\n";
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
      {"K text\tx \t\"\r\n\r", "K", true, "text\tx"},
      {"", "K", false, "K"},
      {"  first line \"\nsecond\n", "", true, "first line"},
      {"low key\n", "Key", false, "Key"},
      {"K a K b\n", "K", true, "a K b"},
      {"no final newline: K tail", "K", true, "tail"},
      {std::string("a\0K hidden\nK seen\n", 18), "K", true, "seen"},
      {std::string("K cut\0off\nL next\n", 17), "K", true, "cut"},
      {longLine, "SPLIT", false, "SPLIT"},
      {longLine + "SPLIT again\n", "SPLIT", true, "again"},
      {std::string(1030, 'y') + "LATE text\n", "LATE", true, "text"},
      {std::string(1030, 'z') + "\n", "zz", true, std::string(1021, 'z')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 40) + " / " + c.key);
    Fixture fx(c.file);
    QvStdString key(c.key), text("old");
    EXPECT_EQ(c.found, fx.rep.GetLocalMsg(key, text));
    EXPECT_EQ(c.text, text);
    EXPECT_EQ(RestAfterPiece(fx.dir.File("msg.txt"), c.key), fx.rep.Rest());
    EXPECT_EQ(c.found, fx.rep.GetLocalMsg(key, key));  // aliasing
    EXPECT_EQ(c.text, key);
  }
  // Composed texts: the looked-up text, then the formatted part.
  Fixture fx("M \"Saved\"\nE Cannot read\n");
  Reporter& r = fx.rep;
  const std::string big(3000, 'b');
  EXPECT_EQ("Saved 3 parts", r.Compose(false, "M", " %d parts", 3));
  EXPECT_EQ("Saved", r.Compose(false, "M", nullptr));
  EXPECT_EQ("Saved" + big, r.Compose(false, "M", "%s", big.c_str()));
  EXPECT_EQ("Cannot read\nline 7", r.Compose(true, "E", "line %d", 7));
  EXPECT_EQ("Saved 3", r.Compose(false, "M", " %d%c parts", 3, 0));
  EXPECT_EQ("Cannot read", r.Compose(true, "E", nullptr));
  EXPECT_EQ("X\ndetail", r.Compose(true, "X", "%s", "detail"));
  EXPECT_EQ("E\nLocal Message file is not Found.\nx",
            Reporter().Compose(true, "E", "x"));
}

TEST(QvProgress, BaseAnswersYesAndMutingSparesTheFile) {
  Fixture fx("Q Proceed?\n");
  QvProgress& base = fx.rep;
  const QvStdString key("Q");
  EXPECT_TRUE(base.Question(1, 2) && base.Question(1, "x %d", 2));
  EXPECT_TRUE(base.Question(key, nullptr));
  EXPECT_TRUE(base.QuestionApplyAll(1, 2) &&
              base.QuestionApplyAll(1, "x %d", 2));
  EXPECT_TRUE(base.QuestionApplyAll(key, "%d", 3));
  EXPECT_FALSE(base.CheckEscape());
  base.ShowMessage(key, "%s", "x");
  // Muted: questions, errors and warnings leave the file alone; messages
  // and status texts still look their key up.
  base.SetMute(true);
  fx.rep.Seek(3);
  EXPECT_TRUE(base.Question(key, "%d", 1));
  EXPECT_TRUE(base.QuestionApplyAll(key, nullptr));
  base.SendWarning(key, nullptr);
  base.SendError(key, nullptr);
  // The base shows nothing by number or by plain text, muted or not.
  for (const bool mute : {true, false}) {
    base.SetMute(mute);
    base.ShowProgress(1, true);
    base.ShowProgress(key, false);
    base.ShowMessage(1, 2);
    base.ShowMessage(1, "x %d", 2);
    base.ShowStatus(1, 2);
    base.ShowStatus(1, "x %d", 2);
    base.SendError(1, 2);
    base.SendError(1, "x %d", 2);
    base.SendWarning(1, 2);
    base.SendWarning(1, "x %d", 2);
  }
  EXPECT_EQ(3, fx.rep.Position());
  EXPECT_TRUE(fx.rep.ConstFileIsTheFile());
  // Unmuted, errors and warnings look their key up too.
  const std::function<void()> lookups[] = {
      [&] { base.SendError(key, "%d", 1); },
      [&] { base.SendWarning(key, nullptr); },
      [&] {
        base.SetMute(true);
        base.ShowStatus(key, nullptr);
      }};
  for (const auto& lookup : lookups) {
    fx.rep.Seek(3);
    lookup();
    EXPECT_NE(3, fx.rep.Position());
  }
}

// Copies start without a file and every stream closes once; a failed open
// drops the file, except for a null name.
TEST(QvProgress, CopyingAndOpeningKeepOrDropTheFile) {
  Fixture fx("A first\n");
  const std::string path = fx.dir.File("msg.txt");
  fx.rep.SetTotal(9);
  fx.rep.SetCurrent(4);
  fx.rep.SetMute(true);
  const int open = qvtest::OpenDescriptors();
  {
    QvProgress copy(fx.rep), target, dropped;
    ASSERT_TRUE(target.OpenLocalMessageFile(path.c_str()));
    target = fx.rep;  // the target's file is closed here
    EXPECT_EQ(open, qvtest::OpenDescriptors());
    ASSERT_TRUE(dropped.OpenLocalMessageFile(path.c_str()));  // closed at }
    for (const QvProgress* p : {&copy, &target}) {
      EXPECT_FALSE(p->IfLocalMsg());
      EXPECT_EQ(9, p->Total());
      EXPECT_EQ(4, p->Current());
      EXPECT_TRUE(p->IfMute());
    }
    QvProgress& self = fx.rep;
    self = fx.rep;  // assigning a reporter to itself keeps its file
  }
  EXPECT_EQ(open, qvtest::OpenDescriptors());
  QvStdString text;
  EXPECT_FALSE(fx.rep.OpenLocalMessageFile(nullptr));  // keeps the file
  fx.rep.Seek(5);  // every lookup reads from the start
  EXPECT_TRUE(fx.rep.GetLocalMsg(QvStdString("A"), text));
  EXPECT_EQ("first", text);
  EXPECT_FALSE(fx.rep.OpenLocalMessageFile(fx.dir.File("none").c_str()));
  EXPECT_FALSE(fx.rep.IfLocalMsg());
  QvStdString key("A");
  EXPECT_FALSE(fx.rep.GetLocalMsg(key, key));  // key and text are one string
  EXPECT_EQ("A\nLocal Message file is not Found.", key);
  EXPECT_FALSE(fx.rep.OpenLocalMessageFile(fx.dir.Path().c_str()));
  EXPECT_TRUE(fx.rep.OpenLocalMessageFile(path.c_str()));
  EXPECT_TRUE(fx.rep.OpenLocalMessageFile(path.c_str()));
  EXPECT_EQ(open, qvtest::OpenDescriptors());  // the first one was closed
}

}  // namespace
