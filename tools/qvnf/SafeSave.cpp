#include "SafeSave.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace qvnf {
namespace {

// Creates a new file beside path, never one that exists; null on failure.
std::FILE* CreateBeside(const std::string& path, std::string& tmp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
#if defined(_WIN32)
    tmp = path + ".tmp" + std::to_string(_getpid()) + "-" +
          std::to_string(attempt);
    const int fd =
        _open(tmp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
              _S_IREAD | _S_IWRITE);
    if (fd >= 0) return _fdopen(fd, "wb");
#else
    tmp = path + ".tmp" + std::to_string(getpid()) + "-" +
          std::to_string(attempt);
    const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) return fdopen(fd, "wb");
#endif
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

bool ReplaceWith(const std::string& tmp, const std::string& path) {
#if defined(_WIN32)
  return MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(tmp.c_str(), path.c_str()) == 0;
#endif
}

}  // namespace

bool SaveReplacing(const std::vector<unsigned char>& bytes,
                   const std::string& path, std::string& error) {
  std::string tmp;
  errno = 0;
  std::FILE* f = CreateBeside(path, tmp);
  if (f == nullptr) {
    error =
        std::string("cannot create a file beside it: ") + std::strerror(errno);
    return false;
  }
  bool ok = bytes.empty() ||
            std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok && ReplaceWith(tmp, path)) return true;
  error = std::string(ok ? "cannot replace it: " : "cannot write it: ") +
          std::strerror(errno);
  std::remove(tmp.c_str());
  return false;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace qvnf
