// Replacing a file in one step, with the Windows runtime's calls on
// Windows and their POSIX equivalents elsewhere.
#include "frame/SafeReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <new>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace qv::platform {
namespace {

// Hops through symbolic links before a chain counts as a loop (the limit
// POSIX systems give the path lookup itself).
constexpr int kMaxLinkHops = 40;

// Names longer than this are cut in the temporary file's name, which must
// stay within the file system's name limit.
constexpr std::size_t kMaxBaseName = 180;

constexpr int kCreateAttempts = 100;

bool IsSeparator(char c) {
#if defined(_WIN32)
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

// The folder part of path, with its trailing separator ("" for a bare
// name), and the name after it.
std::size_t NameStart(const std::string& path) {
  std::size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1])) --i;
  return i;
}

// A well-mixed 64-bit value (splitmix64's finaliser).
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

std::uint64_t ProcessId() {
#if defined(_WIN32)
  return static_cast<std::uint64_t>(_getpid());
#else
  return static_cast<std::uint64_t>(getpid());
#endif
}

// Six characters that differ between processes, calls and attempts.
std::string RandomSuffix(const void* salt, int attempt) {
  static const char kChars[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  const auto now = static_cast<std::uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  std::uint64_t bits =
      Mix(now ^ (ProcessId() << 40) ^ reinterpret_cast<std::uintptr_t>(salt) ^
          (static_cast<std::uint64_t>(attempt) << 20));
  std::string out(6, 'A');
  for (char& c : out) {
    c = kChars[bits % (sizeof kChars - 1)];
    bits /= sizeof kChars - 1;
  }
  return out;
}

#if !defined(_WIN32)
// Makes the folder's entry for the renamed file durable. It runs after the
// rename, when nothing may fail any more: a folder name that memory is
// too short to build leaves the entry to the system's own write-back.
void SyncFolder(const std::string& target) noexcept {
  const std::size_t at = NameStart(target);
  std::string folder;
  try {
    folder = at == 0 ? "." : target.substr(0, at);
  } catch (const std::bad_alloc&) {
    return;
  }
  const int fd = open(folder.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}
#endif

}  // namespace

bool ReplaceTarget(const char* path, std::string* target) {
  if (path == nullptr || *path == '\0') return false;
  std::string at = path;
#if !defined(_WIN32)
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat st;
    if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *target = at;
      return true;
    }
    char link[4096];
    const ssize_t n = readlink(at.c_str(), link, sizeof link);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof link) return false;
    const std::string next(link, static_cast<std::size_t>(n));
    // A relative link is read from the folder the link is in.
    at = next[0] == '/' ? next : at.substr(0, NameStart(at)) + next;
  }
  return false;
#else
  *target = at;
  return true;
#endif
}

std::FILE* CreateTempBeside(const std::string& target, std::string* temp,
                            SuffixSource suffix) {
  const std::size_t at = NameStart(target);
  const std::string base = target.substr(at, kMaxBaseName);
  const std::string stem = target.substr(0, at) + "." + base + ".qvtmp.";
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    *temp = stem +
            (suffix != nullptr ? suffix(attempt) : RandomSuffix(temp, attempt));
#if defined(_WIN32)
    const int fd =
        _open(temp->c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
              _S_IREAD | _S_IWRITE);
#else
    // Mode 0666 as fopen creates files: the process's umask applies.
    const int fd =
        open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
#if defined(_WIN32)
    std::FILE* stream = _fdopen(fd, "wb");
    if (stream == nullptr) _close(fd);
#else
    std::FILE* stream = fdopen(fd, "wb");
    if (stream == nullptr) close(fd);
#endif
    if (stream == nullptr) std::remove(temp->c_str());
    return stream;
  }
  return nullptr;
}

bool CommitTemp(std::FILE* stream, const std::string& temp,
                const std::string& target) noexcept {
  bool ok = std::fflush(stream) == 0;
#if defined(_WIN32)
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  ok = ok && handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
  ok = std::fclose(stream) == 0 && ok;
  ok = ok &&
       MoveFileExA(temp.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  const int fd = fileno(stream);
  struct stat st;
  if (ok && stat(target.c_str(), &st) == 0) {
    // The owner first: changing it may clear the set-id bits, which the
    // mode then restores. Only a privileged process may give the file
    // another owner; otherwise the saving user owns it, as with any save.
    const bool owned = fchown(fd, st.st_uid, st.st_gid) == 0;
    static_cast<void>(owned);
    ok = fchmod(fd, st.st_mode & 07777) == 0;
  }
  ok = ok && fsync(fd) == 0;
  ok = std::fclose(stream) == 0 && ok;
  ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
  if (ok) SyncFolder(target);
#endif
  if (!ok) {
    const int error = errno;  // the failed step's, for the caller
    std::remove(temp.c_str());
    errno = error;
  }
  return ok;
}

void DiscardTemp(std::FILE* stream, const std::string& temp) {
  if (stream != nullptr) std::fclose(stream);
  if (!temp.empty()) std::remove(temp.c_str());
}

}  // namespace qv::platform
