#include <gtest/gtest.h>

#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "NeutralTestUtil.h"

namespace {

using qvtest::Bytes;
using qvtest::MemFile;
using Op = std::function<bool(QvNeutralFile&)>;

// Writes never reorder, whatever the byte-order flag says, and give the
// same bytes to a stream and to a buffer; empty arrays write nothing.
TEST(QvNeutralValues, WritesGiveExactLittleEndianBytes) {
  static const int ints[2] = {1, -2};
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
    qvtest::ProbeFile nf;
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
    EXPECT_EQ(14, nf.BufSize());
    // The raw reversal swaps the whole run it read.
    nf.SetBuf(reinterpret_cast<char*>(b.data()));
    unsigned char raw[3];
    ASSERT_TRUE(nf.FreadLR(raw, 3));
    EXPECT_EQ(l2r ? Bytes({3, 2, 1}) : Bytes({1, 2, 3}), Bytes(raw, raw + 3));
  }
}

// Every float pattern, NaN payloads included, over arrays larger than the
// staging area with odd lengths, in both stored orders; then a read that
// stops inside element i keeps element i and the rest as they were.
TEST(QvNeutralValues, ArraysRoundTripAndShortReadsKeepFailingElement) {
  const int n = 40001;
  std::vector<std::uint32_t> words(n);
  for (int i = 0; i < n; ++i) words[i] = 0x7F800001u + 0x9E3779B9u * i;
  words[1] = 0x7FC00000u;
  words[2] = 0xFFC00001u;
  for (bool reversed : {false, true}) {
    SCOPED_TRACE(reversed);
    Bytes stored;
    for (std::uint32_t w : words) qvtest::PutU32(stored, w, reversed);
    for (std::size_t cut : {stored.size(), stored.size() - 1,
                            std::size_t{65539}, std::size_t{6}}) {
      SCOPED_TRACE(cut);
      MemFile mem(Bytes(stored.begin(), stored.begin() + cut));
      QvNeutralFile nf(mem.f);
      nf.SetL2R(reversed);
      std::vector<float> got(n, 0.0f);
      EXPECT_EQ(cut == stored.size(), nf.ReadFloat(got.data(), n));
      const std::size_t whole = cut / 4;
      for (std::size_t i = 0; i < got.size(); ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &got[i], 4);
        ASSERT_EQ(i < whole ? words[i] : 0u, bits) << i;
      }
    }
  }
  std::vector<double> d(n);
  for (int i = 0; i < n; ++i) d[i] = i * 0.25;
  MemFile mem;
  QvNeutralFile nf(mem.f);
  ASSERT_TRUE(nf.WriteDouble(d.data(), n));
  ASSERT_TRUE(nf.GoToFileBegin());
  std::vector<double> back(n);
  ASSERT_TRUE(nf.ReadDouble(back.data(), n));
  EXPECT_EQ(d, back);
}

// The bounded buffer refuses any single transfer that would pass its
// capacity; arrays move the whole elements that fit, padding the bytes
// that fit, as elementwise and bytewise transfers would.
TEST(QvNeutralValues, BoundedBufferNeverPassesCapacity) {
  Bytes buf(16, 0x55);
  qvtest::ProbeFile nf;
  nf.SetBuf(reinterpret_cast<char*>(buf.data()), 10);
  const int values[3] = {1, 2, 3};
  EXPECT_FALSE(nf.WriteInt(values, 3));
  EXPECT_FALSE(nf.WriteDouble(1.0));
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
  EXPECT_EQ(8, nf.BufSize());
  EXPECT_EQ(2, got[1]);
  EXPECT_EQ(9, got[2]);
  EXPECT_EQ(4, d);
}

// Without a stream or buffer every call fails and leaves its output alone.
TEST(QvNeutralValues, NoStreamAndNoBufferFailsEverything) {
  QvNeutralFile nf;
  int i = 1;
  unsigned int u = 1;
  float f = 1;
  double d = 1;
  bool b = true;
  unsigned char c = 1;
  char text[9] = "keep";
  EXPECT_FALSE(nf.ReadUInt(u) || nf.ReadInt(&i, 1) || nf.ReadFloat(&f, 1) ||
               nf.ReadDouble(&d, 1) || nf.ReadString(text, 8) ||
               nf.ReadBool(&b) || nf.ReadUChar(&c) || nf.ReadWyBOOL(&c));
  EXPECT_FALSE(nf.WriteInt(i) || nf.WriteFloat(&f, 1) || nf.WriteDouble(d) ||
               nf.WriteString("", 2) || nf.WriteBool(b) || nf.WriteUChar(c) ||
               nf.UpdateIdBlock(0) || nf.WriteIdBlock("x", 1) != -1);
  EXPECT_TRUE(i == 1 && u == 1 && f == 1 && d == 1 && b && c == 1);
  EXPECT_STREQ("keep", text);
}

}  // namespace
