#include <QvBase/QvColorTable.h>
#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvSerializableObj.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

using Bytes = std::vector<unsigned char>;

const unsigned char kNullBlock[16] = {'W', 'y', 'N', 'U', 'L', 'L', 0, 0,
                                      0,   0,   0,   0,   0,   0,   0, 0};

std::int32_t Le32(const Bytes& b, std::size_t at) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[at]) |
                                   static_cast<std::uint32_t>(b[at + 1]) << 8 |
                                   static_cast<std::uint32_t>(b[at + 2]) << 16 |
                                   static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// A table's colours, read out through the public interface.
std::vector<std::vector<float>> Colors(QvColorTable& t) {
  std::vector<std::vector<float>> out;
  float c[4];
  for (int id = 0; t.GetColor(id, c); ++id)
    out.push_back({c[0], c[1], c[2], c[3]});
  return out;
}

TEST(QvColorTable, EmptyTableFileIsExact) {
  qvtest::TempDir dir;
  const std::string path = dir.File("empty.qnf");
  ASSERT_TRUE(QvColorTable().WriteNF(path.c_str()));
  const Bytes b = qvtest::ReadAll(path);
  ASSERT_EQ(154u, b.size());
  EXPECT_EQ(0, std::memcmp(b.data() + 121, "ColorTab", 8));
  EXPECT_EQ(154, Le32(b, 129));
  const unsigned char version[4] = {0x78, 0x54, 0x31, 0x01};
  EXPECT_EQ(0, std::memcmp(b.data() + 133, version, 4));
  EXPECT_EQ(0, b[137]);
  EXPECT_EQ(0, std::memcmp(b.data() + 138, kNullBlock, 16));
  // Both header texts carry the maker name.
  EXPECT_EQ(0, std::memcmp(b.data() + 25, "Vorlanex\0\0\0\0\0\0\0\0", 16));
  EXPECT_EQ(0, std::memcmp(b.data() + 41, "Vorlanex", 9));
}

TEST(QvColorTable, TwoColoursDataIsExact) {
  qvtest::TempDir dir;
  const std::string path = dir.File("two.qnf");
  QvColorTable t;
  const float red[4] = {1, 0, 0, 1}, blue[4] = {0, 0, 1, 1};
  EXPECT_EQ(0, t.AddColor(red, 0.01f));
  EXPECT_EQ(1, t.AddColor(blue, 0.01f));
  ASSERT_TRUE(t.WriteNF(path.c_str()));
  const Bytes b = qvtest::ReadAll(path);
  const Bytes data = {2, 0, 0, 0x80, 0x3F, 0,    0,    0, 0, 0,    0,
                      0, 0, 0, 0,    0x80, 0x3F, 0,    0, 0, 0,    0,
                      0, 0, 0, 0,    0,    0x80, 0x3F, 0, 0, 0x80, 0x3F};
  ASSERT_EQ(121u + 16 + data.size() + 16, b.size());
  EXPECT_EQ(Bytes(b.begin() + 137, b.begin() + 137 + data.size()), data);
  EXPECT_EQ(static_cast<std::int32_t>(b.size()), Le32(b, 129));
}

TEST(QvColorTable, RoundTripsByPathStreamAndFile) {
  qvtest::TempDir dir;
  QvColorTable t;
  for (int i = 0; i < 40; ++i) {
    const float c[4] = {i / 40.0f, 1 - i / 40.0f, 0.25f, 1};
    t.AddColor(c, 0.001f);
  }
  const std::string path = dir.File("t.qnf");
  ASSERT_TRUE(t.WriteNF(path.c_str()));
  QvColorTable byPath;
  ASSERT_TRUE(byPath.ReadNF(path.c_str()));
  EXPECT_EQ(Colors(t), Colors(byPath));

  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(nullptr, f);
  QvColorTable byStream;
  ASSERT_TRUE(byStream.ReadNF(f));
  EXPECT_EQ(Colors(t), Colors(byStream));
  // The borrowed stream is still open and usable.
  EXPECT_EQ(0, std::fseek(f, 0, SEEK_SET));
  std::fclose(f);

  QvNeutralFile nf;
  ASSERT_TRUE(nf.OpenToRead(path.c_str()));
  QvColorTable byFile;
  ASSERT_TRUE(byFile.LoadColorTable(nf));
  EXPECT_EQ(Colors(t), Colors(byFile));
}

TEST(QvColorTable, ReadsFileWithReversedByteOrder) {
  qvtest::TempDir dir;
  const std::string path = dir.File("be.qnf");
  QvColorTable t;
  const float c[4] = {0.125f, -2.5f, 3.0e-20f, 1};
  t.AddColor(c, 0.5f);
  ASSERT_TRUE(t.WriteNF(path.c_str()));
  Bytes b = qvtest::ReadAll(path);
  // Rewrite every 4-byte value most-significant byte first and set the
  // order byte, as a writer on a big-endian machine would have done.
  auto reverse4 = [&b](std::size_t at) {
    std::swap(b[at], b[at + 3]), std::swap(b[at + 1], b[at + 2]);
  };
  reverse4(8);
  reverse4(12);
  b[16] = 1;
  reverse4(129);
  reverse4(133);
  for (int i = 0; i < 4; ++i) reverse4(138 + 4 * i);
  ASSERT_TRUE(qvtest::WriteAll(path, b.data(), b.size()));
  QvColorTable back;
  ASSERT_TRUE(back.ReadNF(path.c_str()));
  EXPECT_EQ(Colors(t), Colors(back));
}

