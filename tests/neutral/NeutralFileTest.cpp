#include <gtest/gtest.h>

#include <QvBase/QvError.h>
#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "NeutralTestUtil.h"
#include "support/OpenFiles.h"
#include "support/TempDir.h"

namespace {

using qvtest::Bytes;
using qvtest::MemFile;
using qvtest::OpenDescriptors;  // -1 where they can't be counted
using qvtest::Position;
using qvtest::ProbeFile;
using Op = std::function<bool(QvNeutralFile&)>;
using ArrayRead = bool (*)(QvNeutralFile&, void*, int);

// Writes never reorder, whatever the byte-order flag says, and give the
// same bytes to a stream and to a buffer; empty arrays write nothing.
TEST(QvNeutralValues, WritesGiveExactLittleEndianBytes) {
  static const int ints[2] = {1, -2};
  static const std::int32_t longs[2] = {0x01020304, -8};
  static const unsigned int uints[1] = {0xA0B0C0D0u};
  static const double one = 1.0;
  Bytes longName(80, 0);
  longName[0] = 'x';
  const std::vector<std::pair<Op, Bytes>> cases = {
      {[](QvNeutralFile& f) {
         return f.WriteInt(-2) && f.WriteLong(0x01020304) &&
                f.WriteUInt(0xA0B0C0D0u) && f.WriteInt(ints, 2) &&
                f.WriteInt(ints, 0) && f.WriteFloat(nullptr, -1);
       },
       {0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2,    1,    0xD0, 0xC0,
        0xB0, 0xA0, 1,    0,    0, 0, 0xFE, 0xFF, 0xFF, 0xFF}},
      {[](QvNeutralFile& f) {
         return f.WriteLong(longs, 2) && f.WriteUInt(uints, 1) &&
                f.WriteLong(longs, 0) && f.WriteUInt(nullptr, -1);
       },
       {4, 3, 2, 1, 0xF8, 0xFF, 0xFF, 0xFF, 0xD0, 0xC0, 0xB0, 0xA0}},
      {[](QvNeutralFile& f) {
         return f.WriteFloat(-2.5f) && f.WriteDouble(-2.0) &&
                f.WriteDouble(&one, 1);
       },
       {0, 0,    0x20, 0xC0, 0, 0, 0, 0, 0,    0,
        0, 0xC0, 0,    0,    0, 0, 0, 0, 0xF0, 0x3F}},
      {[](QvNeutralFile& f) {
         return f.WriteBool(true) && f.WriteBool(false) && f.WriteWyBOOL(2) &&
                f.WriteUChar(0xAB);
       },
       {1, 0, 2, 0xAB}},
      {[](QvNeutralFile& f) {
         return f.WriteString("abc", 5) && f.WriteString(nullptr, 3) &&
                f.WriteName("ColorTable");
       },
       {'a', 'b', 'c', 0, 0, 0, 0, 0, 'C', 'o', 'l', 'o', 'r', 'T', 'a', 'b'}},
      {[](QvNeutralFile& f) { return f.WriteLongName("x"); }, longName},
  };
  for (std::size_t k = 0; k < cases.size(); ++k) {
    for (bool l2r : {false, true}) {
      SCOPED_TRACE(std::to_string(k) + (l2r ? " flag set" : ""));
      MemFile mem;
      QvNeutralFile nf(mem.f);
      nf.SetL2R(l2r);
      ASSERT_TRUE(cases[k].first(nf));
      EXPECT_EQ(cases[k].second, mem.Contents());
      Bytes buf(96, 0x55);
      nf = QvNeutralFile();
      nf.SetL2R(l2r);
      nf.SetBuf(reinterpret_cast<char*>(buf.data()));
      ASSERT_TRUE(cases[k].first(nf));
      const std::size_t n = cases[k].second.size();
      ASSERT_EQ(static_cast<int>(n), nf.BufSize());
      EXPECT_EQ(cases[k].second, Bytes(buf.begin(), buf.begin() + n));
      EXPECT_EQ(0x55, buf[n]);
    }
  }
}

TEST(QvNeutralValues, ReadsReverseFourAndEightByteValuesOnlyWhenFlagged) {
  for (bool l2r : {false, true}) {
    SCOPED_TRACE(l2r);
    Bytes b = {1, 2, 3, 4, 5, 6, 7, 8, 2, 'a', 'b', 'c', 0, 0};
    ProbeFile nf;
    nf.SetL2R(l2r);
    unsigned int u = 0;
    std::int32_t two[2] = {};
    double d = 0;
    bool flag = false;
    char text[6] = "xxxxx";
    nf.SetBuf(reinterpret_cast<char*>(b.data()));
    ASSERT_TRUE(nf.ReadUInt(u));
    EXPECT_EQ(l2r ? 0x01020304u : 0x04030201u, u);
    nf.SetBuf(reinterpret_cast<char*>(b.data()));
    ASSERT_TRUE(nf.ReadLong(two, 2));  // each value reversed by itself
    EXPECT_EQ(l2r ? 0x05060708 : 0x08070605, two[1]);
    nf.SetBuf(reinterpret_cast<char*>(b.data()));
    ASSERT_TRUE(nf.ReadDouble(&d, 1));
    std::uint64_t bits;
    std::memcpy(&bits, &d, 8);
    EXPECT_EQ(l2r ? 0x0102030405060708ull : 0x0807060504030201ull, bits);
    // One-byte values and texts are never reversed.
    ASSERT_TRUE(nf.ReadBool(&flag));
    ASSERT_TRUE(nf.ReadString(text, 5));
    EXPECT_TRUE(flag);
    EXPECT_STREQ("abc", text);
    EXPECT_TRUE(nf.ReadString(text, 0) && nf.ReadDouble(&d, 0));  // nothing
    EXPECT_EQ('\0', text[0]);
    EXPECT_EQ(14, nf.BufSize());
    // The raw reversal swaps the whole run it read.
    nf.SetBuf(reinterpret_cast<char*>(b.data()));
    unsigned char raw[3];
    ASSERT_TRUE(nf.FreadLR(raw, 3));
    EXPECT_EQ(l2r ? Bytes({3, 2, 1}) : Bytes({1, 2, 3}), Bytes(raw, raw + 3));
    nf.SetBuf(reinterpret_cast<char*>(b.data()), 2);
    EXPECT_FALSE(nf.FreadLR(raw, 3));
  }
}

template <typename T, bool (QvNeutralFile::*Read)(T*, int)>
bool ReadAs(QvNeutralFile& nf, void* values, int n) {
  return (nf.*Read)(static_cast<T*>(values), n);
}

// Skips a 3-byte prefix, then reads n elements of width w into an array of
// 0xA5 bytes; gives the array and the stream's position (-1: failed).
std::pair<Bytes, long> ReadArray(std::FILE* f, ArrayRead read, std::size_t w,
                                 int n, bool l2r) {
  char prefix[4];
  Bytes values(w * n, 0xA5);
  QvNeutralFile nf(f);
  nf.SetL2R(l2r);
  const bool ok = nf.ReadString(prefix, 3) && read(nf, values.data(), n);
  return {values, ok ? std::ftell(f) : -1 - std::ftell(f)};
}

// Every array read, both byte orders, requests below and above the size
// that goes straight to the array (regular files) or is staged (callback
// streams), over files that hold all of it, all but a byte, or end inside
// an element: the whole elements before the cut are read, every bit
// pattern kept (NaN payloads too), and the failing element and those after
// it keep their old bytes.
TEST(QvNeutralValues, ArrayReadsKeepWholeElementsBeforeACut) {
  constexpr int kBig = 131073;  // one past a whole number of swap pieces
  const std::vector<std::pair<std::size_t, ArrayRead>> reads = {
      {4, ReadAs<int, &QvNeutralFile::ReadInt>},
      {4, ReadAs<std::int32_t, &QvNeutralFile::ReadLong>},
      {4, ReadAs<unsigned int, &QvNeutralFile::ReadUInt>},
      {4, ReadAs<float, &QvNeutralFile::ReadFloat>},
      {8, ReadAs<double, &QvNeutralFile::ReadDouble>},
  };
  qvtest::TempDir dir;
  const std::string path = dir.File("array");
  std::mt19937 rng(20240229);
  Bytes bytes(3 + 8 * kBig);
  for (auto& b : bytes) b = static_cast<unsigned char>(rng());
  std::memcpy(bytes.data(), "abc", 3);
  const std::uint32_t one = 1;
  const bool bigHost = *reinterpret_cast<const unsigned char*>(&one) == 0;
  std::vector<double> doubles(kBig);  // large writes give the same bytes
  for (std::size_t i = 0; i < doubles.size(); ++i) {
    std::uint64_t v = 0;
    for (int b = 0; b < 8; ++b)
      v |= std::uint64_t{bytes[3 + 8 * i + b]} << 8 * b;
    std::memcpy(&doubles[i], &v, 8);
  }
  QvNeutralFile out;
  ASSERT_TRUE(out.OpenToWrite(path.c_str()) && out.WriteString("abc", 3) &&
              out.WriteDouble(doubles.data(), kBig) && out.CloseFile());
  ASSERT_EQ(bytes, qvtest::ReadAll(path));
  for (std::size_t k = 0; k < reads.size(); ++k) {
    const std::size_t w = reads[k].first;
    for (int n : {5, kBig}) {
      const std::size_t all = 3 + w * n;
      for (std::size_t cut : {all, all - 1, 3 + w * 33000 + 2, 3 + w * 3 + 1,
                              std::size_t{5}, std::size_t{3}}) {
        if (cut > all) continue;
        for (bool l2r : {false, true}) {
          SCOPED_TRACE(std::to_string(k) + " n " + std::to_string(n) + " cut " +
                       std::to_string(cut) + (l2r ? " l2r" : ""));
          Bytes want(w * n, 0xA5);
          for (std::size_t i = 0; i < (cut - 3) / w && i < std::size_t(n); ++i)
            for (std::size_t b = 0; b < w; ++b)
              want[w * i + b] =
                  bytes[3 + w * i + (l2r != bigHost ? w - 1 - b : b)];
          ASSERT_TRUE(qvtest::WriteAll(path, bytes.data(), cut));
          std::FILE* f = std::fopen(path.c_str(), "rb");
          ASSERT_NE(nullptr, f);
          const auto direct = ReadArray(f, reads[k].second, w, n, l2r);
          std::fclose(f);
          MemFile mem(Bytes(bytes.begin(), bytes.begin() + cut), {}, "rb");
          const auto staged = ReadArray(mem.f, reads[k].second, w, n, l2r);
          EXPECT_EQ(cut == all, staged.second >= 0);
          EXPECT_TRUE(cut == all || QvLastError() == QvError::Truncated);
          EXPECT_EQ(staged.second, direct.second);
          ASSERT_TRUE(want == staged.first && want == direct.first);
        }
      }
    }
  }
}

// The bounded buffer refuses any single transfer that would pass its
// capacity; arrays move the whole elements that fit, padding the bytes
// that fit, as elementwise and bytewise transfers would.
TEST(QvNeutralValues, BoundedOrMissingBufferRefusesTransfers) {
  Bytes buf(16, 0x55);
  ProbeFile nf;
  nf.SetBuf(reinterpret_cast<char*>(buf.data()), 10);
  const int values[3] = {1, 2, 3};
  EXPECT_FALSE(nf.WriteInt(values, 3));
  EXPECT_FALSE(nf.WriteDouble(1.0));
  EXPECT_EQ(QvError::TooLarge, QvLastError());
  EXPECT_FALSE(nf.WriteString("abc", 8));
  EXPECT_EQ(8, nf.BufSize());
  EXPECT_FALSE(nf.WriteString("a", 4));
  EXPECT_EQ(reinterpret_cast<char*>(buf.data()) + 10, nf.Buf());
  EXPECT_FALSE(nf.WriteBool(true));
  EXPECT_EQ(Bytes({1, 0, 0, 0, 2, 0, 0, 0, 'a', 0, 0x55}),
            Bytes(buf.begin(), buf.begin() + 11));

  nf.SetBuf(reinterpret_cast<char*>(buf.data()), 10);
  int got[3] = {9, 9, 9};
  double d = 4;
  EXPECT_FALSE(nf.ReadInt(got, 3));
  EXPECT_FALSE(nf.ReadDouble(&d, 1));
  EXPECT_EQ(QvError::Truncated, QvLastError());
  EXPECT_EQ(8, nf.BufSize());
  EXPECT_EQ(2, got[1]);
  EXPECT_EQ(9, got[2]);
  EXPECT_EQ(4, d);

  // Without a stream or buffer every call fails and leaves its output alone.
  QvNeutralFile none;
  int i = 1;
  unsigned int u = 1;
  float f = 1;
  d = 1;
  bool b = true;
  unsigned char c = 1;
  char text[9] = "keep";
  EXPECT_FALSE(none.ReadUInt(u) || none.ReadInt(&i, 1) ||
               none.ReadFloat(&f, 1) || none.ReadDouble(&d, 1) ||
               none.ReadString(text, 8) || none.ReadBool(&b) ||
               none.ReadUChar(&c) || none.ReadWyBOOL(&c));
  EXPECT_EQ(QvError::BadArgument, QvLastError());
  EXPECT_FALSE(none.WriteInt(i) || none.WriteFloat(&f, 1) ||
               none.WriteDouble(d) || none.WriteString("", 2) ||
               none.WriteBool(b) || none.WriteUChar(c) ||
               none.UpdateIdBlock(0) || none.WriteIdBlock("x", 1) != -1);
  EXPECT_EQ(QvError::BadArgument, QvLastError());
  EXPECT_TRUE(i == 1 && u == 1 && f == 1 && d == 1 && b && c == 1);
  EXPECT_STREQ("keep", text);
  // On a stream, a negative width and an address no block can have fail
  // and write nothing; the base makes no object for any name.
  MemFile mem;
  QvNeutralFile onStream(mem.f);
  EXPECT_FALSE(onStream.WriteString("a", -1));
  EXPECT_EQ(QvError::BadArgument, QvLastError());
  EXPECT_FALSE(onStream.UpdateIdBlock(-1) || onStream.UpdateIdBlock(INT32_MAX));
  EXPECT_EQ(QvError::BadArgument, QvLastError());
  EXPECT_TRUE(mem.Contents().empty());
  EXPECT_EQ(nullptr, onStream.Alloc("ColorTable"));
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
  EXPECT_EQ(QvError::CannotOpen, QvLastError());
  EXPECT_FALSE(nf.OpenToAppend(dir.File("missing").c_str()));
  EXPECT_FALSE(nf.OpenToWrite(dir.Path().c_str()));  // a folder
  EXPECT_EQ(QvError::CannotOpen, QvLastError());
  EXPECT_FALSE(nf.OpenToRead(nullptr));
  EXPECT_EQ(QvError::BadArgument, QvLastError());
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
       {std::pair{"ColorTab", 20010104u}, {"WyNULL", 0u}, {"Next", 3u}}) {
    qvtest::PutText(want, name, 8);
    qvtest::PutU32(want, version);
  }
  EXPECT_EQ(want, Bytes(buf.begin(), buf.begin() + 36));

