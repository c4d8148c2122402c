// ChainWalk.h - the steps of a walk along a neutral file's chain of id
// blocks, as ScanIdBlock takes them.
#ifndef QVBASE_SRC_NEUTRAL_CHAINWALK_H
#define QVBASE_SRC_NEUTRAL_CHAINWALK_H

#include <QvBase/QvNeutralFile.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "frame/Platform.h"
#include "neutral/Encoding.h"

namespace qv {

/// Each Step is exactly what file.ReadIdBlock(block) does: the same block
/// record, the same result, the stream left at the block's data. Where
/// the C library lets the stream's buffer be seen, a block whose 16 bytes
/// lie ahead within the bytes already read is taken from there: no seek,
/// no system call, nothing read twice. Anything else goes through
/// ReadIdBlock. Nothing else may use the stream between steps; the walk
/// tells the stream how far it has read when it goes away.
class ChainWalk {
 public:
  /// Starts where file's stream stands; reversed is the byte-order flag.
  ChainWalk(QvNeutralFile& file, std::FILE* stream, bool reversed);
  ~ChainWalk() { Settle(); }
  ChainWalk(const ChainWalk&) = delete;
  ChainWalk& operator=(const ChainWalk&) = delete;
  bool Step(QvNeutralFile::IdBlock& block);

 private:
  bool FromBuffer(QvNeutralFile::IdBlock& block);
  void Locate();
  // Moves the stream on past what the walk took from its buffer.
  void Settle() {
    if (m_Cursor == nullptr) return;
    platform::ConsumeBuffered(m_Stream,
                              static_cast<std::size_t>(m_Cursor - m_Taken));
    m_Cursor = nullptr;
  }

  static constexpr std::int64_t kIdBlockBytes = 16;  // name, end, version

  QvNeutralFile& m_File;
  std::FILE* m_Stream;
  bool m_Reversed;
  std::int64_t m_Here = -1;  // where the stream stands; -1: not known
  // While blocks are taken from the stream's buffer: where the stream
  // stood in it when the walk began taking (m_Taken), where the walk has
  // got to (m_Cursor, null when the stream has been told) and the end of
  // what is buffered. The stream learns only once, in Settle.
  const char* m_Taken = nullptr;
  const char* m_Cursor = nullptr;
  const char* m_End = nullptr;
};

// Per-block work: inline, as a walk through a million small blocks is
// little else.
inline bool ChainWalk::Step(QvNeutralFile::IdBlock& block) {
  if (m_Here >= 0 && FromBuffer(block)) return true;
  Settle();
  const bool read = m_File.ReadIdBlock(block);
  Locate();
  return read;
}

inline bool ChainWalk::FromBuffer(QvNeutralFile::IdBlock& block) {
  const std::int64_t at = block.m_EndAddress >= 0 ? block.m_EndAddress : m_Here;
  if (m_Cursor == nullptr) {
    if (!platform::PeekBuffered(m_Stream, &m_Taken, &m_End)) return false;
    m_Cursor = m_Taken;
  }
  if (at < m_Here || m_End - m_Cursor < at - m_Here + kIdBlockBytes)
    return false;
  const auto skip = static_cast<std::size_t>(at - m_Here);
  const auto* bytes = reinterpret_cast<const unsigned char*>(m_Cursor + skip);
  std::memcpy(block.m_Name, bytes, 8);
  block.m_Name[8] = '\0';
  // As ReadIdBlock: a block read where the stream stands is at that
  // offset, -1 when it does not fit in 31 bits.
  block.m_Address = at <= INT32_MAX ? static_cast<std::int32_t>(at) : -1;
  block.m_EndAddress = static_cast<std::int32_t>(
      m_Reversed ? DecodeFixed32Reversed(bytes + 8) : DecodeFixed32(bytes + 8));
  block.m_Version = m_Reversed ? DecodeFixed32Reversed(bytes + 12)
                               : DecodeFixed32(bytes + 12);
  m_Cursor += skip + kIdBlockBytes;
  m_Here = at + kIdBlockBytes;
  return true;
}

}  // namespace qv

#endif  // QVBASE_SRC_NEUTRAL_CHAINWALK_H
