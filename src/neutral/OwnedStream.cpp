// The record a neutral file keeps beside a stream it opened itself.
#include "neutral/OwnedStream.h"

#include <new>

#include "frame/Platform.h"

namespace {

// The stdio buffer of an owned stream: a walk through many small blocks
// and the hand-over of many small objects then cost few system calls.
constexpr std::size_t kStreamBufferBytes = 128 * 1024;

}  // namespace

QvNeutralFile::Replacement* QvNeutralFile::Replacement::For(std::FILE* stream,
                                                            bool writes) {
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
