#include <QvBase/QvUserData.h>
#include <QvBase/QvUserDataUse.h>
#include <gtest/gtest.h>

#include <cstdint>

namespace {

std::uint64_t AllBytes(const QvUserData& d) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | d.GetByte(i);
  return v;
}

void SetAllBytes(QvUserData& d, std::uint64_t v) {
  for (int i = 0; i < 8; ++i)
    d.SetByte(i, static_cast<unsigned char>(v >> (8 * i)));
}

}  // namespace

TEST(QvUserData, StartsAtMinus99999WithZeroUpperBytes) {
  QvUserData d;
  EXPECT_EQ(-99999, d.iValue());
  EXPECT_EQ(-99999, d.GetInt());
  for (int i = 4; i < 8; ++i) EXPECT_EQ(0, d.GetByte(i)) << i;
}

TEST(QvUserData, WordIsLittleEndianInBytesAndBits) {
  QvUserData d;
  d.SetInt(0x04030201);
  EXPECT_EQ(0x01, d.GetByte(0));
  EXPECT_EQ(0x04, d.GetByte(3));
  EXPECT_EQ(1u, d.GetBit_i(0));
  EXPECT_EQ(0x200u, d.GetBit_i(9));
  EXPECT_EQ(0u, d.GetBit_1());
  d.SetByte(1, 0xFF);
  EXPECT_EQ(0x0403FF01, d.GetInt());
  d.ResetByte(0);
  EXPECT_EQ(0x0403FF00, d.iValue());
}

TEST(QvUserData, WordWritesKeepUpperFloat) {
  QvUserData d;
  d.Set(1.0f, 2.0f);
  EXPECT_EQ(1.0f, d.fValue0());
  EXPECT_EQ(1.0f, d.GetFloat());
  EXPECT_EQ(2.0f, d.fValue1());
  EXPECT_EQ(2.0f, d.fValues()[1]);
  d.SetInt(7);
  EXPECT_EQ(2.0f, d.fValue1());
  d.Set(8);
  d.SetFloat(-3.5f);
  EXPECT_EQ(-3.5f, d.fValues()[0]);
  EXPECT_EQ(2.0f, d.fValue1());
  d.ResetData();
  EXPECT_EQ(0, d.GetInt());
  EXPECT_EQ(2.0f, d.fValue1());
}

TEST(QvUserData, DoubleFillsAllBytes) {
  QvUserData d;
  d.Set(2.5);
  EXPECT_EQ(2.5, d.dValue());
  EXPECT_EQ(2.5, d.fValue());
  EXPECT_EQ(0x4004000000000000u, AllBytes(d));
  const unsigned char high = d.GetByte(7);
  d.ResetData();
  EXPECT_EQ(0, d.iValue());
  EXPECT_EQ(high, d.GetByte(7));
  SetAllBytes(d, 0x3FF0000000000000u);
  EXPECT_EQ(1.0, d.dValue());
}

TEST(QvUserData, PointerRoundTrips) {
  int target = 0;
  QvUserData d;
  d.SetPointer(&target);
  EXPECT_EQ(&target, d.pValue());
  d.Set(static_cast<void*>(nullptr));
  EXPECT_EQ(nullptr, d.GetPointer());
  const auto number = reinterpret_cast<void*>(std::uintptr_t{0x12345678});
  d.Set(number);
  EXPECT_EQ(0x12345678, d.GetInt());
  EXPECT_EQ(number, d.pValue());
}

// Copies keep every bit, even patterns that are not ordinary numbers.
TEST(QvUserData, CopyKeepsAllBytes) {
  QvUserData a;
  SetAllBytes(a, 0x7FA00001FFB00002u);  // signalling-NaN patterns
  QvUserData b(a);
  QvUserData c;
  c = a;
  EXPECT_EQ(0x7FA00001FFB00002u, AllBytes(b));
  EXPECT_EQ(0x7FA00001FFB00002u, AllBytes(c));
}

TEST(QvUserData, EachBitOperationTouchesOneBit) {
  for (int i = 0; i < 32; ++i) {
    SCOPED_TRACE(i);
    QvUserData d;
    d.Set(1.5f, 1.5f);
    const std::uint64_t before = AllBytes(d);
    const std::uint64_t bit = std::uint64_t{1} << i;
    d.SetBit_i(i, (before & bit) == 0);
    EXPECT_EQ(before ^ bit, AllBytes(d));
    d.SetBit_i(i);
    EXPECT_EQ(static_cast<std::uint32_t>(bit), d.GetBit_i(i));
    d.ResetBit_i(i);
    EXPECT_EQ(0u, d.GetBit_i(i));
    EXPECT_EQ(before & ~bit, AllBytes(d));
  }
}

