#include <QvBase/QvFile.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/OpenFiles.h"
#include "support/TempDir.h"

namespace {

using qvtest::TempDir;
using qvtest::WriteAll;

// A file in a fresh folder holding text, opened for reading.
struct ReadFixture {
  TempDir dir;
  QvFile file;
  explicit ReadFixture(const std::string& text, bool textMode = true)
      : file(dir.File("in.txt").c_str()) {
    EXPECT_TRUE(WriteAll(dir.File("in.txt"), text));
    EXPECT_TRUE(file.OpenToRead(textMode));
  }
};

std::vector<std::string> AllLines(QvFile& f) {
  std::vector<std::string> out;
  while (const char* line = f.GetLine()) out.emplace_back(line);
  return out;
}

std::vector<std::string> AllWords(QvFile& f) {
  std::vector<std::string> out;
  for (const char* w = f.GetFirstWord(); w != nullptr; w = f.GetNextWord())
    out.emplace_back(w);
  return out;
}

using Words = std::vector<std::string>;

TEST(QvFile, OpenFailuresLeaveOpenErrorForGood) {
  TempDir dir;
  QvFile f;
  EXPECT_FALSE(f.OpenToRead(true));
  EXPECT_EQ(QvFile::OpenError, f.GetError());
  EXPECT_FALSE(f.IsOpen());

  WriteAll(dir.File("a.txt"), "x\n");
  f.SetName(dir.File("a.txt").c_str());
  EXPECT_TRUE(f.OpenToRead(true));
  EXPECT_TRUE(f.IsOpen());
  EXPECT_EQ(QvFile::OpenError, f.GetError());

  QvFile good(dir.File("a.txt").c_str());
  EXPECT_TRUE(good.OpenToRead(false));
  EXPECT_EQ(QvFile::NoError, good.GetError());

  for (const std::string& path : {dir.File("missing.txt"), dir.Path()}) {
    SCOPED_TRACE(path);
    QvFile bad(path.c_str());
    EXPECT_FALSE(bad.OpenToRead(true));
    EXPECT_FALSE(bad.IsOpen());
    EXPECT_EQ(QvFile::OpenError, bad.GetError());
    EXPECT_EQ(nullptr, bad.GetLine());
  }
  QvFile dirWrite(dir.Path().c_str());
  EXPECT_FALSE(dirWrite.OpenToWrite(true));
}

TEST(QvFile, FailedOpenClosesThePreviousStream) {
  ReadFixture fx("one\n");
  ASSERT_NE(nullptr, fx.file.GetLine());
  fx.file.SetName(fx.dir.File("missing").c_str());
  EXPECT_FALSE(fx.file.OpenToRead(true));
  EXPECT_FALSE(fx.file.IsOpen());
  EXPECT_STREQ("", fx.file.Data());
}

TEST(QvFile, LinesComeInPiecesOfAtMost1023) {
  const std::string longLine(2500, 'x');
  ReadFixture fx(longLine + "\nlast");
  const std::vector<std::string> lines = AllLines(fx.file);
  ASSERT_EQ(4u, lines.size());
  EXPECT_EQ(std::string(1023, 'x'), lines[0]);
  EXPECT_EQ(std::string(1023, 'x'), lines[1]);
  EXPECT_EQ(std::string(454, 'x') + "\n", lines[2]);
  // No final newline: the last line comes without one, and the end of the
  // file leaves the buffer as it was.
  EXPECT_EQ("last", lines[3]);
  EXPECT_STREQ("last", fx.file.Data());
  EXPECT_EQ(nullptr, fx.file.GetDataLine());
  EXPECT_STREQ("last", fx.file.Data());
}

TEST(QvFile, CarriageReturnsStayInLinesButEndWords) {
  ReadFixture fx("NAME  John Smith\r\n\r\n");
  ASSERT_STREQ("NAME  John Smith\r\n", fx.file.GetDataLine());
  EXPECT_STREQ("NAME", fx.file.GetFirstWord());
  EXPECT_STREQ(" John Smith", fx.file.GetRemainString());
  EXPECT_EQ(nullptr, fx.file.GetRemainString());
  EXPECT_STREQ("NAME", fx.file.Data());
  EXPECT_EQ(nullptr, fx.file.GetDataLine());
}

TEST(QvFile, NulBytesHideTheRestOfTheirLine) {
  const char text[] = "ab\0cd ef\nxy\n";
  ReadFixture fx(std::string(text, sizeof text - 1));
  EXPECT_STREQ("ab", fx.file.GetLine());
  EXPECT_EQ(Words({"ab"}), AllWords(fx.file));
  EXPECT_STREQ("xy\n", fx.file.GetLine());
  // A line that starts with a zero looks empty and is no data line.
  const char text2[] = "\0zz\nq\n";
  ReadFixture fx2(std::string(text2, sizeof text2 - 1));
  EXPECT_STREQ("q\n", fx2.file.GetDataLine());
}

TEST(QvFile, BinaryAndEmptyFilesEndCleanly) {
  std::mt19937 rng(7);
  std::string bytes(20000, '\0');
  for (char& c : bytes) c = static_cast<char>(rng() & 0xFF);
  for (const std::string& content : {bytes, std::string()}) {
    SCOPED_TRACE(content.size());
    for (int pass = 0; pass < 3; ++pass) {
      ReadFixture fx(content, false);
      int calls = 0;
      const char* got = nullptr;
      do {
        got = pass == 0   ? fx.file.GetLine()
              : pass == 1 ? fx.file.GetNextString()
                          : fx.file.GetDataLine();
        if (got != nullptr) {
          EXPECT_LE(std::strlen(got), 1023u);
        }
        ASSERT_LT(++calls, 40000);
      } while (got != nullptr);
      if (content.empty()) {
        EXPECT_EQ(1, calls);
      }
    }
  }
  ReadFixture empty("");
  EXPECT_EQ(nullptr, empty.file.GetString());
  EXPECT_STREQ("", empty.file.Data());
}

TEST(QvFile, ReadingGoesOnAfterTheFileIsDeleted) {
  ReadFixture fx("one\ntwo\n");
  EXPECT_STREQ("one\n", fx.file.GetLine());
  ASSERT_EQ(0, std::remove(fx.dir.File("in.txt").c_str()));
  EXPECT_STREQ("two\n", fx.file.GetLine());
  EXPECT_EQ(nullptr, fx.file.GetLine());
  fx.file.Close();
  EXPECT_FALSE(fx.file.OpenToRead(true));
}

TEST(QvFile, DataLinesSkipLinesOfSeparatorsOnly) {
  ReadFixture fx("\n   \nA B\n");
  EXPECT_STREQ("A B\n", fx.file.GetDataLine());
  EXPECT_EQ(nullptr, fx.file.GetDataLine());

  // Without the newline in the set an empty line is data.
  ReadFixture fx2("\t\n\nx\n");
  fx2.file.SetSeparator(" \t");
  EXPECT_STREQ("\t\n", fx2.file.GetDataLine());
}

TEST(QvFile, WordScanFollowsTheSeparatorSet) {
  struct Case {
    const char* separators;
    const char* line;
    Words words;
  } cases[] = {
      {" ,\n", "1,2,,3\n", {"1", "2", "3"}},
      {" \t\n\r", "  a\tb  c \r\n", {"a", "b", "c"}},
      {",", "a b,c\n", {"a b", "c\n"}},
      {"", "a b\n", {"a b\n"}},
      {" \n", " \n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ReadFixture fx(c.line);
    fx.file.SetSeparator(c.separators);
    ASSERT_NE(nullptr, fx.file.GetLine());
    EXPECT_EQ(c.words, AllWords(fx.file));
    EXPECT_EQ(nullptr, fx.file.GetNextWord());
    EXPECT_EQ(nullptr, fx.file.GetRemainString());
  }
}

TEST(QvFile, ScanStartsAtTheBufferAfterEachRead) {
  ReadFixture fx("a b\nc d\n");
  fx.file.GetLine();
  EXPECT_STREQ("a", fx.file.GetNextWord());
  fx.file.GetLine();
  EXPECT_STREQ("c", fx.file.GetNextWord());
  EXPECT_STREQ("d", fx.file.GetNextWord());
  EXPECT_EQ(nullptr, fx.file.GetNextWord());
  // A new GetFirstWord on a cut buffer sees only its first word.
  EXPECT_STREQ("c", fx.file.GetFirstWord());
  EXPECT_EQ(nullptr, fx.file.GetNextWord());
}

TEST(QvFile, ScansOfTwoFilesDoNotDisturbEachOther) {
  ReadFixture a("a1 a2 a3\n"), b("b1 b2 b3\n");
  a.file.GetLine();
  b.file.GetLine();
  EXPECT_STREQ("a1", a.file.GetFirstWord());
  EXPECT_STREQ("b1", b.file.GetFirstWord());
  EXPECT_STREQ("a2", a.file.GetNextWord());
  EXPECT_STREQ("b2", b.file.GetNextWord());
  EXPECT_STREQ("a3", a.file.GetNextWord());
  EXPECT_STREQ("b3", b.file.GetNextWord());
}

TEST(QvFile, BufferTests) {
  ReadFixture fx("  ABCDEF x\n");
  fx.file.GetLine();
  struct Case {
    const char* text;
    bool firstWord, include;
  } cases[] = {
      {"ABC", true, true},        {"ABCDEF", true, true},
      {"ABCDEFG", false, false},  {"", true, true},
      {"BCD", false, true},       {"abc", false, false},
      {"ABCDEF x\n", true, true}, {"ABCDEF x\n!", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.firstWord, fx.file.CheckFirstWordIs(c.text));
    EXPECT_EQ(c.include, fx.file.CheckDataInclude(c.text));
  }
  // Once a scan has cut the buffer, the tests see only its first word.
  fx.file.GetFirstWord();
  EXPECT_FALSE(fx.file.CheckDataInclude("x"));
  EXPECT_STREQ("  ABCDEF", fx.file.Data());
}

TEST(QvFile, NextStringWalksWordsAcrossLines) {
  ReadFixture fx("one,two\nthree\n ,,, \nfour");
  fx.file.SetSeparator(" \t\n\r,");
  Words got;
  while (const char* w = fx.file.GetNextString()) got.emplace_back(w);
  EXPECT_EQ(Words({"one", "two", "three", "four"}), got);
  EXPECT_EQ(nullptr, fx.file.GetNextString());

  // After a line and its first word, the rest of that line comes first.
  ReadFixture fx2("a b c\nd e\n");
  fx2.file.GetLine();
  fx2.file.GetFirstWord();
  got.clear();
  while (const char* w = fx2.file.GetNextString()) got.emplace_back(w);
  EXPECT_EQ(Words({"b", "c", "d", "e"}), got);
}

TEST(QvFile, StringsIgnoreTheSeparatorSetAndComeInPieces) {
  const std::string big(2100, 'z');
  ReadFixture fx(" \t\v\fa,b\r\n" + big + "\nrest of line\n");
  fx.file.SetSeparator(",");
  EXPECT_STREQ("a,b", fx.file.GetString());
  EXPECT_EQ(std::string(1023, 'z'), fx.file.GetString());
  EXPECT_EQ(std::string(1023, 'z'), fx.file.GetString());
  EXPECT_EQ(std::string(54, 'z'), fx.file.GetString());
  // The white space after a string stays in the file.
  EXPECT_STREQ("\n", fx.file.GetLine());
  EXPECT_STREQ("rest", fx.file.GetString());
  EXPECT_STREQ(" of line\n", fx.file.GetLine());
  EXPECT_EQ(nullptr, fx.file.GetString());
  EXPECT_STREQ(" of line\n", fx.file.Data());
}

TEST(QvFile, CloseEmptiesTheBufferAndClosedReadsGiveNull) {
  ReadFixture fx("a b\n");
  fx.file.GetLine();
  fx.file.Close();
  EXPECT_FALSE(fx.file.IsOpen());
  EXPECT_STREQ("", fx.file.Data());
  EXPECT_EQ(nullptr, fx.file.GetLine());
  EXPECT_EQ(nullptr, fx.file.GetDataLine());
  EXPECT_EQ(nullptr, fx.file.GetString());
  EXPECT_EQ(nullptr, fx.file.GetNextString());
  EXPECT_EQ(nullptr, fx.file.GetFirstWord());
  EXPECT_EQ(nullptr, fx.file.GetRemainString());
  fx.file.Close();  // closing twice is harmless
}

TEST(QvFile, SeparatorsPersistAcrossOpensAndCopies) {
  ReadFixture fx("1;2\n");
  fx.file.SetSeparator(";\n");
  fx.file.Close();
  ASSERT_TRUE(fx.file.OpenToRead(true));
  fx.file.GetLine();
  QvFile copy(fx.file);
  EXPECT_EQ(Words({"1", "2"}), AllWords(copy));
}

TEST(QvFile, CopiesStartClosedAndEveryStreamClosesOnce) {
  ReadFixture fx("l1 w\nl2\nl3\n");
  EXPECT_STREQ("l1 w\n", fx.file.GetLine());
  const int open = qvtest::OpenDescriptors();
  {
    QvFile copy(fx.file);
    EXPECT_FALSE(copy.IsOpen());
    EXPECT_STREQ(fx.dir.File("in.txt").c_str(), copy.GetName());
    EXPECT_STREQ("l1 w\n", copy.Data());
    EXPECT_EQ(nullptr, copy.GetLine());

    // The target's own stream is closed by the assignment.
    QvFile target(fx.dir.File("in.txt").c_str());
    ASSERT_TRUE(target.OpenToRead(true));
    target = fx.file;
    EXPECT_FALSE(target.IsOpen());
    EXPECT_EQ(open, qvtest::OpenDescriptors());
    EXPECT_STREQ("l1 w\n", target.Data());

    QvFile& self = target;
    target = self;
    EXPECT_STREQ("l1 w\n", target.Data());
  }
  // The source's stream survived its copies (a double close would show in
  // the sanitizer build).
  EXPECT_EQ(open, qvtest::OpenDescriptors());
  EXPECT_STREQ("l2\n", fx.file.GetLine());

  QvFile failed;
  failed.OpenToRead(true);
  QvFile copyOfFailed(failed);
  EXPECT_EQ(QvFile::OpenError, copyOfFailed.GetError());
}

// A file class that writes through the stream it opened.
class WritingFile : public QvFile {
 public:
  using QvFile::QvFile;
  bool Put(const char* text) {
    return pFile() != nullptr && std::fputs(text, pFile()) >= 0;
  }
};

TEST(QvFile, OpenToWriteCreatesOrEmptiesTheFile) {
  TempDir dir;
  WriteAll(dir.File("out.txt"), "old content\n");
  WritingFile w(dir.File("out.txt").c_str());
  ASSERT_TRUE(w.OpenToWrite(true));
  EXPECT_EQ(nullptr, w.GetLine());  // not readable
  EXPECT_TRUE(w.Put("new\n"));
  w.Close();
  EXPECT_FALSE(w.Put("x"));
  QvFile r(dir.File("out.txt").c_str());
  ASSERT_TRUE(r.OpenToRead(true));
  EXPECT_EQ(std::vector<std::string>{"new\n"}, AllLines(r));

  WritingFile fresh(dir.File("fresh.bin").c_str());
  ASSERT_TRUE(fresh.OpenToWrite(false));
  fresh.Close();
  EXPECT_TRUE(qvtest::ReadAll(dir.File("fresh.bin")).empty());
}

}  // namespace
