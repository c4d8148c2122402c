#include <QvBase/QvColorTable.h>
#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvWritableObj.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

// A stored object whose data hold a nested block and a list closed by a
// null block, as application objects commonly do.
class Polyline : public QvWritableObj {
 public:
  std::vector<int> points;
  bool failWrite = false;

  const char* IdString() const override { return "Polyline"; }
  unsigned int Version() const override { return 20260101; }
  bool WriteDataBlock(QvNeutralFile& f) const override {
    const std::int32_t nested = failWrite ? -1 : f.WriteIdBlock("Points", 1);
    const int n = static_cast<int>(points.size());
    return nested >= 0 && f.WriteInt(n) && f.WriteInt(points.data(), n) &&
           f.UpdateIdBlock(nested) && f.WriteNullIdBlock();
  }
  bool ReadDataBlock(QvNeutralFile& f, unsigned int version) override {
    QvNeutralFile::IdBlock block;
    block.m_EndAddress = -1;
    int n = 0;
    if (version != 20260101 || !f.ReadIdBlock(block) || !f.ReadInt(&n, 1) ||
        n < 0 || n > 1000)
      return false;
    points.assign(static_cast<std::size_t>(n), 0);
    return f.ReadInt(points.data(), n);
  }
};

// The line's data end in a null block, so reading the table after it
// wraps to the header and finds the table stored before it.
TEST(QvWritableObj, ReadsObjectsInReverseOrderOfWriting) {
  qvtest::TempDir dir;
  const std::string path = dir.File("two.qnf");
  QvColorTable colors;
  const float c[4] = {0.1f, 0.2f, 0.3f, 1};
  colors.AddColor(c, 0.01f);
  Polyline line, lineBack;
  line.points = {3, 1, 4, 1, 5};
  {
    QvNeutralFile nf;
    ASSERT_TRUE(nf.OpenToWrite(path.c_str()));
    ASSERT_TRUE(nf.WriteHeader("test", "two objects"));
    ASSERT_TRUE(colors.WriteNF(nf) && line.WriteNF(nf));
  }
  QvNeutralFile nf;
  ASSERT_TRUE(nf.OpenToRead(path.c_str()));
  ASSERT_TRUE(lineBack.ReadNF(nf));
  EXPECT_EQ(line.points, lineBack.points);
  QvColorTable colorsBack;
  ASSERT_TRUE(colorsBack.ReadNF(nf));
  float got[4];
  ASSERT_TRUE(colorsBack.GetColor(0, got));
  EXPECT_EQ(0.2f, got[1]);
}

TEST(QvWritableObj, FilesWithoutTheObjectGiveFalse) {
  qvtest::TempDir dir;
  const std::string table = dir.File("table.qnf"), header = dir.File("h.qnf");
  ASSERT_TRUE(QvColorTable().WriteNF(table.c_str()));
  {
    QvNeutralFile nf;
    ASSERT_TRUE(nf.OpenToWrite(header.c_str()) && nf.WriteHeader("a", "b"));
  }
  ASSERT_TRUE(qvtest::WriteAll(dir.File("x.txt"), std::string(200, 'x')));
  // A missing object ends promptly despite the null block and restores
  // the position it started from.
  QvNeutralFile nf;
  ASSERT_TRUE(nf.OpenToRead(table.c_str()) && nf.GoToFilePosition(121));
  Polyline line;
  EXPECT_FALSE(line.ReadNF(nf));
  std::int32_t pos = -2;
  ASSERT_TRUE(nf.GetFilePosition(pos));
  EXPECT_EQ(121, pos);
  EXPECT_FALSE(line.ReadNF(table.c_str()));
  QvColorTable t;
  for (const char* name : {"h.qnf", "x.txt", "missing.qnf"})
    EXPECT_FALSE(t.ReadNF(dir.File(name).c_str())) << name;
  EXPECT_FALSE(t.WriteNF(dir.File("no/such/folder.qnf").c_str()));
}

// Failed data leave the block's end address 0; the stream form writes the
// block where the stream stands, without a header.
TEST(QvWritableObj, FailedDataAndStreamForm) {
  qvtest::TempDir dir;
  const std::string path = dir.File("f.qnf");
  Polyline failing, line, back;
  failing.failWrite = true;
  EXPECT_FALSE(failing.WriteNF(path.c_str()));
  auto b = qvtest::ReadAll(path);
  ASSERT_EQ(137u, b.size());
  EXPECT_EQ(std::vector<unsigned char>(4, 0),
            std::vector<unsigned char>(b.begin() + 129, b.begin() + 133));

  ASSERT_TRUE(QvColorTable().WriteNF(path.c_str()));
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  ASSERT_NE(nullptr, f);
  ASSERT_EQ(0, std::fseek(f, 0, SEEK_END));
  line.points = {7};
  ASSERT_TRUE(line.WriteNF(f));
  std::fclose(f);
  EXPECT_EQ(154u + 16 + 16 + 4 + 4 + 16, qvtest::ReadAll(path).size());
  ASSERT_TRUE(back.ReadNF(path.c_str()));
  EXPECT_EQ(line.points, back.points);
}

}  // namespace
