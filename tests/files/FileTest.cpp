#include <QvBase/QvFile.h>
#include <QvBase/QvFileName.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "support/OpenFiles.h"
#include "support/TempDir.h"

namespace {

using qvtest::TempDir;
using Words = std::vector<std::string>;
using Read = const char* (QvFile::*)();

// A file in a fresh folder holding text, opened for reading.
struct ReadFixture {
  TempDir dir;
  QvFile file;
  explicit ReadFixture(const std::string& text, bool textMode = true)
      : file(dir.File("in.txt").c_str()) {
    EXPECT_TRUE(qvtest::WriteAll(dir.File("in.txt"), text));
    EXPECT_TRUE(file.OpenToRead(textMode));
  }
};

// Every result of `read` until it gives nothing.
Words Drain(QvFile& f, Read read) {
  Words out;
  while (const char* s = (f.*read)()) out.emplace_back(s);
  return out;
}

TEST(QvFile, OpenFailuresLeaveOpenErrorForGood) {
  ReadFixture fx("x\n");
  EXPECT_EQ(QvFile::NoError, fx.file.GetError());
  QvFile f;
  EXPECT_FALSE(f.OpenToRead(true));
  EXPECT_EQ(QvFile::OpenError, f.GetError());
  f.SetName(fx.dir.File("in.txt").c_str());
  EXPECT_TRUE(f.OpenToRead(false));
  EXPECT_EQ(QvFile::OpenError, f.GetError());
  f.GetLine();  // a failed open closes the stream and empties the buffer
  for (const std::string& path : {fx.dir.File("missing"), fx.dir.Path()}) {
    SCOPED_TRACE(path);
    f.SetName(path.c_str());
    EXPECT_FALSE(f.OpenToRead(true));
    EXPECT_FALSE(f.IsOpen());
    EXPECT_STREQ("", f.Data());
    EXPECT_EQ(nullptr, f.GetLine());
  }
  EXPECT_FALSE(f.OpenToWrite(true));  // the folder
}

TEST(QvFile, LinesAndStringsComeInPiecesOfAtMost1023) {
  ReadFixture fx(std::string(2500, 'x') + "\nlast");
  EXPECT_EQ(Words({std::string(1023, 'x'), std::string(1023, 'x'),
                   std::string(454, 'x') + "\n", "last"}),
            Drain(fx.file, &QvFile::GetLine));
  EXPECT_EQ(nullptr, fx.file.GetDataLine());  // the buffer keeps "last"
  EXPECT_STREQ("last", fx.file.Data());
  // Strings ignore the separator set; the white space after one stays.
  ReadFixture s(" \t\v\fa,b\r\n" + std::string(2100, 'z') + "\nrest of it\n");
  s.file.SetSeparator(",");
  EXPECT_STREQ("a,b", s.file.GetString());
  EXPECT_STREQ("a", s.file.GetNextWord());  // a scan starts at the string
  for (std::size_t n : {1023u, 1023u, 54u})
    EXPECT_EQ(std::string(n, 'z'), s.file.GetString());
  EXPECT_STREQ("\n", s.file.GetLine());
  EXPECT_STREQ("rest", s.file.GetString());
  EXPECT_STREQ(" of it\n", s.file.GetLine());
  EXPECT_EQ(nullptr, s.file.GetString());
  EXPECT_STREQ(" of it\n", s.file.Data());
}

// Strings are what fscanf's "%1023s" reads, zero bytes included, and
// leave the stream where it does: random words, white space, zero bytes
// and long runs over several stdio buffers, read by strings and lines
// beside fscanf and fgets. The last seed reads by GetNextString, whose
// word is the string up to a zero byte.
TEST(QvFile, StringsAreWhatScanfReadsAcrossBuffers) {
  // Letters, white space, and control characters, '!' and high bytes.
  const char kPieces[] = "ab \t\n\v\f\rab\x01!\x1f\xa0";
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    const bool words = seed == 3;
    std::mt19937 rng(seed);
    std::string text;
    while (text.size() < 600000) {
      const unsigned pick = rng() % 16;
      text.append(pick == 15 ? 1 + rng() % 2500 : 1 + rng() % 9,
                  pick == 14 ? '\0' : kPieces[pick % 14]);
    }
    ReadFixture fx(text, false);
    std::FILE* ref = std::fopen(fx.dir.File("in.txt").c_str(), "rb");
    ASSERT_NE(nullptr, ref);
    char want[1024];
    for (int step = 0;; ++step) {
      SCOPED_TRACE(step);
      if (!words && rng() % 8 == 0) {
        const char* got = fx.file.GetLine();
        const char* line = std::fgets(want, sizeof want, ref);
        ASSERT_EQ(line == nullptr, got == nullptr);
        if (line == nullptr) break;
        ASSERT_STREQ(line, got);
        continue;
      }
      int from = 0, to = 0;
      const bool scanned =
          std::fscanf(ref, " %n%1023s%n", &from, want, &to) == 1;
      if (words) {
        if (!scanned) {
          ASSERT_EQ(nullptr, fx.file.GetNextString());
          break;
        }
        if (want[0] != '\0') {
          ASSERT_STREQ(want, fx.file.GetNextString());
        }
        continue;
      }
      const char* got = fx.file.GetString();
      ASSERT_EQ(scanned, got != nullptr);
      if (!scanned) break;
      ASSERT_EQ(
          0, std::memcmp(want, got, static_cast<std::size_t>(to - from) + 1));
    }
    std::fclose(ref);
  }
}

