#include "support/FaultStream.h"

#include <algorithm>
#include <cstring>

namespace qvtest {

FaultStream::FaultStream(std::vector<unsigned char> initial, FaultPlan plan)
    : m_Data(std::move(initial)), m_Plan(plan) {}

FaultStream::~FaultStream() = default;

std::FILE* FaultStream::Open(const char* mode) {
  cookie_io_functions_t io{};
  io.read = &FaultStream::CookieRead;
  io.write = &FaultStream::CookieWrite;
  io.seek = &FaultStream::CookieSeek;
  io.close = &FaultStream::CookieClose;
  m_Pos = 0;
  std::FILE* f = fopencookie(this, mode, io);
  if (f != nullptr && m_Plan.unbuffered) std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

ssize_t FaultStream::CookieRead(void* self, char* buf, size_t size) {
  auto* s = static_cast<FaultStream*>(self);
  std::int64_t allowed = static_cast<std::int64_t>(size);
  if (s->m_Plan.failReadsAfter >= 0) {
    allowed = std::min(allowed, s->m_Plan.failReadsAfter - s->m_Read);
    if (allowed <= 0) return -1;
  }
  const std::int64_t avail = std::max<std::int64_t>(
      0, static_cast<std::int64_t>(s->m_Data.size()) - s->m_Pos);
  const std::int64_t n = std::min(allowed, avail);
  if (n > 0) std::memcpy(buf, s->m_Data.data() + s->m_Pos, n);
  s->m_Pos += n;
  s->m_Read += n;
  return static_cast<ssize_t>(n);
}

ssize_t FaultStream::CookieWrite(void* self, const char* buf, size_t size) {
  auto* s = static_cast<FaultStream*>(self);
  std::int64_t n = static_cast<std::int64_t>(size);
  if (s->m_Plan.failWritesAfter >= 0)
    n = std::min(n, s->m_Plan.failWritesAfter - s->m_Written);
  if (n <= 0) return -1;
  if (s->m_Pos + n > static_cast<std::int64_t>(s->m_Data.size()))
    s->m_Data.resize(static_cast<std::size_t>(s->m_Pos + n));
  std::memcpy(s->m_Data.data() + s->m_Pos, buf, static_cast<std::size_t>(n));
  s->m_Pos += n;
  s->m_Written += n;
  // A short count makes stdio report the write as failed.
  return static_cast<ssize_t>(n);
}

int FaultStream::CookieSeek(void* self, off64_t* offset, int whence) {
  auto* s = static_cast<FaultStream*>(self);
  if (s->m_Plan.failSeeksAfter >= 0 &&
      s->m_Read + s->m_Written >= s->m_Plan.failSeeksAfter)
    return -1;
  std::int64_t target;
  switch (whence) {
    case SEEK_SET:
      target = *offset - s->m_Plan.positionBase;
      break;
    case SEEK_CUR:
      target = s->m_Pos + *offset;
      break;
    case SEEK_END:
      target = static_cast<std::int64_t>(s->m_Data.size()) + *offset;
      break;
    default:
      return -1;
  }
  if (target < 0) return -1;
  s->m_Pos = target;
  *offset = target + s->m_Plan.positionBase;
  return 0;
}

int FaultStream::CookieClose(void* self) {
  ++static_cast<FaultStream*>(self)->m_Closes;
  return 0;
}

}  // namespace qvtest
