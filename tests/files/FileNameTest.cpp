#include <QvBase/QvFileName.h>
#include <gtest/gtest.h>

#include <string>

#include "support/TempDir.h"

namespace {

TEST(QvFileName, SplitsAtBackslashesOnly) {
  struct Case {
    const char* name;
    bool isShort;
    const char* shortPart;
    const char* dir;
  } cases[] = {
      {"", true, "", ""},
      {"C:file.txt", true, "C:file.txt", ""},
      {"a/b.txt", true, "a/b.txt", ""},
      {"\\file.txt", false, "file.txt", ""},
      {"dir\\sub\\", false, "", "dir\\sub"},
      {"C:\\work\\a.b\\c.txt", false, "c.txt", "C:\\work\\a.b"},
      {"x\\\\y", false, "y", "x\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QvFileName n(c.name);
    EXPECT_EQ(c.isShort, n.IsShortName());
    EXPECT_NE(c.isShort, n.IsFullName());
    EXPECT_STREQ(c.shortPart, n.GetShortName());
    EXPECT_EQ(c.dir, n.GetDirName());
    if (n.IsFullName()) {
      EXPECT_EQ(n, n.GetDirName() + "\\" + n.GetShortName());
    }
    n.MakeShortName();
    EXPECT_EQ(std::string(c.shortPart), n);
  }
}

TEST(QvFileName, MakeFullNamePrependsWithoutChecks) {
  QvFileName n;
  n.MakeFullNameIfNot("C:\\work");
  EXPECT_STREQ("C:\\work\\", n.GetName());
  n.MakeFullNameIfNot("D:");  // already full: unchanged
  EXPECT_EQ("C:\\work\\", n);
  n.MakeFullName("top\\");
  EXPECT_EQ("top\\\\C:\\work\\", n);
  QvFileName s(std::string("f"));
  s.MakeFullName("");
  EXPECT_EQ("\\f", s);
}

TEST(QvFileName, ExtensionsByText) {
  struct Case {
    const char* name;
    const char* ext;
    bool has;
    const char* added;
    const char* cut;
  } cases[] = {
      {"a.txt", ".txt", true, "a.txt", "a"},
      {"a.txt", "txt", true, "a.txt", "a."},
      {"a.txt", ".TXT", false, "a.txt.TXT", "a.txt"},
      {"a", ".txt", false, "a.txt", "a"},
      {".txt", ".txt", false, ".txt.txt", ".txt"},
      {"a.txt", "", true, "a.txt", "a.txt"},
      {"", "", false, "", ""},
      {"", ".x", false, ".x", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " / " + c.ext);
    QvFileName n(c.name);
    EXPECT_EQ(c.has, n.IfExtension(c.ext));
    QvFileName added(n), cut(n);
    added.AddExtension(c.ext);
    cut.CutExtension(c.ext);
    EXPECT_EQ(c.added, added);
    EXPECT_EQ(c.cut, cut);
  }
}

TEST(QvFileName, ExtensionsByLength) {
  struct Case {
    const char* name;
    int maxLength;
    const char* result;
  } cases[] = {
      {"a.txt", 3, "a.txt"},
      {"a.txt", 4, "a"},
      {"a.txt", -1, "a"},
      {"b.html", 4, "b.html"},
      {"dir.old\\readme", 11, "dir"},
      {"dir.old\\readme", 10, "dir.old\\readme"},
      {"noext", 100, "noext"},
      {"a.", 0, "a."},
      {"a.", 1, "a"},
      {".", 1, ""},
      {"x.y", 2147483647, "x"},
      {"x.y", -2147483647 - 1, "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " / " + std::to_string(c.maxLength));
    QvFileName n(c.name);
    n.CutExtension(c.maxLength);
    EXPECT_EQ(c.result, n);
  }
}

TEST(QvFileName, AssignmentsBehaveAsTheStringOnes) {
  QvFileName n("100%d");
  EXPECT_EQ("100%d", n);  // taken literally, not as a format
  n.Set("x\\y");
  EXPECT_STREQ("y", n.GetShortName());
  n.Set(std::string("p"));
  QvFileName m;
  m = n;
  n.Set(n.GetName());
  EXPECT_EQ("p", m);
  EXPECT_EQ("p", n);
  EXPECT_TRUE(m.IsSame(n));  // string operations work on names
}

TEST(QvFileName, ExistenceAsksTheFileSystem) {
  qvtest::TempDir dir;
  ASSERT_TRUE(qvtest::WriteAll(dir.File("f.txt"), "x"));
  struct Case {
    std::string name;
    bool isDir, isFile;
  } cases[] = {
      {dir.Path(), true, false},
      {dir.File("f.txt"), false, true},
      {dir.File("missing"), false, false},
      {"", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QvFileName n(c.name);
    EXPECT_EQ(c.isDir, n.ExistDir());
    EXPECT_EQ(c.isFile, n.ExistFile());
  }
  // The directory is joined with a backslash, which is an ordinary
  // character on systems whose separator is the slash.
  QvFileName shortName("f.txt");
  EXPECT_FALSE(shortName.ExistFile(dir.Path().c_str()));
  EXPECT_EQ("f.txt", shortName);
  QvFileName fullName(dir.File("f.txt") + "\\");
  EXPECT_FALSE(fullName.ExistFile(dir.Path().c_str()));
#if defined(_WIN32)
  EXPECT_TRUE(shortName.ExistFile(dir.Path().c_str()));
#else
  // Here a backslash can be part of a file name: "sub\f.txt" in dir.
  ASSERT_TRUE(qvtest::WriteAll(dir.File("sub\\f.txt"), "x"));
  EXPECT_TRUE(shortName.ExistFile(dir.File("sub").c_str()));
#endif
}

}  // namespace
