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
    if (failWrite) return false;
    const std::int32_t nested = f.WriteIdBlock("Points", 1);
    if (nested < 0) return false;
    const int n = static_cast<int>(points.size());
    if (!f.WriteInt(n) || !f.WriteInt(points.data(), n)) return false;
    if (!f.UpdateIdBlock(nested)) return false;
    return f.WriteNullIdBlock();
  }
  bool ReadDataBlock(QvNeutralFile& f, unsigned int version) override {
    if (version != 20260101) return false;
    QvNeutralFile::IdBlock block;
    block.m_EndAddress = -1;
    if (!f.ReadIdBlock(block)) return false;
    int n = 0;
    if (!f.ReadInt(&n, 1) || n < 0 || n > 1000) return false;
    points.assign(static_cast<std::size_t>(n), 0);
    return f.ReadInt(points.data(), n);
  }
};

TEST(QvWritableObj, ReadsObjectsInReverseOrderOfWriting) {
  qvtest::TempDir dir;
  const std::string path = dir.File("two.qnf");
  QvColorTable colors;
  const float c[4] = {0.1f, 0.2f, 0.3f, 1};
  colors.AddColor(c, 0.01f);
  Polyline line;
  line.points = {3, 1, 4, 1, 5};
  {
    QvNeutralFile nf;
    ASSERT_TRUE(nf.OpenToWrite(path.c_str()));
    ASSERT_TRUE(nf.WriteHeader("test", "two objects"));
    ASSERT_TRUE(colors.WriteNF(nf));
    ASSERT_TRUE(line.WriteNF(nf));
  }
  QvNeutralFile nf;
  ASSERT_TRUE(nf.OpenToRead(path.c_str()));
  Polyline lineBack;
  ASSERT_TRUE(lineBack.ReadNF(nf));
  EXPECT_EQ(line.points, lineBack.points);
  // The line's data end in a null block, so the walk wraps to the header
  // and finds the table stored before it.
  QvColorTable colorsBack;
  ASSERT_TRUE(colorsBack.ReadNF(nf));
  float got[4];
  ASSERT_TRUE(colorsBack.GetColor(0, got));
  EXPECT_EQ(0.2f, got[1]);
}

TEST(QvWritableObj, MissingObjectRestoresPosition) {
  qvtest::TempDir dir;
  const std::string path = dir.File("only-table.qnf");
  ASSERT_TRUE(QvColorTable().WriteNF(path.c_str()));
  QvNeutralFile nf;
  ASSERT_TRUE(nf.OpenToRead(path.c_str()));
  ASSERT_TRUE(nf.GoToFilePosition(121));
  Polyline line;
  EXPECT_FALSE(line.ReadNF(nf));  // ends promptly despite the null block
  std::int32_t pos = -2;
  ASSERT_TRUE(nf.GetFilePosition(pos));
  EXPECT_EQ(121, pos);
  EXPECT_FALSE(line.ReadNF(path.c_str()));
}

TEST(QvWritableObj, HeaderOnlyOrForeignFilesHoldNoObject) {
  qvtest::TempDir dir;
  const std::string header = dir.File("header.qnf");
  {
    QvNeutralFile nf;
    ASSERT_TRUE(nf.OpenToWrite(header.c_str()));
    ASSERT_TRUE(nf.WriteHeader("a", "b"));
  }
  QvColorTable t;
  EXPECT_FALSE(t.ReadNF(header.c_str()));
  const std::string foreign = dir.File("foreign.txt");
  ASSERT_TRUE(qvtest::WriteAll(foreign, std::string(200, 'x')));
  EXPECT_FALSE(t.ReadNF(foreign.c_str()));
  EXPECT_FALSE(t.ReadNF(dir.File("missing.qnf").c_str()));
  EXPECT_FALSE(t.WriteNF(dir.File("no/such/folder.qnf").c_str()));
}

TEST(QvWritableObj, FailedDataLeavesBlockUncompleted) {
  qvtest::TempDir dir;
  const std::string path = dir.File("fail.qnf");
  Polyline line;
  line.failWrite = true;
  EXPECT_FALSE(line.WriteNF(path.c_str()));
  const auto b = qvtest::ReadAll(path);
  ASSERT_EQ(137u, b.size());  // header and the id block, end address 0
  EXPECT_EQ(std::vector<unsigned char>(4, 0),
            std::vector<unsigned char>(b.begin() + 129, b.begin() + 133));
}

TEST(QvWritableObj, StreamFormWritesBlockWithoutHeader) {
  qvtest::TempDir dir;
  const std::string path = dir.File("stream.qnf");
  ASSERT_TRUE(QvColorTable().WriteNF(path.c_str()));
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  ASSERT_NE(nullptr, f);
  ASSERT_EQ(0, std::fseek(f, 0, SEEK_END));
  Polyline line;
  line.points = {7};
  ASSERT_TRUE(line.WriteNF(f));
  std::fclose(f);
  const auto b = qvtest::ReadAll(path);
  EXPECT_EQ(154u + 16 + 16 + 4 + 4 + 16, b.size());
  Polyline back;
  ASSERT_TRUE(back.ReadNF(path.c_str()));
  EXPECT_EQ(line.points, back.points);
}

}  // namespace
