// TempDir.h - a fresh folder under the system's temp folder for one test,
// removed with everything in it when the object goes away.
#ifndef QVBASE_TESTS_SUPPORT_TEMPDIR_H
#define QVBASE_TESTS_SUPPORT_TEMPDIR_H

#include <cstddef>
#include <string>
#include <vector>

namespace qvtest {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  /// The folder's path, without a trailing separator.
  const std::string& Path() const { return m_Path; }
  /// Path of a file called name inside the folder.
  std::string File(const std::string& name) const;

 private:
  std::string m_Path;
};

/// Whole contents of a file as bytes; empty when it cannot be read.
std::vector<unsigned char> ReadAll(const std::string& path);
/// Writes bytes to a file, replacing it. Returns false on failure.
bool WriteAll(const std::string& path, const void* data, std::size_t size);
inline bool WriteAll(const std::string& path, const std::string& text) {
  return WriteAll(path, text.data(), text.size());
}

}  // namespace qvtest

#endif  // QVBASE_TESTS_SUPPORT_TEMPDIR_H
