#include "FuzzUtil.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace qvfuzz {

void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
  std::abort();
}

std::uint8_t Bytes::Byte() {
  if (n_ == 0) return 0;
  --n_;
  return *p_++;
}

std::string Bytes::Text(std::size_t maxLen) {
  const std::size_t len = std::min<std::size_t>({Byte(), maxLen, n_});
  std::string s(reinterpret_cast<const char*>(p_), len);
  p_ += len;
  n_ -= len;
  return s;
}

std::string Bytes::Rest() {
  std::string s(reinterpret_cast<const char*>(p_), n_);
  p_ += n_;
  n_ = 0;
  return s;
}

namespace {

constexpr int kSlots = 4;
std::string g_paths[kSlots];

void RemoveScratch() {
  for (const std::string& p : g_paths)
    if (!p.empty()) std::remove(p.c_str());
}

}  // namespace

const std::string& ScratchPath(int slot) {
  std::string& path = g_paths[slot];
  if (path.empty()) {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern =
        std::string(dir && *dir ? dir : "/tmp") + "/qvfuzz-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) Fail("mkstemp", __FILE__, __LINE__);
    close(fd);
    static const bool registered = std::atexit(RemoveScratch) == 0;
    (void)registered;
    path = pattern;
  }
  return path;
}

const std::string& WriteScratch(int slot, const std::string& content) {
  const std::string& path = ScratchPath(slot);
  // A new file each time: truncating one that holds data can make the
  // file system force it to storage, which would cost more than the run.
  std::remove(path.c_str());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) Fail("open scratch file", __FILE__, __LINE__);
  if (!content.empty() &&
      std::fwrite(content.data(), 1, content.size(), f) != content.size())
    Fail("write scratch file", __FILE__, __LINE__);
  std::fclose(f);
  return path;
}

}  // namespace qvfuzz
