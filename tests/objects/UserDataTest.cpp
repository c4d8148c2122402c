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

}  // namespace

// Bytes are numbered by value, so these patterns hold on big-endian hosts.
TEST(QvUserData, ViewsShareLittleEndianBytes) {
  QvUserData d;
  EXPECT_EQ(-99999, d.iValue());
  EXPECT_EQ(0xFFFE7961u, AllBytes(d));  // bytes 4..7 start at 0
  d.Set(1.0f, 2.0f);
  EXPECT_TRUE(d.fValue0() == 1.0f && d.GetFloat() == 1.0f);
  EXPECT_TRUE(d.fValue1() == 2.0f && d.fValues()[1] == 2.0f);
  d.SetInt(0x04030201);  // the upper float is kept
  EXPECT_EQ(0x4000000004030201u, AllBytes(d));
  d.SetByte(1, 0xFF);
  EXPECT_EQ(0x0403FF01, d.GetInt());
  d.SetFloat(-3.5f);
  EXPECT_EQ(-3.5f, d.fValues()[0]);
  d.ResetData();
  EXPECT_EQ(0x4000000000000000u, AllBytes(d));
  d.Set(-2);  // the int form, as SetInt
  EXPECT_EQ(0x40000000FFFFFFFEu, AllBytes(d));

  const double v = 1 + 0x1p-23;  // a bit in each half
  d.Set(v);
  EXPECT_TRUE(d.dValue() == v && d.fValue() == v);
  EXPECT_EQ(0x3FF0000020000000u, AllBytes(d));
  int target = 0;
  d.SetPointer(&target);
  EXPECT_EQ(&target, d.pValue());
  const auto number = reinterpret_cast<void*>(std::uintptr_t{0x12345678});
  d.Set(number);
  EXPECT_EQ(0x12345678, d.GetInt());
  EXPECT_EQ(number, d.GetPointer());

  // Copies keep every bit, even signalling-NaN patterns.
  for (int i = 0; i < 8; ++i)
    d.SetByte(i, static_cast<unsigned char>(0x7FA00001FFB00002u >> 8 * i));
  QvUserData b(d), c;
  c = d;
  EXPECT_EQ(0x7FA00001FFB00002u, AllBytes(b));
  EXPECT_EQ(0x7FA00001FFB00002u, AllBytes(c));
}

TEST(QvUserData, EachBitOperationTouchesOneBitOrNone) {
  for (int i = 0; i < 32; ++i) {
    SCOPED_TRACE(i);
    QvUserData d;
    d.Set(1.5f, 1.5f);
    const std::uint64_t before = AllBytes(d), bit = std::uint64_t{1} << i;
    d.SetBit_i(i, (before & bit) == 0);
    EXPECT_EQ(before ^ bit, AllBytes(d));
    d.SetBit_i(i);
    EXPECT_EQ(bit, d.GetBit_i(i));
    d.ResetBit_i(i);
    EXPECT_EQ(before & ~bit, AllBytes(d));
  }
  // The named forms of bits 0..3; the visited mark is bit 0 again.
  struct Named {
    std::uint32_t bit;
    std::uint32_t (QvUserData::*get)() const;
    void (QvUserData::*set)();
    void (QvUserData::*reset)();
    void (QvUserData::*setTo)(bool);
  };
  using D = QvUserData;
  const Named named[] = {
      {1, &D::GetBit_0, &D::SetBit_0, &D::ResetBit_0, &D::SetBit_0},
      {2, &D::GetBit_1, &D::SetBit_1, &D::ResetBit_1, &D::SetBit_1},
      {4, &D::GetBit_2, &D::SetBit_2, &D::ResetBit_2, &D::SetBit_2},
      {8, &D::GetBit_3, &D::SetBit_3, &D::ResetBit_3, &D::SetBit_3},
      {1, &D::GetVisited, &D::SetVisited, &D::ResetVisited, &D::SetVisited},
  };
  for (const Named& n : named) {
    for (std::uint32_t start : {0x50u, 0x5Fu}) {
      SCOPED_TRACE(testing::Message() << n.bit << " from " << start);
      QvUserData d;
      d.SetInt(static_cast<int>(start));
      for (int step = 0; step < 4; ++step) {  // set, reset, true, false
        const bool on = step % 2 == 0;
        step >= 2 ? (d.*n.setTo)(on) : (d.*(on ? n.set : n.reset))();
        EXPECT_EQ(on ? start | n.bit : start & ~n.bit,
                  static_cast<std::uint32_t>(d.GetInt()));
        EXPECT_EQ(on ? n.bit : 0u, (d.*n.get)()) << step;
      }
    }
  }
  // Indexes out of range change nothing.
  QvUserData d;
  d.Set(-1.0);
  const std::uint64_t before = AllBytes(d);
  for (int i : {-1, 8, 32, 1000, -2147483647 - 1}) {
    SCOPED_TRACE(i);
    d.SetByte(i, 0xAB);
    EXPECT_EQ(0, d.GetByte(i));
    d.ResetByte(i);
    if (i != 8) {  // bit 8 is a valid bit
      d.SetBit_i(i, true);
      EXPECT_EQ(0u, d.GetBit_i(i));
      d.ResetBit_i(i);
    }
    EXPECT_EQ(before, AllBytes(d));
  }
}

TEST(QvUserDataUse, ClaimsLowestFreeBitsAndBytesAndKeepsTheBooks) {
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

  QvUserDataUse bits;
  for (int i = 0; i < 32; ++i) ASSERT_EQ(i, bits.GetFirstBit());
  EXPECT_EQ(-1, bits.GetFirstBit());
  EXPECT_EQ(-1, bits.GetFirstByte());
  bits.ResetFullUse();
  EXPECT_EQ(0, bits.GetFirstByte());
  bits.SetFullUse();
  EXPECT_EQ(0xFFFFFFFFu, bits.GetFullUse());

  u.ResetFullUse();
  u.SetByteUse(2);
  EXPECT_EQ(0x00FF0000u, u.GetByteUse(2));
  EXPECT_EQ(0x00010000u, u.GetBitUse(16));
  u.ResetByteUse(2);
  u.SetBitUse(31);
  u.SetVisitedUse();
  EXPECT_EQ(0x80000000u, u.GetByteUse(3));
  EXPECT_EQ(1u, u.GetVisitedUse() & u.GetByteUse(0));
  QvUserDataUse copy;
  copy = u;
  u.ResetVisitedUse();
  u.ResetBitUse(31);
  EXPECT_EQ(0u, u.GetFullUse());
  for (int i : {-1, 4, 32, 99}) {
    copy.SetBitUse(i);  // bit 4 is valid: set and cleared again
    copy.ResetBitUse(i);
    copy.SetByteUse(i);
    copy.ResetByteUse(i);
    EXPECT_EQ(0u, copy.GetBitUse(i) | copy.GetByteUse(i));
  }
  EXPECT_EQ(0x80000001u, copy.GetFullUse());

  // Claimed slots address the same bits through a user data.
  QvUserData d;
  d.SetInt(0);
  d.SetBit_i(u.GetFirstBit());
  d.SetByte(u.GetFirstByte(), 0xFF);
  EXPECT_EQ(u.GetFullUse(), static_cast<std::uint32_t>(d.GetInt()));
}
