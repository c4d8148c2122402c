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

// The stream form writes the block where the stream stands, without a
// header. The line's data end in a null block, so reading the table after
// it wraps to the header and finds the table stored before it.
TEST(QvWritableObj, StreamFormAppendsAndObjectsReadInReverseOrder) {
  qvtest::TempDir dir;
  const std::string path = dir.File("two.qnf");
  QvColorTable colors;
  const float c[4] = {0.1f, 0.2f, 0.3f, 1};
  colors.AddColor(c, 0.01f);
  ASSERT_TRUE(colors.WriteNF(path.c_str()));
  Polyline line, lineBack;
  line.points = {3, 1, 4, 1, 5};
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  ASSERT_NE(nullptr, f);
  ASSERT_EQ(0, std::fseek(f, 0, SEEK_END));
  ASSERT_TRUE(line.WriteNF(f));
  std::fclose(f);
  EXPECT_EQ(170u + 16 + 16 + 4 + 4 * 5 + 16, qvtest::ReadAll(path).size());

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

// Failed data leave the block's end address 0. A missing object ends
// promptly despite a null block or an unfinished block, and a read from an
// open file restores the position it started from.
TEST(QvWritableObj, FailuresGiveFalse) {
  qvtest::TempDir dir;
  const std::string table = dir.File("table.qnf"), failed = dir.File("f.qnf");
  Polyline line;
  line.failWrite = true;
  EXPECT_FALSE(line.WriteNF(failed.c_str()));
  auto b = qvtest::ReadAll(failed);
  ASSERT_EQ(137u, b.size());
  EXPECT_EQ(std::vector<unsigned char>(4, 0),
            std::vector<unsigned char>(b.begin() + 129, b.begin() + 133));
  QvColorTable t;
  EXPECT_FALSE(t.ReadNF(failed.c_str()));
  EXPECT_FALSE(t.WriteNF(dir.File("no/such/folder.qnf").c_str()));

  ASSERT_TRUE(QvColorTable().WriteNF(table.c_str()));
  QvNeutralFile nf;
  ASSERT_TRUE(nf.OpenToRead(table.c_str()) && nf.GoToFilePosition(121));
  EXPECT_FALSE(line.ReadNF(nf));
  std::int32_t pos = -2;
  ASSERT_TRUE(nf.GetFilePosition(pos));
  EXPECT_EQ(121, pos);
  EXPECT_FALSE(line.ReadNF(table.c_str()));
}

}  // namespace
