// SafeSave.h - how qvnf writes a file: whole or not at all, through the
// neutral file's replacement (a temporary file beside the target, forced
// to storage and renamed over it). Until Commit succeeds the target is
// left as it was, and a writer that goes away uncommitted removes its
// temporary file.
#ifndef QVBASE_TOOLS_QVNF_SAFESAVE_H
#define QVBASE_TOOLS_QVNF_SAFESAVE_H

#include <QvBase/QvNeutralFile.h>

#include <cstddef>
#include <string>

namespace qvnf {

class SafeWriter {
 public:
  /// Starts the replacement of path; false with error set.
  bool Open(const std::string& path, std::string& error);
  /// Appends bytes; false once any write has failed.
  bool Write(const unsigned char* data, std::size_t n);
  /// Puts the written bytes in place of the target; false with error set
  /// when a write or the replacement failed.
  bool Commit(std::string& error);

 private:
  // The neutral file's raw byte writes, for output that is already encoded.
  class RawFile : public QvNeutralFile {
   public:
    bool WriteBytes(const unsigned char* data, std::size_t n);
  };
  RawFile file_;
  bool ok_ = true;
};

/// True when both paths name one existing file (the same file through a
/// link or another spelling counts).
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_SAFESAVE_H
