// Construction, ownership of the stream, opening and positioning.
#include <QvBase/QvNeutralFile.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

#include "frame/LastError.h"
#include "frame/Platform.h"
#include "frame/SafeReplace.h"
#include "neutral/Encoding.h"
#include "neutral/OwnedStream.h"

namespace {

constexpr char kFileName[] = "WyNF";
constexpr std::int32_t kOrderByteOffset = 16;

}  // namespace

QvNeutralFile::QvNeutralFile()
    : m_pFile(nullptr),
      m_L2R(false),
      m_OwnFile(false),
      m_Progressor(nullptr),
      m_Buf(nullptr),
      m_BufSize(0),
      m_StreamPos(-1),
      m_BufCapacity(0),
      m_BufBounded(false),
      m_Replace(nullptr),
      m_PosStream(nullptr) {}

QvNeutralFile::QvNeutralFile(std::FILE* fp) : QvNeutralFile() {
  m_pFile = fp;
  if (fp == nullptr) return;
  m_Replace = Replacement::MakePrivate();
  ReadL2R();
}

// Copying and assigning hand the owner's held bytes to the stream. The
// record itself is shared, so a copy's writes go through the same held
// bytes; a copy never touches it while copying, being copied or going
// away, as its owner may be gone by then.
QvNeutralFile::QvNeutralFile(const QvNeutralFile& other) : QvNeutralFile() {
  if (other.m_OwnFile) other.HandOver();
  m_pFile = other.m_pFile;
  m_L2R = other.m_L2R;
  m_Progressor = other.m_Progressor;
  TakeRecordOf(other);
}

void QvNeutralFile::TakeRecordOf(const QvNeutralFile& other) {
  // An owner's record is shared: writes go through the same held bytes. A
  // borrower's is its own, so a copy of a borrower gets one of its own.
  if (other.m_Replace != nullptr && !Replacement::IsPrivate(other.m_Replace))
    m_Replace = other.m_Replace;
  else if (m_pFile != nullptr)
    m_Replace = Replacement::MakePrivate();
}

QvNeutralFile& QvNeutralFile::operator=(const QvNeutralFile& other) {
  if (this == &other) return *this;
  // The source may borrow the very stream this object owns (it was copied
  // from here); closing it would leave both with a dead stream, so it then
  // stays open and owned here.
  const bool sameStream = m_pFile != nullptr && m_pFile == other.m_pFile;
  if (other.m_OwnFile) other.HandOver();
  if (!sameStream) {
    CloseFile();
    Replacement::DropPrivate(m_Replace);
    m_Replace = nullptr;  // a shared record stays its owner's
  }
  m_OwnFile = sameStream && m_OwnFile;
  m_pFile = other.m_pFile;
  if (!sameStream) TakeRecordOf(other);
  m_L2R = other.m_L2R;
  m_Progressor = other.m_Progressor;
  m_Buf = other.m_Buf;
  m_BufSize = other.m_BufSize;
  m_BufCapacity = other.m_BufCapacity;
  m_BufBounded = other.m_BufBounded;
  m_PosStream = nullptr;
  return *this;
}

QvNeutralFile::~QvNeutralFile() {
  CloseFile();
  Replacement::DropPrivate(m_Replace);
}

QvWritableObj* QvNeutralFile::Alloc(const char* /*idString*/) const {
  return nullptr;
}

bool QvNeutralFile::OpenToWrite(const char* path) {
  return FileOpen(path, "wb");
}

bool QvNeutralFile::OpenToAppend(const char* path) {
  if (!FileOpen(path, "r+b")) return false;
  return GoToFileEnd();
}

bool QvNeutralFile::OpenToRead(const char* path) {
  if (!FileOpen(path, "rb")) return false;
  return GoToFileBegin();
}

bool QvNeutralFile::FileOpen(const char* path, const char* mode) {
  if (m_OwnFile) CloseFile();
  if (path == nullptr || mode == nullptr) return qv::Fail(QvError::BadArgument);
  const bool toWrite = std::strcmp(mode, "wb") == 0;
  const bool toAppend = std::strcmp(mode, "r+b") == 0;
  const bool toRead = std::strcmp(mode, "rb") == 0;
  if (!toWrite && !toAppend && !toRead) return qv::Fail(QvError::BadArgument);

  m_pFile = std::fopen(path, mode);
  const int openError = errno;
  m_PosStream = nullptr;
  Replacement::DropPrivate(m_Replace);
  m_Replace = nullptr;  // a shared record stays its owner's
  if (m_pFile == nullptr) return qv::Fail(QvError::CannotOpen, openError);
  m_OwnFile = true;
  m_Replace = Replacement::For(m_pFile, !toRead);
  if (toWrite) return true;
  if (toAppend) {
    // A file that is not a neutral file stays open and owned.
    if (!GoToFileBegin() || !IsNeutralFile()) return false;
    return GoToFileEnd();
  }
  if (!IsNeutralFile()) {
    CloseFile();
    return false;
  }
  if (!ReadL2R()) {
    CloseFile();
    return qv::Fail(
        QvError::Truncated);  // the header ends before its order byte
  }
  return true;
}