TEST(QvColorTable, CutOffTableKeepsColoursReadSoFar) {
  qvtest::TempDir dir;
  const std::string path = dir.File("cut.qnf");
  QvColorTable t;
  for (int i = 0; i < 3; ++i) {
    const float c[4] = {static_cast<float>(i), 0, 0, 1};
    t.AddColor(c, 0.5f);
  }
  ASSERT_TRUE(t.WriteNF(path.c_str()));
  Bytes b = qvtest::ReadAll(path);
  b.resize(121 + 16 + 1 + 2 * 16 + 5);  // two whole colours, then part of one
  ASSERT_TRUE(qvtest::WriteAll(path, b.data(), b.size()));
  QvColorTable back;
  const float old[4] = {9, 9, 9, 9};
  back.AddColor(old, 0.1f);
  EXPECT_FALSE(back.ReadNF(path.c_str()));
  auto got = Colors(back);
  ASSERT_EQ(2u, got.size());
  EXPECT_EQ(1.0f, got[1][0]);
}

TEST(QvColorTable, UnknownVersionLeavesTableAlone) {
  QvColorTable t;
  const float c[4] = {1, 1, 1, 1};
  t.AddColor(c, 0.1f);
  QvNeutralFile detached;
  EXPECT_FALSE(t.ReadDataBlock(detached, 20000701));
  EXPECT_EQ(1u, Colors(t).size());
}

TEST(QvColorTable, TooManyColoursAreNotStored) {
  QvColorTable t;
  for (int i = 0; i < 256; ++i) {
    const float c[4] = {static_cast<float>(i), 0, 0, 1};
    EXPECT_EQ(i, t.AddColor(c, 0.5f));  // AddColor never refuses
  }
  char buf[8192];
  QvNeutralFile nf;
  nf.SetBuf(buf);
  EXPECT_FALSE(t.WriteDataBlock(nf));
  EXPECT_EQ(0, nf.BufSize());
  float last[4];
  ASSERT_TRUE(t.GetColor(255, last));
  ASSERT_TRUE(t.RemoveColor(last, 0.5f));
  EXPECT_TRUE(t.WriteDataBlock(nf));
  EXPECT_EQ(1 + 255 * 16 + 12, nf.BufSize());
}

struct ToleranceCase {
  float stored, probe, tolerance;
  bool match;
};

TEST(QvColorTable, ToleranceIsStrictPerComponent) {
  const float nan = std::nanf("");
  const ToleranceCase cases[] = {
      {0.5f, 0.505f, 0.01f, true}, {0.5f, 0.505f, 0.001f, false},
      {0.5f, 0.75f, 0.25f, false}, {0.5f, 0.5f, 0.0f, false},
      {0.5f, 0.5f, -1.0f, false},  {0.5f, nan, 1e30f, false},
      {nan, nan, 1e30f, false},    {-1.0f, 1.0f, 2.0001f, true},
  };
  for (const ToleranceCase& k : cases) {
    SCOPED_TRACE(testing::Message()
                 << k.stored << " ~ " << k.probe << " within " << k.tolerance);
    QvColorTable t;
    const float stored[4] = {k.stored, 0.5f, 0.5f, 1};
    const float probe[4] = {k.probe, 0.5f, 0.5f, 1};
    t.AddColor(stored, 0);
    EXPECT_EQ(k.match, t.HasSameColor(probe, k.tolerance));
    EXPECT_EQ(k.match ? 0 : 1, t.AddColor(probe, k.tolerance));
  }
}

TEST(QvColorTable, RemoveMovesLaterColoursForward) {
  QvColorTable t;
  float c[3][4] = {{0, 0, 0, 1}, {1, 0, 0, 1}, {2, 0, 0, 1}};
  for (auto& col : c) t.AddColor(col, 0.5f);
  EXPECT_FALSE(t.RemoveColor(c[0], 0));
  ASSERT_TRUE(t.RemoveColor(c[0], 0.5f));
  float out[4] = {7, 7, 7, 7};
  ASSERT_TRUE(t.GetColor(1, out));
  EXPECT_EQ(2.0f, out[0]);
  EXPECT_FALSE(t.GetColor(2, out));
  EXPECT_FALSE(t.GetColor(-1, out));
  EXPECT_EQ(2.0f, out[0]);  // untouched by the failed calls
  QvColorTable copy(t), assigned;
  assigned = t;
  t = t;
  EXPECT_EQ(Colors(t), Colors(copy));
  EXPECT_EQ(Colors(t), Colors(assigned));
}

TEST(QvSerializableObj, ReadVersionIsProcessWide) {
  EXPECT_EQ(0u, QvSerializableObj::GetReadVersion());
  EXPECT_EQ(0u, QvSerializableObj::SetReadVersion(20010104));
  EXPECT_EQ(20010104u, QvSerializableObj::SetReadVersion(7));
  EXPECT_EQ(7u, QvSerializableObj::GetReadVersion());
  QvSerializableObj::SetReadVersion(0);
}

}  // namespace
