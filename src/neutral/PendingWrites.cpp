// Holding a block's bytes in memory until the block is complete.
#include "neutral/PendingWrites.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "frame/Platform.h"
#include "neutral/Encoding.h"

namespace qv {

bool PendingWrites::Init() {
  m_Bytes.reset(new (std::nothrow) char[kCapacity]);
  return m_Bytes != nullptr;
}

void PendingWrites::Begin(std::int64_t at) {
  if (m_Bytes == nullptr) return;
  m_Base = at;
  m_Outer = at;
  m_Size = 0;
  m_Active = true;
}

std::size_t PendingWrites::Write(std::FILE* stream, const void* buf,
                                 std::size_t size) {
  if (size <= kCapacity - m_Size) {
    std::memcpy(m_Bytes.get() + m_Size, buf, size);
    m_Size += size;
    return size;
  }
  if (!Drain(stream)) return 0;
  if (size < kCapacity) return Write(stream, buf, size);
  // A large piece goes straight on, as one call.
  const std::size_t n = WriteToStream(stream, buf, size);
  m_Base += static_cast<std::int64_t>(n);
  if (n != size) m_Active = false;
  return n;
}

bool PendingWrites::Patch(std::int64_t at, std::uint32_t value) {
  if (!m_Active || at < m_Base || at + 4 > Position()) return false;
  EncodeFixed32(reinterpret_cast<unsigned char*>(m_Bytes.get()) + (at - m_Base),
                value);
  return true;
}

bool PendingWrites::Drain(std::FILE* stream) {
  const std::size_t n = WriteToStream(stream, m_Bytes.get(), m_Size);
  const bool whole = n == m_Size;
  m_Base += static_cast<std::int64_t>(n);
  m_Size = 0;
  if (!whole) m_Active = false;  // where the stream stands is unsure now
  return whole;
}

bool PendingWrites::HandOver(std::FILE* stream) {
  if (!m_Active) return true;
  const bool whole = Drain(stream);
  m_Active = false;
  return whole;
}

}  // namespace qv