// On Windows text-mode streams turn a CRLF on the file into a newline and
// back (other systems pass the CR on), and an open file cannot be deleted.
#if defined(_WIN32)
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

TEST(QvFile, CarriageReturnsStayInLinesZeroBytesEndThem) {
  ReadFixture fx("\n   \r\nNAME  John Smith\r\n");
  ASSERT_EQ(std::string("NAME  John Smith") + (kWindows ? "\n" : "\r\n"),
            fx.file.GetDataLine());
  EXPECT_STREQ("NAME", fx.file.GetFirstWord());
  EXPECT_STREQ(" John Smith", fx.file.GetRemainString());
  EXPECT_EQ(nullptr, fx.file.GetRemainString());
  EXPECT_STREQ("NAME", fx.file.Data());
  EXPECT_EQ(nullptr, fx.file.GetDataLine());
  // A zero byte hides the rest of its line: a line that starts with one
  // looks empty and is no data line.
  const char text[] = "ab\0cd ef\n\0zz\nxy\n";
  ReadFixture nul(std::string(text, sizeof text - 1));
  EXPECT_STREQ("ab", nul.file.GetLine());
  EXPECT_EQ(Words({"ab"}), Drain(nul.file, &QvFile::GetNextWord));
  EXPECT_STREQ("xy\n", nul.file.GetDataLine());
}

TEST(QvFile, BinaryAndEmptyFilesEndCleanly) {
  std::mt19937 rng(7);
  std::string bytes(20000, '\0');
  for (char& c : bytes) c = static_cast<char>(rng() & 0xFF);
  for (const std::string& content : {bytes, std::string()}) {
    SCOPED_TRACE(std::to_string(content.size()) + " bytes");
    for (Read read :
         {&QvFile::GetLine, &QvFile::GetNextString, &QvFile::GetDataLine}) {
      ReadFixture fx(content, false);
      int calls = 0;
      while (const char* got = (fx.file.*read)()) {
        ASSERT_LE(std::strlen(got), 1023u);
        ASSERT_LT(++calls, 40000);
      }
      EXPECT_EQ(content.empty(), calls == 0);
    }
  }
}

