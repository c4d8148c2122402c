/// \file
/// An 8-byte scratch value that model objects carry for the algorithms that
/// run over them.
///
/// The same 8 bytes read as one double, as two floats, as a 32-bit word
/// (int, float or, on 32-bit systems, a pointer) followed by a second float,
/// as bytes 0..7 or as bits 0..31 of the word. Byte i of the word holds bits
/// 8*i..8*i+7 of its integer value (little-endian numbering), so
/// SetInt(0x04030201) gives GetByte(0) == 0x01. Bit 0 is the visited mark.
/// A QvUserDataUse records which bytes and bits are claimed by whom.
///
/// Where pointers are 64 bits wide the pointer view fills all 8 bytes (the
/// low half in the word, the high half in bytes 4..7); the double view does
/// the same with its bit pattern, so bytes 0..7 read the same on every host.
/// On a little-endian host byte i is also the i-th byte in memory; on a
/// big-endian one the two floats stay in place for fValues and the byte
/// numbering follows the values instead. Byte indexes outside 0..7 and bit
/// indexes outside 0..31 change nothing and read as 0.
#ifndef QVBASE_QVUSERDATA_H
#define QVBASE_QVUSERDATA_H

#include <QvBase/QvExport.h>

#include <cstdint>

/// An 8-byte scratch value with many views: one double, two floats, a
/// 32-bit word with a second float, bytes 0..7 and bits 0..31.
class QV_BASE_API QvUserData {
 public:
  /// Word = -99999, bytes 4..7 = 0.
  QvUserData();
  /// Copy and assignment copy all 8 bytes exactly, whatever they hold.
  QvUserData(const QvUserData& other);
  /// \copydoc QvUserData(const QvUserData&)
  QvUserData& operator=(const QvUserData& other);

  /// \name Value views
  /// \{

  /// The 8 bytes as a double (fValue is the same).
  double dValue() const;
  /// The 8 bytes as a double, as dValue.
  double fValue() const;
  /// The word as int (GetInt is the same).
  int iValue() const;
  /// The word as int, as iValue.
  int GetInt() const;
  /// The pointer view (GetPointer is the same).
  void* pValue() const;
  /// The pointer view, as pValue.
  void* GetPointer() const;
  /// The word as float (GetFloat is the same).
  float fValue0() const;
  /// The word as float, as fValue0.
  float GetFloat() const;
  /// Bytes 4..7 as float.
  float fValue1() const;
  /// The two floats in place: first the word, then bytes 4..7.
  const float* fValues() const;

  /// Write the word as int; bytes 4..7 keep their value.
  void SetInt(int v);
  /// The same as SetInt.
  void Set(int v);
  /// Write the word as float; bytes 4..7 keep their value.
  void SetFloat(float v);
  /// Write the pointer view (the word only, where pointers are 32 bits).
  void SetPointer(void* p);
  /// The same as SetPointer.
  void Set(void* p);
  /// Write all 8 bytes as a double.
  void Set(double v);
  /// Write all 8 bytes: f0 into the word, f1 into bytes 4..7.
  void Set(float f0, float f1);
  /// Word = 0; bytes 4..7 keep their value.
  void ResetData();
  /// \}

  /// \name Bytes and bits
  /// \{

  /// Byte i, i = 0..7; 0 outside.
  unsigned char GetByte(int i) const;
  /// Writes byte i; an index outside 0..7 changes nothing.
  void SetByte(int i, unsigned char v);
  /// Byte i = 0; an index outside 0..7 changes nothing.
  void ResetByte(int i);

  /// Bit i of the word in its place (1 << i) when set, 0 when clear.
  std::uint32_t GetBit_i(int i) const;
  /// Sets bit i of the word.
  void SetBit_i(int i);
  /// Clears bit i of the word.
  void ResetBit_i(int i);
  /// Sets bit i for true, clears it for false.
  void SetBit_i(int i, bool b);
  /// \}

  /// \name Bits 0 to 3 by name
  /// \{

  /// GetBit_i, SetBit_i and ResetBit_i of the bit that the name gives.
  std::uint32_t GetBit_0() const;
  std::uint32_t GetBit_1() const;
  std::uint32_t GetBit_2() const;
  std::uint32_t GetBit_3() const;
  void SetBit_0();
  void SetBit_1();
  void SetBit_2();
  void SetBit_3();
  void ResetBit_0();
  void ResetBit_1();
  void ResetBit_2();
  void ResetBit_3();
  void SetBit_0(bool b);
  void SetBit_1(bool b);
  void SetBit_2(bool b);
  void SetBit_3(bool b);
  /// \}

  /// \name The visited mark
  /// \{

  /// The visited mark: bit 0 under another name (GetBit_0, SetBit_0,
  /// ResetBit_0).
  std::uint32_t GetVisited() const;
  void SetVisited();
  void ResetVisited();
  void SetVisited(bool b);
  /// \}

 private:
  std::uint32_t Word(int half) const;
  void SetWord(int half, std::uint32_t v);

  // The storage is two real floats so that fValues can hand them out in
  // place; every other view copies bytes in and out with memcpy.
  alignas(8) float m_Values[2];
};

#endif  // QVBASE_QVUSERDATA_H
