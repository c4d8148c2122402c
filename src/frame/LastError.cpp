// The calling thread's failure reason, kept like errno.
#include "frame/LastError.h"

#include <cerrno>

namespace {

struct LastError {
  QvError error = QvError::None;
  int systemError = 0;
  std::uint32_t count = 0;
};

thread_local LastError t_last;

}  // namespace

namespace qv {

bool Fail(QvError error, int systemError) {
  // ENOMEM from the C library is a shortage of memory, whatever failed.
  if (systemError == ENOMEM) error = QvError::NoMemory;
  t_last.error = error;
  t_last.systemError = systemError;
  ++t_last.count;
  return false;
}

bool FailWithErrno(QvError error) {
  return Fail(error, errno);
}

std::uint32_t FailureCount() {
  return t_last.count;
}

KeptError KeepError() {
  return {t_last.error, t_last.systemError};
}

void RestoreError(const KeptError& kept) {
  t_last.error = kept.error;
  t_last.systemError = kept.systemError;
}

}  // namespace qv

QvError QvLastError() {
  return t_last.error;
}

int QvLastSystemError() {
  return t_last.systemError;
}

const char* QvErrorText(QvError error) {
  switch (error) {
    case QvError::None:
      return "no error";
    case QvError::CannotOpen:
      return "the file cannot be opened";
    case QvError::NotNeutral:
      return "not a neutral file";
    case QvError::Truncated:
      return "the data end too early";
    case QvError::Damaged:
      return "the data are damaged";
    case QvError::NotFound:
      return "not found";
    case QvError::WriteFailed:
      return "the write failed";
    case QvError::TooLarge:
      return "too large";
    case QvError::NoMemory:
      return "out of memory";
    case QvError::BadArgument:
      return "bad argument";
    case QvError::ReadFailed:
      return "the read failed";
    case QvError::SeekFailed:
      return "the position cannot be set";
    case QvError::EndOfFile:
      return "end of file";
    case QvError::Unsupported:
      return "a version this reader does not know";
  }
  return "unknown error";
}
