#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvWritableObj.h>

#include <cstdint>
#include <cstdio>

#include "frame/LastError.h"

namespace {
// The maker name written into both texts of a header that WriteNF creates.
constexpr const char* kMakerName = "Vorlanex";

// A whole file of one object: the header, then the object's block.
bool WriteWhole(const QvWritableObj& object, QvNeutralFile& file) {
  return file.WriteHeader(kMakerName, kMakerName) && object.WriteNF(file);
}

// A file of the call's own, which before it closes can tell whether every
// byte written reached the system: a write refused there (a full disk)
// would otherwise go unseen, as closing reports nothing.
class CallFile : public QvNeutralFile {
 public:
  bool Finish() {
    std::int32_t pos = 0;
    GetFilePosition(pos);  // hands over what is held for a block
    return (m_pFile != nullptr && std::fflush(m_pFile) == 0 &&
            std::ferror(m_pFile) == 0) ||
           qv::FailWithErrno(QvError::WriteFailed);
  }
};
}  // namespace

QvWritableObj::~QvWritableObj() = default;

bool QvWritableObj::ReadNF(const char* path) {
  QvNeutralFile file;  // closes the file on every path out
  if (!file.OpenToRead(path)) return false;
  if (!file.GoToFileBegin()) return false;
  return ReadNF(file);
}

bool QvWritableObj::ReadNF(std::FILE* stream) {
  QvNeutralFile file(stream);
  return ReadNF(file);
}

bool QvWritableObj::ReadNF(QvNeutralFile& file) {
  std::int32_t start = -1;
  if (!file.GetFilePosition(start)) return false;
  QvNeutralFile::IdBlock block;
  if (!file.ScanIdBlock(IdString(), block)) {
    // The reason is the scan's, whether or not the way back works.
    const qv::KeptError kept = qv::KeepError();
    file.GoToFilePosition(start);
    qv::RestoreError(kept);
    return false;
  }
  // A class of the application may fail without a reason of its own.
  const std::uint32_t failures = qv::FailureCount();
  return ReadDataBlock(file, block.m_Version) ||
         (qv::FailureCount() == failures ? qv::Fail(QvError::Damaged) : false);
}

bool QvWritableObj::WriteNF(const char* path) const {
  CallFile file;
  return file.OpenToWrite(path) && WriteWhole(*this, file) && file.Finish();
}

bool QvWritableObj::SaveNF(const char* path) const {
  QvNeutralFile file;  // an uncommitted replacement is discarded with it
  return file.OpenToReplace(path) && WriteWhole(*this, file) && file.Commit();
}

bool QvWritableObj::WriteNF(std::FILE* stream) const {
  QvNeutralFile file(stream);
  return WriteNF(file);
}

bool QvWritableObj::WriteNF(QvNeutralFile& file) const {
  const std::int32_t address = WriteIdBlock(file);
  if (address < 0) return false;
  // A class of the application may fail without a reason of its own.
  const std::uint32_t failures = qv::FailureCount();
  if (!WriteDataBlock(file))
    return qv::FailureCount() == failures ? qv::Fail(QvError::WriteFailed)
                                          : false;
  return file.UpdateIdBlock(address);
}

std::int32_t QvWritableObj::WriteIdBlock(QvNeutralFile& file) const {
  return file.WriteIdBlock(IdString(), Version());
}