bool QvNeutralFile::CloseFile() {
  if (m_OwnFile) {
    if (m_Replace != nullptr && m_Replace->replacing) {
      // An uncommitted replacement leaves nothing behind.
      qv::platform::DiscardTemp(m_pFile, m_Replace->temp);
    } else if (m_pFile != nullptr) {
      HandOver();
      std::fclose(m_pFile);
    }
    delete m_Replace;  // the stream's buffer goes after the stream
    m_Replace = nullptr;
    m_pFile = nullptr;
    m_PosStream = nullptr;
  }
  m_OwnFile = false;
  return true;
}

bool QvNeutralFile::HandOver() const {
  return m_Replace == nullptr || m_pFile == nullptr ||
         Replacement::Of(m_Replace)->HandOver(m_pFile);
}

bool QvNeutralFile::IsNeutralFile() {
  // A file too short for an id block, or one that starts with another
  // name, is not a neutral file; a refused read keeps its own reason.
  IdBlock block;
  block.m_EndAddress = 0;
  if (!ReadIdBlock(block))
    return QvLastError() == QvError::ReadFailed ||
                   QvLastError() == QvError::SeekFailed
               ? false
               : qv::Fail(QvError::NotNeutral);
  return std::strcmp(block.m_Name, kFileName) == 0 ||
         qv::Fail(QvError::NotNeutral);
}

bool QvNeutralFile::ReadL2R() {
  std::int32_t start = 0;
  if (!GetFilePosition(start)) return false;
  if (!GoToFilePosition(kOrderByteOffset)) return false;
  // Reading a write-only stream fails and sets its error indicator; the
  // stream is the caller's, so an indicator set here alone is cleared.
  const bool wasClean = std::ferror(m_pFile) == 0;
  const bool read = ReadBool(&m_L2R);
  if (wasClean && !read) std::clearerr(m_pFile);
  const bool back = GoToFilePosition(start);
  return read && back;
}

bool QvNeutralFile::GoToFileBegin() const {
  const std::int32_t begin = 0;
  return GoToFilePosition(begin);
}

bool QvNeutralFile::GoToFileEnd() const {
  if (m_pFile == nullptr) return qv::Fail(QvError::BadArgument);
  HandOver();
  return std::fseek(m_pFile, 0, SEEK_END) == 0 ||
         qv::FailWithErrno(QvError::SeekFailed);
}

bool QvNeutralFile::GoToFilePosition(const std::int32_t& pos) const {
  if (m_pFile == nullptr || pos < 0) return qv::Fail(QvError::BadArgument);
  HandOver();
  // A walk by end addresses mostly lands within what the stream has read.
  return qv::platform::SeekInBuffer(m_pFile, pos) ||
         std::fseek(m_pFile, static_cast<long>(pos), SEEK_SET) == 0 ||
         qv::FailWithErrno(QvError::SeekFailed);
}

bool QvNeutralFile::GetFilePosition(std::int32_t& pos) const {
  pos = -1;
  if (m_pFile == nullptr) return qv::Fail(QvError::BadArgument);
  HandOver();
  SyncStreamPos();
  if (m_StreamPos < 0)
    return qv::Fail(m_StreamPos == qv::kPastLimit ? QvError::TooLarge
                                                  : QvError::SeekFailed);
  pos = m_StreamPos;
  return true;
}

void QvNeutralFile::SyncStreamPos() const {
  std::int64_t at = -1;
  const bool known = qv::platform::StreamPosition(m_pFile, &at);
  m_StreamPos = qv::CodeOffset(known, at);
  m_PosStream = m_pFile;
}

bool QvNeutralFile::GetWritePosition(std::int32_t& pos) const {
  if (m_pFile == nullptr || !qv::platform::StreamAppends(m_pFile))
    return GetFilePosition(pos);
  // Writes land at the end of the file, wherever the stream stands.
  std::int64_t at = -1;
  const bool known = qv::platform::WritePosition(m_pFile, &at);
  const std::int32_t coded = qv::CodeOffset(known, at);
  pos = coded >= 0 ? coded : -1;
  return coded >= 0 || qv::Fail(coded == qv::kPastLimit ? QvError::TooLarge
                                                        : QvError::SeekFailed);
}
