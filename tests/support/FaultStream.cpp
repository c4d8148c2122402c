#include "support/FaultStream.h"

#include <algorithm>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>

#include <filesystem>
#include <string>

#include "support/TempDir.h"
#endif

namespace qvtest {

#if defined(_WIN32)

bool FaultStream::Supported() {
  return false;
}

FaultStream::FaultStream(std::vector<unsigned char> initial, FaultPlan plan)
    : m_Data(std::move(initial)), m_Plan(plan) {
  static int counter = 0;
  m_Path = (std::filesystem::temp_directory_path() /
            ("qvfault-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(counter++)))
               .string();
}

FaultStream::~FaultStream() {
  std::error_code ec;
  std::filesystem::remove(m_Path, ec);
}

std::FILE* FaultStream::Open(const char* mode) {
  if (m_Plan.failWritesAfter >= 0 || m_Plan.failReadsAfter >= 0 ||
      m_Plan.failSeeksAfter >= 0)
    return nullptr;
  std::FILE* f = std::fopen(m_Path.c_str(), "wb");
  if (f == nullptr) return nullptr;
  std::fwrite(m_Data.data(), 1, m_Data.size(), f);
  std::fclose(f);
  // The store keeps its bytes in "w" modes too.
  const std::string m(mode);
  const bool plus = m.find('+') != std::string::npos;
  const char* keep = m[0] == 'r'   ? (plus ? "r+b" : "rb")
                     : m[0] == 'a' ? (plus ? "a+b" : "ab")
                                   : "r+b";
  f = std::fopen(m_Path.c_str(), keep);
  if (f != nullptr && m_Plan.unbuffered) std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

const std::vector<unsigned char>& FaultStream::Bytes() const {
  m_Data = ReadAll(m_Path);
  return m_Data;
}

#else

bool FaultStream::Supported() {
  return true;
}

FaultStream::FaultStream(std::vector<unsigned char> initial, FaultPlan plan)
    : m_Data(std::move(initial)), m_Plan(plan) {}

FaultStream::~FaultStream() = default;

const std::vector<unsigned char>& FaultStream::Bytes() const {
  return m_Data;
}

std::FILE* FaultStream::Open(const char* mode) {
  m_Pos = 0;
  std::FILE* f = fopencookie(
      this, mode, {&CookieRead, &CookieWrite, &CookieSeek, &CookieClose});
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
  return static_cast<ssize_t>(n);
}

int FaultStream::CookieSeek(void* self, off64_t* offset, int whence) {
  auto* s = static_cast<FaultStream*>(self);
  if (s->m_Plan.failSeeksAfter >= 0 &&
      s->m_Read + s->m_Written >= s->m_Plan.failSeeksAfter)
    return -1;
  // stdio has already refused any other whence.
  const std::int64_t target =
      *offset + (whence == SEEK_SET   ? 0
                 : whence == SEEK_CUR ? s->m_Pos
                                      : std::int64_t(s->m_Data.size()));
  if (target < 0) return -1;
  s->m_Pos = target;
  *offset = target;
  return 0;
}

int FaultStream::CookieClose(void* self) {
  ++static_cast<FaultStream*>(self)->m_Closes;
  return 0;
}

#endif

}  // namespace qvtest
