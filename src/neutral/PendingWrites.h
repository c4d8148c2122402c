// PendingWrites.h - the bytes of a block being written to a stream that
// the neutral file owns, held in memory until the block is complete, so
// that its end address is patched in place instead of by seeking back on
// the stream (each seek empties the stdio buffer and costs system calls).
//
// While holding, the stream stands at Base() and nothing else moves it:
// the owner hands the bytes over before any other operation on the stream
// (positioning, reading, closing, copying) and whenever they would not fit.
#ifndef QVBASE_SRC_NEUTRAL_PENDINGWRITES_H
#define QVBASE_SRC_NEUTRAL_PENDINGWRITES_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "frame/Platform.h"

namespace qv {

/// fwrite of size bytes; how many the stream took. Some C libraries (glibc
/// among them) report the full count for a write that the system refused,
/// on unbuffered streams and when the request passes the buffer; the error
/// indicator then tells the truth, provided it was clear before.
inline std::size_t WriteToStream(std::FILE* stream, const void* buf,
                                 std::size_t size) {
  if (size == 0) return 0;
  const bool wasClean = !platform::StreamHasError(stream);
  const std::size_t n = platform::WriteStream(buf, size, stream);
  if (wasClean && platform::StreamHasError(stream))
    return n < size - 1 ? n : size - 1;
  return n;
}

class PendingWrites {
 public:
  /// Bytes held at most; a block that outgrows them is handed on in
  /// pieces of this size, and its end address is patched on the stream.
  static constexpr std::size_t kCapacity = 64 * 1024;

  /// Gets the memory; false when there is none (then nothing is held).
  bool Init();
  bool Active() const { return m_Active; }
  /// Begins holding for the block that starts at `at`, where the stream
  /// stands (nothing held yet).
  void Begin(std::int64_t at);
  /// The offset at which the next byte lands.
  std::int64_t Position() const {
    return m_Base + static_cast<std::int64_t>(m_Size);
  }
  /// Holds size bytes when holding, they fit, and they end within offset
  /// 2^31 - 1; false, taking nothing, otherwise. The per-value fast path.
  bool TryHold(const void* buf, std::size_t size) {
    if (!m_Active || size > kCapacity - m_Size ||
        Position() + static_cast<std::int64_t>(size) > INT32_MAX)
      return false;
    char* to = m_Bytes.get() + m_Size;
    // Single values are 1, 4 or 8 bytes: copies of a known size are moves.
    if (size == 4)
      std::memcpy(to, buf, 4);
    else if (size == 8)
      std::memcpy(to, buf, 8);
    else
      std::memcpy(to, buf, size);
    m_Size += size;
    return true;
  }
  /// Holds a text field of width bytes as WriteString writes it (the
  /// text's characters up to its end, zeros after them) under the same
  /// conditions as TryHold.
  bool TryHoldText(const char* text, std::size_t width) {
    if (!m_Active || width > kCapacity - m_Size ||
        Position() + static_cast<std::int64_t>(width) > INT32_MAX)
      return false;
    char* to = m_Bytes.get() + m_Size;
    std::size_t i = 0;
    for (; i < width && text[i] != '\0'; ++i) to[i] = text[i];
    std::memset(to + i, 0, width - i);
    m_Size += width;
    return true;
  }
  /// Takes size bytes: held when they fit, else everything held and then
  /// these go to the stream. Returns how many were taken; fewer than size
  /// only when the stream refused some, which ends the holding.
  std::size_t Write(std::FILE* stream, const void* buf, std::size_t size);
  /// Stores value little-endian at file offset `at` when those 4 bytes are
  /// held; false (nothing changed) when they are not.
  bool Patch(std::int64_t at, std::uint32_t value);
  /// Whether the holding began with the block at `address`.
  bool BeganAt(std::int64_t address) const {
    return m_Active && address == m_Outer;
  }
  /// Hands the held bytes to the stream and ends the holding; false when
  /// the stream took fewer.
  bool HandOver(std::FILE* stream);

 private:
  // Hands the held bytes on and goes on holding after them.
  bool Drain(std::FILE* stream);

  std::unique_ptr<char[]> m_Bytes;
  std::size_t m_Size = 0;     // bytes held
  std::int64_t m_Base = 0;    // the file offset of the first held byte
  std::int64_t m_Outer = -1;  // the block whose id block began the holding
  bool m_Active = false;
};

}  // namespace qv

#endif  // QVBASE_SRC_NEUTRAL_PENDINGWRITES_H