TEST(QvUserData, NamedBitsAndVisited) {
  QvUserData d;
  d.SetInt(0);
  d.SetVisited();
  EXPECT_EQ(1u, d.GetBit_0());
  EXPECT_EQ(1u, d.GetVisited());
  d.SetBit_0(false);
  EXPECT_EQ(0u, d.GetVisited());
  d.SetVisited(true);
  d.ResetVisited();
  EXPECT_EQ(0, d.GetInt());
  d.SetBit_3(true);
  EXPECT_EQ(8u, d.GetBit_3());
  d.SetBit_1();
  d.SetBit_2();
  EXPECT_EQ(0xEu, d.GetBit_1() | d.GetBit_2() | d.GetBit_3());
  d.ResetBit_1();
  d.ResetBit_2();
  d.ResetBit_3();
  d.SetBit_1(true);
  d.SetBit_2(true);
  d.SetBit_3(false);
  d.SetBit_0();
  EXPECT_EQ(7, d.GetInt());
  d.ResetBit_0();
  d.SetBit_2(false);
  EXPECT_EQ(2, d.GetInt());
}

TEST(QvUserData, OutOfRangeIndexesChangeNothing) {
  QvUserData d;
  d.Set(-1.0);
  const std::uint64_t before = AllBytes(d);
  for (int i : {-1, 8, 32, 1000, -2147483647 - 1}) {
    SCOPED_TRACE(i);
    d.SetByte(i, 0xAB);
    d.ResetByte(i);
    EXPECT_EQ(0, d.GetByte(i));
    EXPECT_EQ(before, AllBytes(d));
    if (i == 8) continue;  // bit 8 is a valid bit
    d.SetBit_i(i);
    d.ResetBit_i(i);
    d.SetBit_i(i, true);
    EXPECT_EQ(0u, d.GetBit_i(i));
    EXPECT_EQ(before, AllBytes(d));
  }
}

TEST(QvUserDataUse, ClaimsLowestFreeBitsAndBytes) {
  QvUserDataUse u;
  EXPECT_EQ(0u, u.GetFullUse());
  EXPECT_EQ(0, u.GetFirstBit());
  EXPECT_EQ(1, u.GetFirstBit());
  EXPECT_EQ(1, u.GetFirstByte());  // byte 0 is partly claimed
  EXPECT_EQ(0x0000FF03u, u.GetFullUse());
  EXPECT_EQ(2, u.GetFirstBit());
  EXPECT_EQ(2, u.GetFirstByte());
  EXPECT_EQ(3, u.GetFirstByte());
  EXPECT_EQ(-1, u.GetFirstByte());
  u.ResetByteUse(2);
  EXPECT_EQ(2, u.GetFirstByte());
  u.ResetBitUse(1);
  EXPECT_EQ(1, u.GetFirstBit());
  EXPECT_EQ(3, u.GetFirstBit());
}

TEST(QvUserDataUse, FullWordRefusesEveryClaim) {
  QvUserDataUse u;
  u.SetFullUse();
  EXPECT_EQ(-1, u.GetFirstByte());
  EXPECT_EQ(-1, u.GetFirstBit());
  EXPECT_EQ(0xFFFFFFFFu, u.GetFullUse());
  u.ResetFullUse();
  EXPECT_EQ(0, u.GetFirstByte());
  u.ResetFullUse();
  EXPECT_EQ(0, u.GetFirstBit());

  QvUserDataUse bits;  // all 32 bits claimed one by one
  for (int i = 0; i < 32; ++i) ASSERT_EQ(i, bits.GetFirstBit());
  EXPECT_EQ(-1, bits.GetFirstBit());
  EXPECT_EQ(0xFFFFFFFFu, bits.GetFullUse());
}

TEST(QvUserDataUse, ByteAndBitBookkeeping) {
  QvUserDataUse u;
  u.SetByteUse(2);
  EXPECT_EQ(0x00FF0000u, u.GetByteUse(2));
  EXPECT_EQ(0x00010000u, u.GetBitUse(16));
  u.ResetByteUse(2);
  EXPECT_EQ(0u, u.GetByteUse(2));
  u.SetBitUse(31);
  EXPECT_EQ(0x80000000u, u.GetByteUse(3));
  u.SetVisitedUse();
  EXPECT_EQ(1u, u.GetVisitedUse());
  EXPECT_EQ(1u, u.GetByteUse(0));
  QvUserDataUse copy;
  copy = u;
  u.ResetVisitedUse();
  u.ResetBitUse(31);
  EXPECT_EQ(0u, u.GetFullUse());
  EXPECT_EQ(0x80000001u, copy.GetFullUse());
  for (int i : {-1, 4, 32, 99}) {
    copy.SetBitUse(i);
    copy.ResetBitUse(i);
    copy.SetByteUse(i);
    copy.ResetByteUse(i);
    EXPECT_EQ(0u, copy.GetBitUse(i) | copy.GetByteUse(i));
  }
  EXPECT_EQ(0x80000001u, copy.GetFullUse());
}

// A claimed slot addresses the same bits through the user data.
TEST(QvUserDataUse, SlotsAgreeWithUserData) {
  QvUserDataUse u;
  QvUserData d;
  d.SetInt(0);
  const int bit = u.GetFirstBit();
  const int byte = u.GetFirstByte();
  d.SetBit_i(bit);
  d.SetByte(byte, 0xFF);
  EXPECT_EQ(u.GetFullUse(), static_cast<std::uint32_t>(d.GetInt()));
}
