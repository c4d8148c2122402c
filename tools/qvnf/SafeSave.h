// SafeSave.h - how qvnf writes a file: whole or not at all, through the
// neutral file's replacement (a temporary file beside the target, forced
// to storage and renamed over it). On any failure the target is left as
// it was and the temporary file is removed.
#ifndef QVBASE_TOOLS_QVNF_SAFESAVE_H
#define QVBASE_TOOLS_QVNF_SAFESAVE_H

#include <string>
#include <vector>

namespace qvnf {

/// Writes bytes to path as above; false with error set when it fails.
bool SaveReplacing(const std::vector<unsigned char>& bytes,
                   const std::string& path, std::string& error);

/// True when both paths name one existing file (the same file through a
/// link or another spelling counts).
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_SAFESAVE_H
