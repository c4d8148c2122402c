// Typed reads and writes: every value is stored little-endian; reads
// reverse 4- and 8-byte values when the byte-order flag is set.
#include <QvBase/QvNeutralFile.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "frame/Platform.h"
#include "neutral/Encoding.h"
#include "neutral/OwnedStream.h"
#include "neutral/Reasons.h"

namespace {

constexpr int kNameWidth = 8;
constexpr int kLongNameWidth = 80;

}  // namespace

// ---- single values --------------------------------------------------------

bool QvNeutralFile::ReadUInt(unsigned int& value) {
  unsigned char bytes[4];
  if (!ReadData(bytes, sizeof bytes)) return false;
  value = m_L2R ? qv::DecodeFixed32Reversed(bytes) : qv::DecodeFixed32(bytes);
  return true;
}

bool QvNeutralFile::ReadAddress(std::int32_t& value) {
  unsigned int bits = 0;
  if (!ReadUInt(bits)) return false;
  value = static_cast<std::int32_t>(bits);
  return true;
}

bool QvNeutralFile::WriteUInt(const unsigned int& value) {
  unsigned char bytes[4];
  qv::EncodeFixed32(bytes, value);
  return WriteData(bytes, sizeof bytes);
}

bool QvNeutralFile::WriteInt(const int& value) {
  return WriteUInt(static_cast<unsigned int>(value));
}

bool QvNeutralFile::WriteLong(const std::int32_t& value) {
  return WriteUInt(static_cast<unsigned int>(value));
}

bool QvNeutralFile::WriteFloat(const float& value) {
  return WriteUInt(qv::FloatBits(value));
}

bool QvNeutralFile::WriteDouble(const double& value) {
  unsigned char bytes[8];
  qv::EncodeFixed64(bytes, qv::DoubleBits(value));
  return WriteData(bytes, sizeof bytes);
}

// ---- arrays -----------------------------------------------------------------

bool QvNeutralFile::ReadInt(int* values, int n) {
  return ReadWords<4>(values, n);
}

bool QvNeutralFile::ReadLong(std::int32_t* values, int n) {
  return ReadWords<4>(values, n);
}

bool QvNeutralFile::ReadUInt(unsigned int* values, int n) {
  return ReadWords<4>(values, n);
}

bool QvNeutralFile::ReadFloat(float* values, int n) {
  return ReadWords<4>(values, n);
}

bool QvNeutralFile::ReadDouble(double* values, int n) {
  return ReadWords<8>(values, n);
}

bool QvNeutralFile::WriteInt(const int* values, int n) {
  return WriteWords<4>(values, n);
}

bool QvNeutralFile::WriteLong(const std::int32_t* values, int n) {
  return WriteWords<4>(values, n);
}

bool QvNeutralFile::WriteUInt(const unsigned int* values, int n) {
  return WriteWords<4>(values, n);
}

bool QvNeutralFile::WriteFloat(const float* values, int n) {
  return WriteWords<4>(values, n);
}

bool QvNeutralFile::WriteDouble(const double* values, int n) {
  return WriteWords<8>(values, n);
}

// ---- bytes ------------------------------------------------------------------

bool QvNeutralFile::ReadWyBOOL(unsigned char* value) {
  unsigned char byte = 0;
  if (value == nullptr) return qv::Fail(QvError::BadArgument);
  if (!ReadData(&byte, 1)) return false;
  *value = byte;
  return true;
}

bool QvNeutralFile::ReadUChar(unsigned char* value) {
  return ReadWyBOOL(value);
}

bool QvNeutralFile::ReadBool(bool* value) {
  unsigned char byte = 0;
  if (value == nullptr) return qv::Fail(QvError::BadArgument);
  if (!ReadWyBOOL(&byte)) return false;
  *value = byte != 0;
  return true;
}

bool QvNeutralFile::WriteWyBOOL(const unsigned char& value) {
  return WriteData(&value, 1);
}

bool QvNeutralFile::WriteUChar(const unsigned char& value) {
  return WriteWyBOOL(value);
}

bool QvNeutralFile::WriteBool(const bool& value) {
  const unsigned char byte = value ? 1 : 0;
  return WriteData(&byte, 1);
}

// ---- texts ------------------------------------------------------------------

bool QvNeutralFile::ReadString(char* text, int width) {
  if (text == nullptr || width < 0) return qv::Fail(QvError::BadArgument);
  if (!ReadData(text, static_cast<unsigned int>(width))) return false;
  text[width] = '\0';
  return true;
}

bool QvNeutralFile::WriteString(const char* text, int width) {
  if (width < 0) {
    NoteWriteFailure();
    return qv::Fail(QvError::BadArgument);
  }
  if (text == nullptr) text = "";
  const std::size_t w = static_cast<std::size_t>(width);
  if (m_pFile != nullptr && m_Replace != nullptr &&
      Replacement::Of(m_Replace)->pending.TryHoldText(text, w))
    return true;
  // Only the first width characters matter: never look further.
  const void* end = std::memchr(text, '\0', w);
  const std::size_t length =
      end == nullptr
          ? w
          : static_cast<std::size_t>(static_cast<const char*>(end) - text);
  // A field that would pass the size limit is not begun.
  if (m_pFile != nullptr && w > StreamRoom(w))
    return qv::Fail(QvError::TooLarge);
  if (length == w) return WriteData(text, static_cast<unsigned int>(w));
  if (length > 0 && !WriteData(text, static_cast<unsigned int>(length)))
    return false;
  // The padding goes out in small pieces; each byte that can be written
  // is, so a failure leaves exactly the bytes before it, as byte-by-byte
  // writing would.
  static const unsigned char kZeros[64] = {};
  std::size_t pad = w - length;
  while (pad > 0) {
    const std::size_t piece = std::min(pad, sizeof kZeros);
    const std::size_t done = WriteSome(kZeros, piece);
    if (done != piece) return qv::FailedWrite(m_pFile, m_Buf);
    pad -= piece;
  }
  return true;
}

bool QvNeutralFile::WriteName(const char* text) {
  return WriteString(text, kNameWidth);
}

bool QvNeutralFile::WriteLongName(const char* text) {
  return WriteString(text, kLongNameWidth);
}
