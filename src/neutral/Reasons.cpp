#include "neutral/Reasons.h"

namespace qv {

bool FailedRead(std::FILE* stream, const void* buf) {
  if (stream != nullptr)
    return std::ferror(stream) != 0 ? FailWithErrno(QvError::ReadFailed)
                                    : Fail(QvError::Truncated);
  return Fail(buf != nullptr ? QvError::Truncated : QvError::BadArgument);
}

bool FailedWrite(std::FILE* stream, const void* buf) {
  if (stream != nullptr)
    return std::ferror(stream) != 0 ? FailWithErrno(QvError::WriteFailed)
                                    : Fail(QvError::TooLarge);
  return Fail(buf != nullptr ? QvError::TooLarge : QvError::BadArgument);
}

}  // namespace qv
