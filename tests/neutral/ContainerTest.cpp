#include <gtest/gtest.h>

#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "NeutralTestUtil.h"
#include "support/OpenFiles.h"
#include "support/TempDir.h"

namespace {

using qvtest::Bytes;
using qvtest::MemFile;
using qvtest::OpenDescriptors;  // -1 where they can't be counted
using qvtest::ProbeFile;

std::int32_t Position(const QvNeutralFile& nf) {
  std::int32_t pos = -9;
  EXPECT_TRUE(nf.GetFilePosition(pos));
  return pos;
}

TEST(QvNeutralContainer, HeaderTextsAreCutAndReadBackFromAnyPosition) {
  MemFile mem;
  QvNeutralFile nf(mem.f);
  ASSERT_TRUE(
      nf.WriteHeader("0123456789abcdefghij", std::string(99, 'L').c_str()));
  ASSERT_TRUE(nf.WriteInt(42));
  ASSERT_EQ(125u, mem.Contents().size());  // texts cut, no terminator
  char date[9], shortText[17], longText[81];
  ASSERT_TRUE(nf.GoToFilePosition(123));
  ASSERT_TRUE(nf.ReadHeader(date, shortText, longText));
  EXPECT_EQ(8u, std::strlen(date));
  EXPECT_STREQ("0123456789abcdef", shortText);
  EXPECT_EQ(std::string(80, 'L'), longText);
  EXPECT_EQ(121, Position(nf));

  Bytes other = qvtest::MakeHeader(0);
  other[12] = 0xBE;  // version 20000702
  MemFile mem2(other);
  QvNeutralFile nf2(mem2.f);
  std::strcpy(shortText, "keep");
  EXPECT_FALSE(nf2.ReadHeader(nullptr, shortText, nullptr));
  EXPECT_STREQ("keep", shortText);
}

// Header; "Outer" holding an int, nested "In" with a uint, a null block;
// then "ColorTable", never completed.
TEST(QvNeutralContainer, BlocksNestChainAndScanByteForByte) {
  MemFile mem(qvtest::MakeHeader(0));
  QvNeutralFile nf(mem.f);
  ASSERT_TRUE(nf.GoToFileEnd());
  const std::int32_t outer = nf.WriteIdBlock("Outer", 7);
  ASSERT_TRUE(nf.WriteInt(-1));
  const std::int32_t in = nf.WriteIdBlock("In", 8);
  ASSERT_TRUE(nf.WriteUInt(9u));
  ASSERT_TRUE(nf.UpdateIdBlock(in));
  ASSERT_TRUE(nf.WriteNullIdBlock());
  ASSERT_TRUE(nf.UpdateIdBlock(outer));
  EXPECT_EQ(177, Position(nf));  // back-patching comes back
  ASSERT_EQ(177, nf.WriteIdBlock("ColorTable", 20010104));
  EXPECT_EQ(121, outer);
  EXPECT_EQ(141, in);
  Bytes want = qvtest::MakeHeader(0);
  qvtest::PutIdBlock(want, "Outer", 177, 7);
  qvtest::PutU32(want, 0xFFFFFFFFu);
  qvtest::PutIdBlock(want, "In", 161, 8);
  qvtest::PutU32(want, 9);
  qvtest::PutIdBlock(want, "WyNULL", 0, 0);
  qvtest::PutIdBlock(want, "ColorTab", 0, 20010104);
  EXPECT_EQ(want, mem.Contents());

  // The outer level skips nested data; a long name is found by its
  // stored first 8 characters; names compare whole.
  QvNeutralFile::IdBlock block;
  block.m_EndAddress = 121;
  ASSERT_TRUE(nf.ReadIdBlock(block));
  EXPECT_EQ(177, block.m_EndAddress);
  ASSERT_TRUE(nf.ReadIdBlock(block));
  EXPECT_STREQ("ColorTab", block.m_Name);
  EXPECT_EQ(177, block.m_Address);
  EXPECT_EQ(20010104u, block.m_Version);
  ASSERT_TRUE(nf.GoToFileBegin());
  ASSERT_TRUE(nf.ScanIdBlock("ColorTable", block));
  EXPECT_EQ(193, Position(nf));
  ASSERT_TRUE(nf.GoToFileBegin());
  EXPECT_FALSE(nf.ScanIdBlock("Outerx", block));
  EXPECT_FALSE(nf.ScanIdBlock(nullptr, block));

  // From inside Outer's data: the nested block, then a wrap from the null
  // block to the top level finds Outer itself.
  ASSERT_TRUE(nf.GoToFilePosition(141));
  ASSERT_TRUE(nf.ScanIdBlock("In", block));
  unsigned int u = 0;
  int i = 0;
  ASSERT_TRUE(nf.ReadUInt(u));
  ASSERT_TRUE(nf.ScanIdBlock("Outer", block));
  ASSERT_TRUE(nf.ReadInt(&i, 1));
  EXPECT_EQ(9u, u);
  EXPECT_EQ(-1, i);
}

TEST(QvNeutralContainer, OpenModesPositionsAndOrderFlag) {
  qvtest::TempDir dir;
  const std::string path = dir.File("m.nf");
  ProbeFile nf;
  ASSERT_TRUE(nf.OpenToWrite(path.c_str()));
  EXPECT_EQ(0, Position(nf));
  ASSERT_TRUE(nf.WriteHeader("s", "l"));
  ASSERT_TRUE(nf.WriteInt(1));
  nf.SetL2R(true);
  ASSERT_TRUE(nf.OpenToAppend(path.c_str()));
  EXPECT_TRUE(nf.L2R());  // appending keeps the flag
  EXPECT_EQ(125, Position(nf));
  ASSERT_TRUE(nf.WriteHeader("other", nullptr));  // rewritten in place
  EXPECT_EQ(121, Position(nf));
  ASSERT_TRUE(nf.OpenToRead(path.c_str()));
  EXPECT_FALSE(nf.L2R());  // reading takes it from the order byte
  EXPECT_EQ(0, Position(nf));
  ASSERT_TRUE(nf.GoToFileEnd());
  EXPECT_EQ(125, Position(nf));
  char shortText[17], longText[81];
  ASSERT_TRUE(nf.ReadHeader(nullptr, shortText, longText));
  EXPECT_STREQ("other", shortText);
  EXPECT_STREQ("", longText);
  int i = 0;
  ASSERT_TRUE(nf.ReadInt(&i, 1));
  EXPECT_EQ(1, i);

  EXPECT_FALSE(nf.OpenToRead(dir.File("missing").c_str()));
  EXPECT_FALSE(nf.OpenToAppend(dir.File("missing").c_str()));
  EXPECT_FALSE(nf.OpenToWrite(dir.Path().c_str()));  // a folder
  EXPECT_FALSE(nf.OpenToRead(nullptr));
  EXPECT_FALSE(nf.FileOpen(path.c_str(), "w+b"));
  EXPECT_EQ(nullptr, nf.File());
  std::int32_t pos = 7;
  EXPECT_FALSE(nf.GetFilePosition(pos));
  EXPECT_EQ(-1, pos);
  EXPECT_FALSE(nf.GoToFileBegin() || nf.GoToFileEnd() ||
               nf.GoToFilePosition(0));
  EXPECT_FALSE(nf.WriteHeader("a", "b") || nf.WriteAddressAt(0));
}

TEST(QvNeutralContainer, IdBlocksInABufferHaveNoEndAddress) {
  Bytes buf(64, 0x55);
  char* start = reinterpret_cast<char*>(buf.data());
  QvNeutralFile nf;
  nf.SetBuf(start);
  EXPECT_EQ(0, nf.WriteIdBlock("ColorTable", 20010104));
  EXPECT_TRUE(nf.WriteNullIdBlock());
  EXPECT_TRUE(nf.UpdateIdBlock(0));
  EXPECT_EQ(0, nf.WriteIdBlock("Next", 3));
  Bytes want;
  for (const auto& [name, version] :
       {std::pair<const char*, std::uint32_t>{"ColorTab", 20010104},
        {"WyNULL", 0},
        {"Next", 3}}) {
    qvtest::PutText(want, name, 8);
    qvtest::PutU32(want, version);
  }
  EXPECT_EQ(want, Bytes(buf.begin(), buf.begin() + 36));

  // Unbounded: a scan has no end to stop at and reads nothing. Bounded:
  // consecutive 12-byte blocks, never past the capacity.
  QvNeutralFile::IdBlock block;
  nf.SetBuf(start);
  EXPECT_FALSE(nf.ScanIdBlock("Next", block));
  EXPECT_EQ(0, nf.BufSize());
  nf.SetBuf(start, 36);
  ASSERT_TRUE(nf.ScanIdBlock("Next", block));
  EXPECT_EQ(24, block.m_Address);
  EXPECT_EQ(3u, block.m_Version);
  nf.SetBuf(start, 35);
  EXPECT_FALSE(nf.ScanIdBlock("Next", block));
  EXPECT_EQ(24, nf.BufSize());
}

void ExpectDescriptors(int base, int extra) {
  EXPECT_TRUE(base < 0 || base + extra == OpenDescriptors());
}

TEST(QvNeutralOwnership, BorrowedStreamIsNeverClosedAndKeepsItsPosition) {
  QV_NEEDS_FAULT_STREAM();
  for (const char* mode : {"w+b", "wb"}) {
    SCOPED_TRACE(mode);
    Bytes bytes = qvtest::MakeHeader(3);
    bytes.resize(600, 0);
    MemFile mem(bytes, {}, mode);
    ASSERT_EQ(0, std::fseek(mem.f, 500, SEEK_SET));
    {
      ProbeFile nf(mem.f);
      EXPECT_EQ(std::string(mode) == "w+b", nf.L2R());  // write-only: unread
      EXPECT_EQ(500, std::ftell(mem.f));
      ProbeFile copy(nf);
      EXPECT_EQ(mem.f, copy.File());
      EXPECT_EQ(nf.L2R(), copy.L2R());
      EXPECT_TRUE(nf.CloseFile());
      EXPECT_EQ(mem.f, nf.File());  // neither closed nor detached
      ProbeFile assigned;
      assigned = nf;
      EXPECT_FALSE(assigned.OwnsFile());
      EXPECT_FALSE(assigned.OpenToRead(nullptr));
      EXPECT_EQ(mem.f, assigned.File());
    }
    EXPECT_EQ(0, mem.stream.Closes());
    EXPECT_EQ(0, std::ferror(mem.f));  // the failed probe left no error
  }
}

TEST(QvNeutralOwnership, OwnedStreamIsClosedExactlyOnce) {
  QV_NEEDS_FAULT_STREAM();
  qvtest::TempDir dir;
  const std::string path = dir.File("own.nf");
  const int base = OpenDescriptors();
  MemFile mem(qvtest::MakeHeader(0));
  char buf[4];
  {
    ProbeFile owner;
    ASSERT_TRUE(owner.OpenToWrite(path.c_str()));
    ASSERT_TRUE(owner.WriteHeader("s", "l"));
    { ProbeFile copy(owner); }  // borrows: its end closes nothing
    ASSERT_TRUE(owner.OpenToRead(path.c_str()));  // closes the first
    ExpectDescriptors(base, 1);
    ASSERT_TRUE(owner.CloseFile());
    EXPECT_TRUE(owner.CloseFile());
    ExpectDescriptors(base, 0);

    // Assignment closes the target's own stream first and takes the
    // source's stream (borrowed) and buffer.
    ASSERT_TRUE(owner.OpenToRead(path.c_str()));
    ProbeFile source(mem.f);
    source.SetBuf(buf);
    owner = source;
    ExpectDescriptors(base, 0);
    EXPECT_FALSE(owner.OwnsFile());
    EXPECT_EQ(buf, owner.Buf());

    // A copy that borrows the target's own stream, assigned back: the
    // stream stays open and owned, so neither is left with a dead stream.
    ASSERT_TRUE(owner.OpenToRead(path.c_str()));
    ProbeFile borrower(owner);
    owner = borrower;
    const ProbeFile& alias = owner;
    owner = alias;
    EXPECT_TRUE(owner.OwnsFile());
    EXPECT_TRUE(owner.ReadHeader(nullptr, nullptr, nullptr));

    // A failed append keeps a non-neutral file open; a failed read closes.
    ASSERT_TRUE(qvtest::WriteAll(dir.File("x.txt"), std::string(40, 'x')));
    EXPECT_FALSE(owner.OpenToAppend(dir.File("x.txt").c_str()));
    EXPECT_TRUE(owner.OwnsFile());
    ExpectDescriptors(base, 1);
    EXPECT_FALSE(owner.OpenToRead(dir.File("x.txt").c_str()));
    ExpectDescriptors(base, 0);
    EXPECT_FALSE(owner.OpenToAppend(dir.File("x.txt").c_str()));
  }  // the destructor closes the file left open
  ExpectDescriptors(base, 0);
  EXPECT_EQ(0, mem.stream.Closes());
}

}  // namespace
