/// \file
/// Which bytes and bits of a QvUserData are claimed.
///
/// One 32-bit use word with the numbering of the user data's word: a set bit
/// means that bit is claimed, and a byte counts as claimed as soon as any of
/// its bits is. GetFirstByte and GetFirstBit claim the lowest free slot, so
/// independent algorithms can share one user data without disturbing each
/// other:
///
/// \code
/// int mark = use.GetFirstBit();     // -1 when all 32 bits are taken
/// data.SetBit_i(mark);  ...  use.ResetBitUse(mark);
/// \endcode
///
/// A new object has everything free. Byte indexes outside 0..3 and bit
/// indexes outside 0..31 change nothing and read as 0.
#ifndef QVBASE_QVUSERDATAUSE_H
#define QVBASE_QVUSERDATAUSE_H

#include <QvBase/QvExport.h>

#include <cstdint>

/// Which bytes and bits of a QvUserData are claimed, in one 32-bit use
/// word.
class QV_BASE_API QvUserDataUse {
 public:
  /// Everything free.
  QvUserDataUse() = default;
  /// Copies the use word.
  QvUserDataUse(const QvUserDataUse& other) = default;
  /// Copies the use word.
  QvUserDataUse& operator=(const QvUserDataUse& other);

  /// The use word.
  std::uint32_t GetFullUse() const;
  /// Claims everything (0xFFFFFFFF).
  void SetFullUse();
  /// Frees everything (0).
  void ResetFullUse();

  /// The use bits of byte i in place: nonzero when any of them is claimed.
  std::uint32_t GetByteUse(int i) const;
  /// Claims all of byte i (its use bits 0xFF).
  void SetByteUse(int i);
  /// Frees all of byte i (its use bits 0).
  void ResetByteUse(int i);

  /// Use bit i in place (1 << i), or 0.
  std::uint32_t GetBitUse(int i) const;
  /// Claims bit i.
  void SetBitUse(int i);
  /// Frees bit i.
  void ResetBitUse(int i);

  /// GetBitUse(0): bit 0 is the visited bit.
  std::uint32_t GetVisitedUse() const;
  /// SetBitUse(0).
  void SetVisitedUse();
  /// ResetBitUse(0).
  void ResetVisitedUse();

  /// Claims the lowest byte none of whose bits is claimed and returns its
  /// index; -1 (nothing changed) when every byte has a claimed bit.
  int GetFirstByte();
  /// Claims the lowest free bit and returns its index; -1 (nothing
  /// changed) when all 32 are claimed.
  int GetFirstBit();

 private:
  std::uint32_t m_Use = 0;
};

#endif  // QVBASE_QVUSERDATAUSE_H