  // Unbounded: a scan has no end to stop at and reads nothing. Bounded:
  // consecutive 12-byte blocks, never past the capacity.
  QvNeutralFile::IdBlock block;
  nf.SetBuf(start);
  EXPECT_FALSE(nf.ScanIdBlock("Next", block));
  EXPECT_EQ(QvError::BadArgument, QvLastError());
  EXPECT_EQ(0, nf.BufSize());
  nf.SetBuf(start, 36);
  ASSERT_TRUE(nf.ScanIdBlock("Next", block));
  EXPECT_EQ(24, block.m_Address);
  EXPECT_EQ(3u, block.m_Version);
  // A long name is found by its stored first 8 characters; names compare
  // whole.
  const char* const names[] = {"ColorTable", "Nextx", "Nex", nullptr};
  for (const char* name : names) {
    nf.SetBuf(start, 36);
    EXPECT_EQ(name == names[0], nf.ScanIdBlock(name, block));
  }
  nf.SetBuf(start, 35);
  EXPECT_FALSE(nf.ScanIdBlock("Next", block));
  EXPECT_EQ(QvError::NotFound, QvLastError());
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
      assigned = copy;  // the same stream again: still borrowed
      EXPECT_FALSE(assigned.OwnsFile());
      EXPECT_FALSE(assigned.OpenToRead(nullptr));
      EXPECT_EQ(mem.f, assigned.File());
    }
    EXPECT_EQ(0, mem.stream.Closes());
    EXPECT_EQ(0, std::ferror(mem.f));  // the failed probe left no error
    std::fgetc(mem.f);                 // an error of the caller's own stays
    EXPECT_EQ(mode[1] != '+', ProbeFile(mem.f).File() && std::ferror(mem.f));
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
