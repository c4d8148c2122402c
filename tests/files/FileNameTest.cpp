#include <QvBase/QvFileName.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>

#include "support/TempDir.h"

namespace {

TEST(QvFileName, SplitsAtBackslashesOnly) {
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
}

// Full names are made without checks; names are set literally, never as a
// format, also from the name's own text.
TEST(QvFileName, MakeFullNameAndSet) {
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

TEST(QvFileName, ExtensionsByText) {
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
}

TEST(QvFileName, ExtensionsByLength) {
  // name, limit, result; a negative limit counts as unlimited.
  const std::tuple<const char*, int, const char*> cases[] = {
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
  for (const auto& [name, limit, result] : cases) {
    SCOPED_TRACE(std::string(name) + " / " + std::to_string(limit));
    QvFileName n(name);
    n.CutExtension(limit);
    EXPECT_EQ(result, n);
  }
}

TEST(QvFileName, ExistenceAsksTheFileSystem) {
  qvtest::TempDir dir;
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
