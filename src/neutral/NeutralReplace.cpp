// Replacing a file safely: the writes go to a temporary file beside the
// target, which Commit renames over it once everything is on storage.
#include <QvBase/QvNeutralFile.h>

#include <cerrno>
#include <new>
#include <string>
#include <utility>

#include "frame/LastError.h"
#include "frame/SafeReplace.h"
#include "neutral/OwnedStream.h"

namespace {

// Finds the file that path replaces and creates the temporary file beside
// it; null when either fails, memory for their names included (nothing is
// created then: the names are built before the file).
std::FILE* BeginReplacement(const char* path, std::string* target,
                            std::string* temp) noexcept {
  if (path == nullptr || *path == '\0') {
    qv::Fail(QvError::BadArgument);
    return nullptr;
  }
  try {
    if (!qv::platform::ReplaceTarget(path, target)) {
      qv::FailWithErrno(QvError::CannotOpen);
      return nullptr;
    }
    std::FILE* stream = qv::platform::CreateTempBeside(*target, temp);
    if (stream == nullptr) qv::FailWithErrno(QvError::CannotOpen);
    return stream;
  } catch (const std::bad_alloc&) {
    qv::Fail(QvError::NoMemory);
    return nullptr;
  }
}

}  // namespace

bool QvNeutralFile::OpenToReplace(const char* path) {
  if (m_OwnFile) CloseFile();
  std::string target;
  std::string temp;
  std::FILE* stream = BeginReplacement(path, &target, &temp);
  if (stream == nullptr) return false;
  Replacement* record = Replacement::For(stream, true);
  if (record == nullptr) {
    qv::platform::DiscardTemp(stream, temp);
    return qv::Fail(QvError::NoMemory);
  }
  record->replacing = true;
  record->target = std::move(target);
  record->temp = std::move(temp);
  Replacement::DropPrivate(m_Replace);
  m_pFile = stream;
  m_OwnFile = true;
  m_Replace = record;
  m_StreamPos = 0;
  m_PosStream = stream;
  return true;
}

bool QvNeutralFile::Commit() {
  if (!m_OwnFile || m_Replace == nullptr || !m_Replace->replacing)
    return qv::Fail(QvError::BadArgument);
  // The stream's error indicator covers the failures that the stream saw;
  // the flag those this object refused before they reached the stream.
  HandOver();
  bool committed = false;
  if (!m_Replace->failed && std::ferror(m_pFile) == 0) {
    // CommitTemp closes the stream on every path and removes the temporary
    // file when it fails: neither is this object's to close or remove any
    // more, whatever happens next.
    std::FILE* const stream = m_pFile;
    m_pFile = nullptr;
    std::string temp;
    temp.swap(m_Replace->temp);
    committed = qv::platform::CommitTemp(stream, temp, m_Replace->target);
    if (!committed) qv::FailWithErrno(QvError::WriteFailed);
  } else {
    qv::Fail(QvError::WriteFailed, std::ferror(m_pFile) != 0 ? errno : 0);
  }
  CloseFile();  // drops the replacement, discarding what is left of it
  return committed;
}

void QvNeutralFile::NoteWriteFailure() {
  if (m_Replace != nullptr) Replacement::Of(m_Replace)->failed = true;
}