TEST(QvFile, WordScanFollowsTheSeparatorSet) {
  // separators, text, the words of its first line
  const std::tuple<const char*, const char*, Words> cases[] = {
      {" ,\n", "1,2,,3\n", {"1", "2", "3"}},
      {" \t\n\r", "  a\tb  c \r\n", {"a", "b", "c"}},
      {",", "a b,c\n", {"a b", "c\n"}},
      {"", "a b\n", {"a b\n"}},
      {" \n", " \n", {}},
      // Taken literally, never as a format.
      {"%s%n\n", "a%b%sc\n", {"a", "b", "c"}}};
  for (const auto& [separators, text, words] : cases) {
    SCOPED_TRACE(text);
    ReadFixture fx(text);
    fx.file.SetSeparator(separators);
    ASSERT_NE(nullptr, fx.file.GetLine());
    EXPECT_EQ(words, Drain(fx.file, &QvFile::GetNextWord));
    EXPECT_EQ(nullptr, fx.file.GetRemainString());
  }
  // Without the newline in the set an empty line is data; the set and the
  // scan position stay through a new open and into copies, and each file
  // scans on its own.
  ReadFixture fx("\t\nx;y\n");
  fx.file.SetSeparator(" \t;");
  ASSERT_TRUE(fx.file.OpenToRead(true));
  EXPECT_STREQ("\t\n", fx.file.GetDataLine());
  fx.file.GetLine();
  QvFile copy(fx.file);
  EXPECT_EQ(Words({"x", "y\n"}), Drain(copy, &QvFile::GetNextWord));
  EXPECT_EQ(Words({"x", "y\n"}), Drain(fx.file, &QvFile::GetNextWord));
}

TEST(QvFile, BufferTests) {
  ReadFixture fx("  ABCDEF x\n");
  fx.file.GetLine();
  // text, whether it is the first word, whether the data include it
  const std::tuple<const char*, bool, bool> cases[] = {
      {"ABC", true, true},        {"ABCDEF", true, true},
      {"ABCDEFG", false, false},  {"", true, true},
      {"BCD", false, true},       {"abc", false, false},
      {"ABCDEF x\n", true, true}, {"ABCDEF x\n!", false, false}};
  for (const auto& [text, firstWord, include] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(firstWord, fx.file.CheckFirstWordIs(text));
    EXPECT_EQ(include, fx.file.CheckDataInclude(text));
  }
  EXPECT_FALSE(fx.file.CheckFirstWordIs(nullptr) ||
               fx.file.CheckDataInclude(nullptr));
  fx.file.GetFirstWord();  // the tests now see the first word only
  EXPECT_FALSE(fx.file.CheckDataInclude("x"));
  fx.file.Close();
  EXPECT_STREQ("", fx.file.Data());
}

TEST(QvFile, NextStringWalksWordsAcrossLines) {
  ReadFixture fx("one,two\nthree\n ,,, \nfour");
  fx.file.SetSeparator(" \t\n\r,");
  EXPECT_EQ(Words({"one", "two", "three", "four"}),
            Drain(fx.file, &QvFile::GetNextString));
  // After a line and its first word, the rest of that line comes first.
  ReadFixture fx2("a b c\nd e\n");
  fx2.file.GetLine();
  fx2.file.GetFirstWord();
  EXPECT_EQ(Words({"b", "c", "d", "e"}),
            Drain(fx2.file, &QvFile::GetNextString));
  // Separators without white space cut the strings into words.
  ReadFixture fx3("a,b c");
  fx3.file.SetSeparator(",");
  EXPECT_EQ(Words({"a", "b", "c"}), Drain(fx3.file, &QvFile::GetNextString));
  // A string that starts with a zero byte holds no word, in the stream's
  // buffer as across its refill (the buffer is 128 KiB).
  for (const std::size_t pad : {std::size_t{0}, std::size_t{131070}}) {
    SCOPED_TRACE(pad);
    ReadFixture fz(std::string(pad, ' ') + std::string("x \0ab ef", 8), false);
    EXPECT_EQ(Words({"x", "ef"}), Drain(fz.file, &QvFile::GetNextString));
  }
}

