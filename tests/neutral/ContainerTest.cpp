#include <gtest/gtest.h>

#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>

#include "NeutralTestUtil.h"
#include "support/TempDir.h"

namespace {

using qvtest::Bytes;
using qvtest::MemFile;

std::string Today() {
  const std::time_t now = std::time(nullptr);
  char out[16];
  std::strftime(out, sizeof out, "%Y%m%d", std::localtime(&now));
  return out;
}

TEST(QvNeutralContainer, HeaderBytesAreExact) {
  qvtest::TempDir dir;
  const std::string path = dir.File("h.nf");
  const std::string before = Today();
  {
    QvNeutralFile nf;
    ASSERT_TRUE(nf.OpenToWrite(path.c_str()));
    std::int32_t pos = -5;
    ASSERT_TRUE(nf.GetFilePosition(pos));
    EXPECT_EQ(0, pos);
    ASSERT_TRUE(nf.WriteHeader("ab", nullptr));
    ASSERT_TRUE(nf.GetFilePosition(pos));
    EXPECT_EQ(121, pos);
  }
  const std::string after = Today();
  const Bytes got = qvtest::ReadAll(path);
  ASSERT_EQ(121u, got.size());
  const std::string date(got.begin() + 17, got.begin() + 25);
  EXPECT_TRUE(date == before || date == after) << date;
  static const unsigned char kStart[17] = {'W',  'y',  'N',  'F',  0, 0,
                                           0,    0,    0x79, 0,    0, 0,
                                           0xBD, 0x2F, 0x31, 0x01, 0};
  Bytes want(kStart, kStart + sizeof kStart);
  qvtest::PutText(want, date, 8);
  qvtest::PutText(want, "ab", 16);
  qvtest::PutText(want, "", 80);
  EXPECT_EQ(want, got);
}

TEST(QvNeutralContainer, HeaderTextsAreCutAndReadBackFromAnyPosition) {
  MemFile mem;
  QvNeutralFile nf(mem.f);
  const std::string longShort = "0123456789abcdefghij";  // 20 characters
  const std::string longLong(100, 'L');
  ASSERT_TRUE(nf.WriteHeader(longShort.c_str(), longLong.c_str()));
  ASSERT_TRUE(nf.WriteInt(42));
  const Bytes bytes = mem.Contents();
  ASSERT_EQ(125u, bytes.size());
  EXPECT_EQ(Bytes(longShort.begin(), longShort.begin() + 16),
            Bytes(bytes.begin() + 25, bytes.begin() + 41));
  EXPECT_EQ(Bytes(80, 'L'), Bytes(bytes.begin() + 41, bytes.begin() + 121));

  ASSERT_TRUE(nf.GoToFilePosition(123));
  char date[9], shortText[17], longText[81];
  ASSERT_TRUE(nf.ReadHeader(date, shortText, longText));
  EXPECT_EQ(Today().size(), std::strlen(date));
  EXPECT_EQ(longShort.substr(0, 16), shortText);
  EXPECT_EQ(std::string(80, 'L'), longText);
  std::int32_t pos = 0;
  ASSERT_TRUE(nf.GetFilePosition(pos));
  EXPECT_EQ(121, pos);
  EXPECT_TRUE(nf.ReadHeader(nullptr, nullptr, nullptr));
}

TEST(QvNeutralContainer, HeaderOfOtherVersionCopiesNothing) {
  Bytes bytes = qvtest::MakeHeader(0);
  qvtest::PatchU32(bytes, 12, 20000702);
  MemFile mem(bytes);
  QvNeutralFile nf(mem.f);
  char date[9] = "keep", shortText[17] = "keep", longText[81] = "keep";
  EXPECT_FALSE(nf.ReadHeader(date, shortText, longText));
  EXPECT_STREQ("keep", date);
  EXPECT_STREQ("keep", shortText);
  EXPECT_STREQ("keep", longText);
}

// Builds: header, block "Outer" (an int, nested block "In" with a uint,
// a null block), block "ColorTable" never completed.
TEST(QvNeutralContainer, BlocksNestAndChainByteForByte) {
  MemFile mem;
  QvNeutralFile nf(mem.f);
  ASSERT_TRUE(nf.WriteHeader("short", "long text"));
  const std::int32_t outer = nf.WriteIdBlock("Outer", 7);
  ASSERT_EQ(121, outer);
  ASSERT_TRUE(nf.WriteInt(-1));
  const std::int32_t in = nf.WriteIdBlock("In", 8);
  ASSERT_EQ(141, in);
  ASSERT_TRUE(nf.WriteUInt(9u));
  ASSERT_TRUE(nf.UpdateIdBlock(in));
  ASSERT_TRUE(nf.WriteNullIdBlock());
  std::int32_t pos = 0;
  ASSERT_TRUE(nf.GetFilePosition(pos));
  ASSERT_TRUE(nf.UpdateIdBlock(outer));
  std::int32_t after = 0;
  ASSERT_TRUE(nf.GetFilePosition(after));
  EXPECT_EQ(pos, after);  // back-patching comes back
  ASSERT_EQ(177, nf.WriteIdBlock("ColorTable", 20010104));

  Bytes want = qvtest::MakeHeader(0);
  Bytes got = mem.Contents();
  ASSERT_EQ(193u, got.size());
  std::copy(got.begin() + 17, got.begin() + 25, want.begin() + 17);  // date
  qvtest::PutIdBlock(want, "Outer", 177, 7);
  qvtest::PutU32(want, 0xFFFFFFFFu);
  qvtest::PutIdBlock(want, "In", 161, 8);
  qvtest::PutU32(want, 9);
  qvtest::PutIdBlock(want, "WyNULL", 0, 0);
  qvtest::PutIdBlock(want, "ColorTab", 0, 20010104);
  EXPECT_EQ(want, got);

  // Reading: the outer level skips the nested data; a scan by the long
  // name finds the block stored under its first 8 characters.
  QvNeutralFile::IdBlock block;
  block.m_EndAddress = 121;
  ASSERT_TRUE(nf.ReadIdBlock(block));
  EXPECT_STREQ("Outer", block.m_Name);
  EXPECT_EQ(121, block.m_Address);
  EXPECT_EQ(177, block.m_EndAddress);
  EXPECT_EQ(7u, block.m_Version);
  ASSERT_TRUE(nf.ReadIdBlock(block));
  EXPECT_STREQ("ColorTab", block.m_Name);
  EXPECT_EQ(0, block.m_EndAddress);

  ASSERT_TRUE(nf.GoToFileBegin());
  ASSERT_TRUE(nf.ScanIdBlock("ColorTable", block));
  EXPECT_STREQ("ColorTab", block.m_Name);
  EXPECT_EQ(177, block.m_Address);
  ASSERT_TRUE(nf.GetFilePosition(pos));
  EXPECT_EQ(193, pos);

  // Inside Outer's data: the nested block is found from its start, and a
  // scan from the closing null block wraps round to the top level.
  ASSERT_TRUE(nf.GoToFilePosition(141));
  ASSERT_TRUE(nf.ScanIdBlock("In", block));
  unsigned int u = 0;
  ASSERT_TRUE(nf.ReadUInt(u));
  EXPECT_EQ(9u, u);
  ASSERT_TRUE(nf.ScanIdBlock("Outer", block));
  EXPECT_EQ(121, block.m_Address);
  int i = 0;
  ASSERT_TRUE(nf.ReadInt(&i, 1));
  EXPECT_EQ(-1, i);

  ASSERT_TRUE(nf.GoToFileBegin());
  EXPECT_FALSE(nf.ScanIdBlock("Outerx", block));  // names compare whole
  EXPECT_FALSE(nf.ScanIdBlock(nullptr, block));
}

TEST(QvNeutralContainer, SampleFileReadsBackThroughNestedNullBlock) {
  MemFile mem;
  QvNeutralFile nf(mem.f);
  const auto writes = qvtest::SampleWriteSteps();
  ASSERT_EQ(static_cast<int>(writes.size()), qvtest::RunSteps(nf, writes));
  ASSERT_TRUE(nf.GoToFileBegin());
  qvtest::SampleValues got;
  const auto reads = qvtest::SampleReadSteps(got);
  ASSERT_EQ(static_cast<int>(reads.size()), qvtest::RunSteps(nf, reads));
  const qvtest::SampleValues want = qvtest::GoodSample();
  EXPECT_STREQ(want.shortText, got.shortText);
  EXPECT_STREQ(want.longText, got.longText);
  EXPECT_EQ(0, std::memcmp(want.ints, got.ints, sizeof want.ints));
  EXPECT_EQ(0, std::memcmp(want.doubles, got.doubles, sizeof want.doubles));
  EXPECT_EQ(0, std::memcmp(want.floats, got.floats, sizeof want.floats));
  EXPECT_STREQ(want.tail, got.tail);
}

// Values stored most significant byte first, announced by the order byte,
// read back as written.
TEST(QvNeutralContainer, FileWithNonZeroOrderByteReadsBack) {
  qvtest::TempDir dir;
  const std::string path = dir.File("big.nf");
  Bytes bytes = qvtest::MakeHeader(1);
  qvtest::PutIdBlock(bytes, "Big", 121 + 16 + 8 + 8 + 4, 20010104, true);
  qvtest::PutU32Reversed(bytes, 0x11223344u);
  qvtest::PutU32Reversed(bytes, 0xFFFFFFFEu);
  qvtest::PutU32Reversed(bytes, 0x3FF00000u);  // 1.0, high word first
  qvtest::PutU32Reversed(bytes, 0);
  qvtest::PutU32Reversed(bytes, 0x40490FDBu);  // float pi
  ASSERT_TRUE(qvtest::WriteAll(path, bytes.data(), bytes.size()));

  qvtest::ProbeFile nf;
  ASSERT_TRUE(nf.OpenToRead(path.c_str()));
  EXPECT_TRUE(nf.L2R());
  char shortText[17];
  ASSERT_TRUE(nf.ReadHeader(nullptr, shortText, nullptr));
  EXPECT_STREQ("short", shortText);
  QvNeutralFile::IdBlock block;
  ASSERT_TRUE(nf.ScanIdBlock("Big", block));
  EXPECT_EQ(20010104u, block.m_Version);
  EXPECT_EQ(157, block.m_EndAddress);
  std::int32_t two[2];
  double d = 0;
  float f = 0;
  ASSERT_TRUE(nf.ReadLong(two, 2));
  ASSERT_TRUE(nf.ReadDouble(&d, 1));
  ASSERT_TRUE(nf.ReadFloat(&f, 1));
  EXPECT_EQ(0x11223344, two[0]);
  EXPECT_EQ(-2, two[1]);
  EXPECT_EQ(1.0, d);
  EXPECT_EQ(3.14159274f, f);
}

TEST(QvNeutralContainer, OpenModesPositionsAndOrderFlag) {
  qvtest::TempDir dir;
  const std::string path = dir.File("m.nf");
  {
    QvNeutralFile nf;
    ASSERT_TRUE(nf.OpenToWrite(path.c_str()));
    ASSERT_TRUE(nf.WriteHeader("s", "l"));
    ASSERT_TRUE(nf.WriteInt(1));
  }
  std::int32_t pos = -1;
  qvtest::ProbeFile nf;
  nf.SetL2R(true);
  ASSERT_TRUE(nf.OpenToAppend(path.c_str()));
  EXPECT_TRUE(nf.L2R());  // appending keeps the flag
  ASSERT_TRUE(nf.GetFilePosition(pos));
  EXPECT_EQ(125, pos);
  ASSERT_TRUE(nf.WriteInt(2));
  ASSERT_TRUE(nf.OpenToRead(path.c_str()));
  EXPECT_FALSE(nf.L2R());  // reading takes it from the order byte
  ASSERT_TRUE(nf.GetFilePosition(pos));
  EXPECT_EQ(0, pos);
  ASSERT_TRUE(nf.GoToFileEnd());
  ASSERT_TRUE(nf.GetFilePosition(pos));
  EXPECT_EQ(129, pos);

  // Rewriting the header in place keeps everything after it.
  const Bytes before = qvtest::ReadAll(path);
  ASSERT_TRUE(nf.OpenToAppend(path.c_str()));
  ASSERT_TRUE(nf.WriteHeader("other", nullptr));
  ASSERT_TRUE(nf.GetFilePosition(pos));
  EXPECT_EQ(121, pos);
  ASSERT_TRUE(nf.CloseFile());
  const Bytes after = qvtest::ReadAll(path);
  ASSERT_EQ(before.size(), after.size());
  EXPECT_EQ(Bytes(before.begin() + 121, before.end()),
            Bytes(after.begin() + 121, after.end()));
  EXPECT_EQ('o', after[25]);

  EXPECT_FALSE(nf.OpenToRead(dir.File("missing").c_str()));
  EXPECT_EQ(nullptr, nf.File());
  EXPECT_FALSE(nf.OpenToAppend(dir.File("missing").c_str()));
  EXPECT_FALSE(nf.OpenToRead(nullptr));
  EXPECT_FALSE(nf.FileOpen(path.c_str(), "w+b"));
  EXPECT_EQ(nullptr, nf.File());
  EXPECT_FALSE(nf.OpenToWrite(dir.Path().c_str()));  // a folder
}

TEST(QvNeutralContainer, PositioningNeedsAStream) {
  QvNeutralFile nf;
  std::int32_t pos = 7;
  EXPECT_FALSE(nf.GoToFileBegin());
  EXPECT_FALSE(nf.GoToFileEnd());
  EXPECT_FALSE(nf.GoToFilePosition(0));
  EXPECT_FALSE(nf.GetFilePosition(pos));
  EXPECT_EQ(-1, pos);
  EXPECT_FALSE(nf.WriteHeader("a", "b"));
  EXPECT_FALSE(nf.WriteAddressAt(0));
  EXPECT_FALSE(nf.UpdateIdBlock(0));
  EXPECT_EQ(-1, nf.WriteIdBlock("x", 1));
  EXPECT_FALSE(nf.WriteNullIdBlock());
  MemFile mem;
  QvNeutralFile withStream(mem.f);
  EXPECT_FALSE(withStream.GoToFilePosition(-1));
}

TEST(QvNeutralContainer, IdBlocksInABufferHaveNoEndAddress) {
  char buf[64];
  std::memset(buf, 0x55, sizeof buf);
  QvNeutralFile nf;
  nf.SetBuf(buf);
  EXPECT_EQ(0, nf.WriteIdBlock("ColorTable", 20010104));
  EXPECT_TRUE(nf.WriteNullIdBlock());
  EXPECT_TRUE(nf.UpdateIdBlock(0));
  EXPECT_EQ(0, nf.WriteIdBlock("Next", 3));
  EXPECT_EQ(36, nf.BufSize());
  Bytes want;
  qvtest::PutText(want, "ColorTab", 8);
  qvtest::PutU32(want, 20010104);
  qvtest::PutText(want, "WyNULL", 8);
  qvtest::PutU32(want, 0);
  qvtest::PutText(want, "Next", 8);
  qvtest::PutU32(want, 3);
  EXPECT_EQ(want, Bytes(buf, buf + 36));

  // Unbounded: a scan has no end to stop at, so it reads nothing.
  QvNeutralFile::IdBlock block;
  nf.SetBuf(buf);
  EXPECT_FALSE(nf.ScanIdBlock("Next", block));
  EXPECT_EQ(0, nf.BufSize());
  // Bounded: consecutive 12-byte blocks, never past the capacity.
  nf.SetBuf(buf, 36);
  ASSERT_TRUE(nf.ScanIdBlock("Next", block));
  EXPECT_EQ(3u, block.m_Version);
  EXPECT_EQ(24, block.m_Address);
  EXPECT_EQ(36, nf.BufSize());
  nf.SetBuf(buf, 35);
  EXPECT_FALSE(nf.ScanIdBlock("Next", block));
  EXPECT_EQ(24, nf.BufSize());
  block.m_EndAddress = -1;
  nf.SetBuf(buf, 36);
  ASSERT_TRUE(nf.ReadIdBlock(block));
  EXPECT_STREQ("ColorTab", block.m_Name);
  EXPECT_EQ(-1, block.m_EndAddress);

  QvNeutralFile none;
  EXPECT_FALSE(none.UpdateIdBlock(0));
  EXPECT_FALSE(none.ScanIdBlock("Next", block));
}

}  // namespace
