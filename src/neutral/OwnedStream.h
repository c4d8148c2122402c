// OwnedStream.h - what a neutral file keeps beside a stream it opened
// itself: the stream's stdio buffer, the bytes of a block being written
// that have not reached the stream yet, and the replacement that
// OpenToReplace began. (The type keeps the name it had when it held only
// the replacement: the class's layout names it.) Copies and assigned
// files share the owner's record, so that all of them write through the
// same held bytes; only the owner frees it, after closing the stream.
#ifndef QVBASE_SRC_NEUTRAL_OWNEDSTREAM_H
#define QVBASE_SRC_NEUTRAL_OWNEDSTREAM_H

#include <QvBase/QvNeutralFile.h>

#include <cstddef>
#include <memory>
#include <new>
#include <string>

#include "frame/Platform.h"
#include "neutral/PendingWrites.h"

struct QvNeutralFile::Replacement {
  // The stdio buffer of an owned stream: a walk through many small blocks
  // and the hand-over of many small objects then cost few system calls.
  static constexpr std::size_t kStreamBufferBytes = 128 * 1024;

  std::unique_ptr<char[]> streamBuffer;  // the stream's stdio buffer
  qv::PendingWrites pending;             // see PendingWrites.h
  bool replacing = false;                // OpenToReplace began a replacement
  std::string target;                    // the file that Commit replaces
  std::string temp;                      // the temporary file the stream writes
  bool failed = false;                   // a write since OpenToReplace failed

  // A record for a newly opened stream, which gets the record's stdio
  // buffer; it holds writes when `writes`. Null when memory is short: the
  // stream then keeps its own buffer and writes go straight to it.
  // (Inline, so that the library does not export it with the class.)
  static Replacement* For(std::FILE* stream, bool writes) {
    auto* record = new (std::nothrow) Replacement;
    if (record == nullptr) return nullptr;
    record->streamBuffer.reset(new (std::nothrow) char[kStreamBufferBytes]);
    if (record->streamBuffer != nullptr &&
        !qv::platform::SetStreamBuffer(stream, record->streamBuffer.get(),
                                       kStreamBufferBytes))
      record->streamBuffer.reset();
    if (writes) record->pending.Init();
    return record;
  }
  // Hands the held bytes to stream; a refusal counts as a failed write.
  bool HandOver(std::FILE* stream) {
    if (pending.HandOver(stream)) return true;
    failed = true;
    return false;
  }
};

#endif  // QVBASE_SRC_NEUTRAL_OWNEDSTREAM_H