TEST(QvFile, CopiesStartClosedAndEveryStreamClosesOnce) {
  ReadFixture fx("l1 w\nl2\n");
  EXPECT_STREQ("l1 w\n", fx.file.GetLine());
  const int open = qvtest::OpenDescriptors();
  {
    QvFile copy(fx.file);
    EXPECT_FALSE(copy.IsOpen());
    EXPECT_STREQ(fx.file.GetName(), copy.GetName());
    EXPECT_STREQ("l1 w\n", copy.Data());
    // A closed file reads nothing.
    for (Read read : {&QvFile::GetLine, &QvFile::GetDataLine,
                      &QvFile::GetString, &QvFile::GetNextString})
      EXPECT_EQ(nullptr, (copy.*read)());
    QvFile target(fx.dir.File("in.txt").c_str());
    ASSERT_TRUE(target.OpenToRead(true));
    target = fx.file;  // closes the target's own stream
    EXPECT_EQ(open, qvtest::OpenDescriptors());
    EXPECT_FALSE(target.IsOpen());
    QvFile& self = target;
    target = self;
    EXPECT_STREQ("l1 w\n", target.Data());
    ASSERT_TRUE(target.OpenToRead(true));  // for the destructor to close
  }
  EXPECT_EQ(open, qvtest::OpenDescriptors());
  // Reading goes on after the file is deleted.
  const int removed = std::remove(fx.dir.File("in.txt").c_str());
  EXPECT_TRUE(kWindows || removed == 0);
  EXPECT_EQ(Words({"l2\n"}), Drain(fx.file, &QvFile::GetLine));
}

// A file class that writes through the stream it opened.
struct WritingFile : QvFile {
  using QvFile::Init0;
  using QvFile::pFile;
  using QvFile::QvFile;
  bool Put(const char* s) { return pFile() && std::fputs(s, pFile()) >= 0; }
};

TEST(QvFile, OpenToWriteInit0AndAReadError) {
  TempDir dir;
  qvtest::WriteAll(dir.File("out.txt"), "old content\n");
  WritingFile w(dir.File("out.txt").c_str());
  ASSERT_TRUE(w.OpenToRead(true) && w.GetLine());
  w.Init0();  // closes the stream and empties the buffer
  EXPECT_TRUE(!w.IsOpen() && *w.Data() == '\0');
  ASSERT_TRUE(w.OpenToWrite(true));
  EXPECT_EQ(nullptr, w.GetLine());  // not readable
  EXPECT_TRUE(w.Put("new\n"));
  w = WritingFile();  // the assignment closes, and so flushes, the stream
  EXPECT_FALSE(w.Put("x"));
  const std::vector<unsigned char> bytes = qvtest::ReadAll(dir.File("out.txt"));
  EXPECT_EQ(kWindows ? "new\r\n" : "new\n",
            std::string(bytes.begin(), bytes.end()));
  // The end of the file keeps the buffer, also when the stream's error flag
  // was set before (here by a write to a stream open for reading).
  WritingFile e(dir.File("out.txt").c_str());
  ASSERT_TRUE(e.OpenToRead(true) && e.GetLine());
  EXPECT_FALSE(e.Put("x"));
  EXPECT_EQ(nullptr, e.GetLine());
  EXPECT_STREQ("new\n", e.Data());
#if !defined(_WIN32)
  // A read error empties the buffer: once the line is buffered, the
  // stream's descriptor is swapped for a folder's.
  WritingFile r(dir.File("out.txt").c_str());
  ASSERT_TRUE(r.OpenToRead(true) && r.GetLine());
  const int folder = open(dir.Path().c_str(), O_RDONLY);
  ASSERT_GE(dup2(folder, fileno(r.pFile())), 0);
  close(folder);
  EXPECT_TRUE(r.GetLine() == nullptr && *r.Data() == '\0');
#endif
}

