#include "SafeSave.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace qvnf {

bool SafeWriter::RawFile::WriteBytes(const unsigned char* data, std::size_t n) {
  constexpr std::size_t kPiece = std::size_t{1} << 30;
  for (std::size_t at = 0; at < n; at += kPiece)
    if (!WriteData(data + at,
                   static_cast<unsigned int>(std::min(kPiece, n - at))))
      return false;
  return true;
}

bool SafeWriter::Open(const std::string& path, std::string& error) {
  errno = 0;
  if (file_.OpenToReplace(path.c_str())) return true;
  error =
      std::string("cannot create a file beside it: ") + std::strerror(errno);
  return false;
}

bool SafeWriter::Write(const unsigned char* data, std::size_t n) {
  ok_ = ok_ && file_.WriteBytes(data, n);
  return ok_;
}

bool SafeWriter::Commit(std::string& error) {
  if (ok_ && file_.Commit()) return true;
  error = std::string("cannot write it: ") + std::strerror(errno);
  return false;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace qvnf
