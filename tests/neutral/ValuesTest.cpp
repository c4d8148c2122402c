#include <gtest/gtest.h>

#include <QvBase/QvNeutralFile.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "NeutralTestUtil.h"

namespace {

using qvtest::Bytes;
using qvtest::MemFile;

unsigned int Swap32(unsigned int v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

struct WriteCase {
  const char* what;
  std::function<bool(QvNeutralFile&)> write;
  Bytes want;
};

std::vector<WriteCase> WriteCases() {
  static const int ints[2] = {1, -2};
  static const std::int32_t longs[1] = {0x01020304};
  static const unsigned int uints[2] = {0xFFFFFFFFu, 0x80u};
  static const float floats[2] = {1.0f, -2.5f};
  static const double doubles[1] = {1.0};
  return {
      {"int 1", [](QvNeutralFile& f) { return f.WriteInt(1); }, {1, 0, 0, 0}},
      {"int -2", [](QvNeutralFile& f) { return f.WriteInt(-2); },
       {0xFE, 0xFF, 0xFF, 0xFF}},
      {"long", [](QvNeutralFile& f) { return f.WriteLong(0x01020304); },
       {4, 3, 2, 1}},
      {"uint", [](QvNeutralFile& f) { return f.WriteUInt(0xA0B0C0D0u); },
       {0xD0, 0xC0, 0xB0, 0xA0}},
      {"float", [](QvNeutralFile& f) { return f.WriteFloat(1.0f); },
       {0, 0, 0x80, 0x3F}},
      {"double", [](QvNeutralFile& f) { return f.WriteDouble(-2.0); },
       {0, 0, 0, 0, 0, 0, 0, 0xC0}},
      {"bool true", [](QvNeutralFile& f) { return f.WriteBool(true); }, {1}},
      {"bool false", [](QvNeutralFile& f) { return f.WriteBool(false); }, {0}},
      {"WyBOOL", [](QvNeutralFile& f) { return f.WriteWyBOOL(0x02); }, {2}},
      {"uchar", [](QvNeutralFile& f) { return f.WriteUChar(0xAB); }, {0xAB}},
      {"int array", [](QvNeutralFile& f) { return f.WriteInt(ints, 2); },
       {1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}},
      {"long array", [](QvNeutralFile& f) { return f.WriteLong(longs, 1); },
       {4, 3, 2, 1}},
      {"uint array", [](QvNeutralFile& f) { return f.WriteUInt(uints, 2); },
       {0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0}},
      {"float array", [](QvNeutralFile& f) { return f.WriteFloat(floats, 2); },
       {0, 0, 0x80, 0x3F, 0, 0, 0x20, 0xC0}},
      {"double array",
       [](QvNeutralFile& f) { return f.WriteDouble(doubles, 1); },
       {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
      {"empty arrays",
       [](QvNeutralFile& f) {
         return f.WriteInt(ints, 0) && f.WriteDouble(doubles, -1) &&
                f.WriteFloat(nullptr, 0);
       },
       {}},
      {"short text", [](QvNeutralFile& f) { return f.WriteString("abc", 8); },
       {'a', 'b', 'c', 0, 0, 0, 0, 0}},
      {"empty text", [](QvNeutralFile& f) { return f.WriteString("", 8); },
       Bytes(8, 0)},
      {"null text", [](QvNeutralFile& f) { return f.WriteString(nullptr, 3); },
       Bytes(3, 0)},
      {"long text cut",
       [](QvNeutralFile& f) { return f.WriteString("0123456789", 8); },
       {'0', '1', '2', '3', '4', '5', '6', '7'}},
      {"name", [](QvNeutralFile& f) { return f.WriteName("ColorTable"); },
       {'C', 'o', 'l', 'o', 'r', 'T', 'a', 'b'}},
      {"long name", [](QvNeutralFile& f) { return f.WriteLongName("x"); },
       [] {
         Bytes b(80, 0);
         b[0] = 'x';
         return b;
       }()},
  };
}

// Writes never reorder, whatever the byte-order flag says, and give the
// same bytes to a stream and to a buffer.
TEST(QvNeutralValues, WritesGiveExactLittleEndianBytes) {
  for (const WriteCase& c : WriteCases()) {
    for (bool l2r : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (l2r ? " flag set" : ""));
      MemFile mem;
      QvNeutralFile nf(mem.f);
      nf.SetL2R(l2r);
      ASSERT_TRUE(c.write(nf));
      EXPECT_EQ(c.want, mem.Contents());

      char buf[128];
      std::memset(buf, 0x55, sizeof buf);
      QvNeutralFile viaBuf;
      viaBuf.SetL2R(l2r);
      viaBuf.SetBuf(buf);
      ASSERT_TRUE(c.write(viaBuf));
      ASSERT_EQ(static_cast<int>(c.want.size()), viaBuf.BufSize());
      EXPECT_EQ(c.want, Bytes(buf, buf + c.want.size()));
      EXPECT_EQ(0x55, static_cast<unsigned char>(buf[c.want.size()]));
    }
  }
}

TEST(QvNeutralValues, ReadsReverseFourAndEightByteValuesOnlyWhenFlagged) {
  const Bytes bytes = {1, 2, 3, 4, 5, 6, 7, 8};
  for (bool l2r : {false, true}) {
    SCOPED_TRACE(l2r);
    Bytes copy = bytes;
    QvNeutralFile nf;
    nf.SetL2R(l2r);
    nf.SetBuf(reinterpret_cast<char*>(copy.data()));
    unsigned int u = 0;
    ASSERT_TRUE(nf.ReadUInt(u));
    EXPECT_EQ(l2r ? 0x01020304u : 0x04030201u, u);
    std::int32_t address = 0;
    ASSERT_TRUE(nf.ReadAddress(address));
    EXPECT_EQ(l2r ? 0x05060708 : 0x08070605, address);

    nf.SetBuf(reinterpret_cast<char*>(copy.data()));
    int two[2] = {};
    ASSERT_TRUE(nf.ReadInt(two, 2));
    EXPECT_EQ(l2r ? 0x01020304 : 0x04030201, two[0]);
    EXPECT_EQ(l2r ? 0x05060708 : 0x08070605, two[1]);

    nf.SetBuf(reinterpret_cast<char*>(copy.data()));
    double d = 0;
    ASSERT_TRUE(nf.ReadDouble(&d, 1));
    std::uint64_t bits;
    std::memcpy(&bits, &d, 8);
    EXPECT_EQ(l2r ? 0x0102030405060708ull : 0x0807060504030201ull, bits);

    // One-byte values and texts are never reversed.
    nf.SetBuf(reinterpret_cast<char*>(copy.data()));
    unsigned char c = 0;
    char text[5];
    ASSERT_TRUE(nf.ReadUChar(&c));
    ASSERT_TRUE(nf.ReadString(text, 4));
    EXPECT_EQ(1, c);
    EXPECT_EQ(std::string("\x02\x03\x04\x05"), text);
  }
}

TEST(QvNeutralValues, ByteValuesAndTexts) {
  Bytes bytes = {2, 0, 'a', 'b', 'c', 0, 0, 0, 0, 0};
  QvNeutralFile nf;
  nf.SetBuf(reinterpret_cast<char*>(bytes.data()));
  bool b = false;
  ASSERT_TRUE(nf.ReadBool(&b));
  EXPECT_TRUE(b);
  unsigned char w = 9;
  ASSERT_TRUE(nf.ReadWyBOOL(&w));
  EXPECT_EQ(0, w);
  char text[9];
  std::memset(text, 'x', sizeof text);
  ASSERT_TRUE(nf.ReadString(text, 8));
  EXPECT_STREQ("abc", text);
  EXPECT_EQ('\0', text[8]);
  EXPECT_EQ(10, nf.BufSize());

  // Zero-width texts and empty arrays move nothing.
  int values[1] = {5};
  ASSERT_TRUE(nf.ReadString(text, 0));
  EXPECT_EQ('\0', text[0]);
  EXPECT_TRUE(nf.ReadInt(values, -1));
  EXPECT_TRUE(nf.ReadFloat(nullptr, 0));
  EXPECT_EQ(10, nf.BufSize());
  EXPECT_EQ(5, values[0]);
  EXPECT_FALSE(nf.ReadString(text, -1));
  EXPECT_FALSE(nf.WriteString("a", -1));
}

TEST(QvNeutralValues, FloatPatternsComeBackUnchangedNaNsIncluded) {
  const std::uint32_t patterns[] = {0x7FC00000u, 0x7F800001u, 0xFFC00001u,
                                    0x7FFFFFFFu, 0x80000000u, 0x00000001u,
                                    0xFF800000u};
  const std::size_t n = sizeof patterns / sizeof patterns[0];
  for (bool l2r : {false, true}) {
    SCOPED_TRACE(l2r);
    Bytes stored;
    for (std::uint32_t p : patterns)
      l2r ? qvtest::PutU32Reversed(stored, p) : qvtest::PutU32(stored, p);
    MemFile mem(stored);
    QvNeutralFile nf(mem.f);
    nf.SetL2R(l2r);
    float got[n];
    ASSERT_TRUE(nf.ReadFloat(got, static_cast<int>(n)));
    for (std::size_t i = 0; i < n; ++i) {
      std::uint32_t bits;
      std::memcpy(&bits, &got[i], 4);
      EXPECT_EQ(patterns[i], bits) << i;
    }
  }
}

// Arrays larger than the staging area, with odd lengths, in both stored
// byte orders; the values come back exactly.
TEST(QvNeutralValues, LargeArraysRoundTripInBothByteOrders) {
  const int n = 40001;
  std::vector<std::uint32_t> words(n);
  std::vector<std::uint64_t> longWords(n);
  for (int i = 0; i < n; ++i) {
    words[i] = 0x9E3779B9u * static_cast<std::uint32_t>(i + 1);
    longWords[i] = 0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(i + 1);
  }
  for (bool reversed : {false, true}) {
    SCOPED_TRACE(reversed);
    Bytes stored;
    for (std::uint32_t w : words)
      reversed ? qvtest::PutU32Reversed(stored, w) : qvtest::PutU32(stored, w);
    for (std::uint64_t w : longWords) {
      const auto lo = static_cast<std::uint32_t>(w);
      const auto hi = static_cast<std::uint32_t>(w >> 32);
      if (reversed) {
        qvtest::PutU32Reversed(stored, hi);
        qvtest::PutU32Reversed(stored, lo);
      } else {
        qvtest::PutU32(stored, lo);
        qvtest::PutU32(stored, hi);
      }
    }
    MemFile mem(stored);
    QvNeutralFile nf(mem.f);
    nf.SetL2R(reversed);
    std::vector<float> f(n);
    std::vector<double> d(n);
    ASSERT_TRUE(nf.ReadFloat(f.data(), n));
    ASSERT_TRUE(nf.ReadDouble(d.data(), n));
    EXPECT_EQ(0, std::memcmp(words.data(), f.data(), 4u * n));
    EXPECT_EQ(0, std::memcmp(longWords.data(), d.data(), 8u * n));

    if (!reversed) {
      MemFile out;
      QvNeutralFile w(out.f);
      ASSERT_TRUE(w.WriteFloat(f.data(), n));
      ASSERT_TRUE(w.WriteDouble(d.data(), n));
      EXPECT_EQ(stored, out.Contents());
    }
  }
}

// A read that ends inside element i stores the elements before it and
// leaves element i and the rest as they were, across the staging size.
TEST(QvNeutralValues, ShortArrayReadKeepsFailingElement) {
  struct Case {
    int n;
    std::size_t available;
  };
  const Case cases[] = {{5, 0},         {5, 3},          {5, 4},
                        {5, 6},         {5, 19},         {20000, 65536 + 6},
                        {20000, 65536}, {20000, 79999}};
  for (const Case& c : cases) {
    for (bool l2r : {false, true}) {
      SCOPED_TRACE(std::to_string(c.n) + " from " +
                   std::to_string(c.available) + (l2r ? " reversed" : ""));
      Bytes stored;
      for (int i = 0; i < c.n; ++i) qvtest::PutU32(stored, 1000u + i);
      stored.resize(c.available);
      MemFile mem(stored);
      QvNeutralFile nf(mem.f);
      nf.SetL2R(l2r);
      std::vector<unsigned int> got(c.n, 0xDEADBEEFu);
      EXPECT_FALSE(nf.ReadUInt(got.data(), c.n));
      const std::size_t whole = c.available / 4;
      for (std::size_t i = 0; i < got.size(); ++i) {
        const unsigned int v = 1000u + static_cast<unsigned int>(i);
        const unsigned int want =
            i < whole ? (l2r ? Swap32(v) : v) : 0xDEADBEEFu;
        ASSERT_EQ(want, got[i]) << i;
      }
    }
  }
}

// A stream that refuses writes after k bytes holds exactly the first k
// bytes of the array and the write reports failure.
TEST(QvNeutralValues, FailedArrayWriteLeavesPrefix) {
  const double values[3] = {1.0, -2.0, 0.25};
  Bytes good;
  {
    MemFile mem;
    QvNeutralFile nf(mem.f);
    ASSERT_TRUE(nf.WriteDouble(values, 3));
    good = mem.Contents();
  }
  for (std::size_t k = 0; k < good.size(); ++k) {
    SCOPED_TRACE(k);
    qvtest::FaultPlan plan;
    plan.failWritesAfter = static_cast<std::int64_t>(k);
    plan.unbuffered = true;
    MemFile mem({}, plan);
    QvNeutralFile nf(mem.f);
    EXPECT_FALSE(nf.WriteDouble(values, 3));
    EXPECT_EQ(Bytes(good.begin(), good.begin() + k), mem.stream.Bytes());
  }
}

TEST(QvNeutralValues, BufferReadsAndWritesShareOnePointerAndCount) {
  char buf[32] = {};
  QvNeutralFile nf;
  nf.SetBuf(buf);
  ASSERT_TRUE(nf.WriteInt(7));
  ASSERT_TRUE(nf.WriteDouble(0.5));
  EXPECT_EQ(12, nf.BufSize());
  qvtest::ProbeFile probe;
  probe.SetBuf(buf);
  ASSERT_TRUE(probe.WriteInt(7));
  ASSERT_TRUE(probe.WriteDouble(0.5));
  EXPECT_EQ(buf + 12, probe.Buf());
  int i = 0;
  ASSERT_TRUE(probe.ReadInt(&i, 1));  // reads on from where writing stopped
  EXPECT_EQ(16, probe.BufSize());
  EXPECT_EQ(0, i);

  probe.SetBuf(buf);
  double d = 0;
  ASSERT_TRUE(probe.ReadInt(&i, 1));
  ASSERT_TRUE(probe.ReadDouble(&d, 1));
  EXPECT_EQ(7, i);
  EXPECT_EQ(0.5, d);
  EXPECT_EQ(12, probe.BufSize());
}

// The bounded buffer refuses any single transfer that would pass its
// capacity; arrays move the whole elements that fit, like elementwise
// transfers would, and padding moves the bytes that fit.
TEST(QvNeutralValues, BoundedBufferNeverPassesCapacity) {
  char buf[16];
  std::memset(buf, 0x55, sizeof buf);
  QvNeutralFile nf;
  nf.SetBuf(buf, 10);
  const int values[3] = {1, 2, 3};
  EXPECT_FALSE(nf.WriteInt(values, 3));
  EXPECT_EQ(8, nf.BufSize());
  EXPECT_FALSE(nf.WriteUInt(5u));
  EXPECT_FALSE(nf.WriteDouble(1.0));
  EXPECT_FALSE(nf.WriteString("abc", 8));
  EXPECT_EQ(8, nf.BufSize());
  EXPECT_FALSE(nf.WriteString("a", 4));  // "a" and one zero fit
  EXPECT_EQ(10, nf.BufSize());
  EXPECT_FALSE(nf.WriteBool(true));
  EXPECT_EQ(Bytes({1, 0, 0, 0, 2, 0, 0, 0, 'a', 0, 0x55}),
            Bytes(buf, buf + 11));

  nf.SetBuf(buf, 10);
  int got[3] = {9, 9, 9};
  EXPECT_FALSE(nf.ReadInt(got, 3));
  EXPECT_EQ(1, got[0]);
  EXPECT_EQ(2, got[1]);
  EXPECT_EQ(9, got[2]);
  double d = 4;
  EXPECT_FALSE(nf.ReadDouble(&d, 1));
  EXPECT_EQ(4, d);
  char text[9];
  EXPECT_FALSE(nf.ReadString(text, 3));
  EXPECT_EQ(8, nf.BufSize());
  unsigned char c = 0;
  EXPECT_TRUE(nf.ReadUChar(&c));
  EXPECT_EQ('a', c);
}

TEST(QvNeutralValues, NoStreamAndNoBufferFailsEverything) {
  QvNeutralFile nf;
  int i = 1;
  unsigned int u = 1;
  std::int32_t l = 1;
  float f = 1;
  double d = 1;
  bool b = true;
  unsigned char c = 1;
  char text[9] = "keep";
  const std::vector<std::function<bool()>> ops = {
      [&] { return nf.ReadUInt(u); },
      [&] { return nf.ReadAddress(l); },
      [&] { return nf.ReadInt(&i, 1); },
      [&] { return nf.ReadLong(&l, 1); },
      [&] { return nf.ReadUInt(&u, 1); },
      [&] { return nf.ReadFloat(&f, 1); },
      [&] { return nf.ReadDouble(&d, 1); },
      [&] { return nf.ReadString(text, 8); },
      [&] { return nf.ReadBool(&b); },
      [&] { return nf.ReadWyBOOL(&c); },
      [&] { return nf.ReadUChar(&c); },
      [&] { return nf.WriteInt(&i, 1); },
      [&] { return nf.WriteLong(&l, 1); },
      [&] { return nf.WriteUInt(&u, 1); },
      [&] { return nf.WriteFloat(&f, 1); },
      [&] { return nf.WriteDouble(&d, 1); },
      [&] { return nf.WriteInt(i); },
      [&] { return nf.WriteLong(l); },
      [&] { return nf.WriteUInt(u); },
      [&] { return nf.WriteFloat(f); },
      [&] { return nf.WriteDouble(d); },
      [&] { return nf.WriteString("x", 8); },
      [&] { return nf.WriteName("x"); },
      [&] { return nf.WriteLongName("x"); },
      [&] { return nf.WriteBool(b); },
      [&] { return nf.WriteWyBOOL(c); },
      [&] { return nf.WriteUChar(c); },
  };
  for (std::size_t k = 0; k < ops.size(); ++k) EXPECT_FALSE(ops[k]()) << k;
  EXPECT_EQ(1, i);
  EXPECT_EQ(1u, u);
  EXPECT_EQ(1, l);
  EXPECT_EQ(1, f);
  EXPECT_EQ(1, d);
  EXPECT_TRUE(b);
  EXPECT_EQ(1, c);
  EXPECT_STREQ("keep", text);
  EXPECT_EQ(0, nf.BufSize());
}

TEST(QvNeutralValues, RawReadReversesWholeRunWhenFlagged) {
  Bytes bytes = {1, 2, 3, 4, 5};
  qvtest::ProbeFile nf;
  nf.SetL2R(true);
  nf.SetBuf(reinterpret_cast<char*>(bytes.data()));
  unsigned char out[5] = {};
  ASSERT_TRUE(nf.FreadLR(out, 1));
  EXPECT_EQ(1, out[0]);
  ASSERT_TRUE(nf.FreadLR(out, 3));
  EXPECT_EQ(Bytes({4, 3, 2}), Bytes(out, out + 3));
  ASSERT_TRUE(nf.FreadLR(out, 0));
  EXPECT_EQ(4, nf.BufSize());
}

}  // namespace
