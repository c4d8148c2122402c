// Reasons.h - the reason for a failed transfer of the neutral file, told
// from the stream's state after the fact, so that the transfer itself
// carries no cost for it.
#ifndef QVBASE_SRC_NEUTRAL_REASONS_H
#define QVBASE_SRC_NEUTRAL_REASONS_H

#include <cstdio>

#include "frame/LastError.h"

namespace qv {

/// A failed read through stream, else through the memory buffer buf; both
/// null: there was nothing to read from (or the argument was unusable).
/// The stream's error indicator tells a refused read (ReadFailed) from
/// the end of the data (Truncated). Returns false.
QV_COLD bool FailedRead(std::FILE* stream, const void* buf);
/// The same for a write: WriteFailed when the stream's error indicator is
/// set, else TooLarge (the size limit or the buffer's room refused it).
QV_COLD bool FailedWrite(std::FILE* stream, const void* buf);

}  // namespace qv

#endif  // QVBASE_SRC_NEUTRAL_REASONS_H
