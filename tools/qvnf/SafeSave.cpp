#include "SafeSave.h"

#include <QvBase/QvNeutralFile.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace qvnf {
namespace {

// The neutral file's raw byte writes, for output that is already encoded.
class RawFile : public QvNeutralFile {
 public:
  bool WriteBytes(const std::vector<unsigned char>& bytes) {
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
      const std::size_t n = std::min(kPiece, bytes.size() - at);
      if (!WriteData(bytes.data() + at, static_cast<unsigned int>(n)))
        return false;
    }
    return true;
  }
};

}  // namespace

bool SaveReplacing(const std::vector<unsigned char>& bytes,
                   const std::string& path, std::string& error) {
  RawFile file;  // an uncommitted replacement is discarded with it
  errno = 0;
  if (!file.OpenToReplace(path.c_str())) {
    error =
        std::string("cannot create a file beside it: ") + std::strerror(errno);
    return false;
  }
  if (file.WriteBytes(bytes) && file.Commit()) return true;
  error = std::string("cannot write it: ") + std::strerror(errno);
  return false;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace qvnf