TEST(QvFileName, SplitsAndJoinsAtBackslashesOnly) {
  // name, is short, short part, folder part
  const std::tuple<const char*, bool, const char*, const char*> cases[] = {
      {"", true, "", ""},
      {"C:file.txt", true, "C:file.txt", ""},
      {"a/b.txt", true, "a/b.txt", ""},
      {"\\file.txt", false, "file.txt", ""},
      {"dir\\sub\\", false, "", "dir\\sub"},
      {"C:\\work\\a.b\\c.txt", false, "c.txt", "C:\\work\\a.b"},
      {"x\\\\y", false, "y", "x\\"}};
  for (const auto& [name, isShort, shortPart, dir] : cases) {
    SCOPED_TRACE(name);
    QvFileName n(name);
    EXPECT_EQ(isShort, n.IsShortName());
    EXPECT_NE(isShort, n.IsFullName());
    EXPECT_STREQ(shortPart, n.GetShortName());
    EXPECT_EQ(dir, n.GetDirName());
    n.MakeShortName();
    EXPECT_EQ(std::string(shortPart), n);
  }
  // Full names are made without checks; names are set literally, never as
  // a format, also from the name's own text.
  QvFileName n;
  n.MakeFullNameIfNot("C:\\work");
  EXPECT_STREQ("C:\\work\\", n.GetName());
  n.MakeFullNameIfNot("D:");  // already full: unchanged
  EXPECT_EQ("C:\\work\\", n);
  n.MakeFullName("top\\");
  EXPECT_EQ("top\\\\C:\\work\\", n);
  QvFileName s("f"), m("100%d");
  s.MakeFullName("");
  EXPECT_EQ("\\f", s);
  n = m;
  EXPECT_TRUE(n.IsSame(QvStdString("100%%d")));
  s.Set(std::string("x\\y"));
  s.Set(s.GetShortName());
  EXPECT_EQ("y", s);
}

TEST(QvFileName, ExtensionsByTextAndByLength) {
  // name, extension, has it, name with it added, name with it cut
  const std::tuple<const char*, const char*, bool, const char*, const char*>
      cases[] = {{"a.txt", ".txt", true, "a.txt", "a"},
                 {"a.txt", "txt", true, "a.txt", "a."},
                 {"a.txt", ".TXT", false, "a.txt.TXT", "a.txt"},
                 {"a", ".txt", false, "a.txt", "a"},
                 {".txt", ".txt", false, ".txt.txt", ".txt"},
                 {"a.txt", "", true, "a.txt", "a.txt"},
                 {"", "", false, "", ""},
                 {"", ".x", false, ".x", ""}};
  for (const auto& [name, ext, has, added, cut] : cases) {
    SCOPED_TRACE(std::string(name) + " / " + ext);
    QvFileName withExt(name), withoutExt(name);
    EXPECT_EQ(has, withExt.IfExtension(ext));
    withExt.AddExtension(ext);
    withoutExt.CutExtension(ext);
    EXPECT_EQ(added, withExt);
    EXPECT_EQ(cut, withoutExt);
  }
  // By length: name, limit, result; a negative limit counts as unlimited.
  const std::tuple<const char*, int, const char*> byLength[] = {
      {"a.txt", 3, "a.txt"},
      {"a.txt", 4, "a"},
      {"a.txt", -1, "a"},
      {"b.html", 4, "b.html"},
      {"noext", 100, "noext"},
      {"a.", 0, "a."},
      {".", 1, ""},
      {"x.y", INT_MIN, "x"},
      {"dir.old\\readme", 11, "dir"},
      {"dir.old\\readme", 10, "dir.old\\readme"}};
  for (const auto& [name, limit, result] : byLength) {
    SCOPED_TRACE(std::string(name) + " / " + std::to_string(limit));
    QvFileName n(name);
    n.CutExtension(limit);
    EXPECT_EQ(result, n);
  }
}

TEST(QvFileName, ExistenceAsksTheFileSystem) {
  TempDir dir;
  ASSERT_TRUE(qvtest::WriteAll(dir.File("f.txt"), "x"));
  const std::tuple<std::string, bool, bool> cases[] = {
      {dir.Path(), true, false},
      {dir.File("f.txt"), false, true},
      {dir.File("missing"), false, false},
      {"", false, false}};
  for (const auto& [name, isDir, isFile] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(isDir, QvFileName(name).ExistDir());
    EXPECT_EQ(isFile, QvFileName(name).ExistFile());
  }
  // A short name is joined to the folder with a backslash.
  QvFileName shortName("f.txt");
#if defined(_WIN32)
  EXPECT_TRUE(shortName.ExistFile(dir.Path().c_str()));
#else
  // Here a backslash is part of a file name: "sub\f.txt" in dir.
  ASSERT_TRUE(qvtest::WriteAll(dir.File("sub\\f.txt"), "x"));
  EXPECT_TRUE(shortName.ExistFile(dir.File("sub").c_str()));
#endif
}

}  // namespace
