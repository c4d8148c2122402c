// OwnedStream.h - what a neutral file keeps beside a stream it opened
// itself: the stream's stdio buffer, the bytes of a block being written
// that have not reached the stream yet, and the replacement that
// OpenToReplace began. (The type keeps the name it had when it held only
// the replacement: the class's layout names it.) Copies and assigned
// files share the owner's record, so that all of them write through the
// same held bytes; only the owner frees it, after closing the stream.
//
// Held bytes: the bytes of a block are held from its WriteIdBlock until
// the block is complete, so that UpdateIdBlock patches the end address in
// memory instead of seeking back on the stream; they then go to the stream
// in one piece. A block that outgrows 64 KiB goes on to the stream as it
// grows and has its end address patched there. Held bytes reach the stream
// at the block's completion and before anything else touches the stream:
// positioning (GetFilePosition included), reading, CloseFile, Commit,
// copying or assigning the owner, its destruction.
//
// The stream-state mark: a write asks the stream where it stands, unless
// the C library's stream state (glibc) shows that nobody has used the
// stream since this object's last write; then the position is taken from
// that write. An appending stream is never marked: each write there asks
// the system for the file's size (one fstat).
#ifndef QVBASE_SRC_NEUTRAL_OWNEDSTREAM_H
#define QVBASE_SRC_NEUTRAL_OWNEDSTREAM_H

#include <QvBase/QvNeutralFile.h>

#include <cstddef>
#include <cstdint>
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
  // The stream then stands where they end.
  bool HandOver(std::FILE* stream) {
    if (!pending.Active()) return true;
    wrote = true;
    if (pending.HandOver(stream)) {
      Mark(stream, pending.Position());
      return true;
    }
    mark = qv::platform::StreamMark();
    failed = true;
    return false;
  }

  // Whether this record's last use of the stream was a write: the C
  // library asks for a positioning before it is read (TurnToReading).
  bool wrote = false;
  // Readies the stream for a read: the held bytes go first, and a stream
  // written last is turned to reading.
  void BeforeRead(std::FILE* stream) {
    if (pending.Active()) HandOver(stream);
    if (!wrote) return;
    wrote = false;
    qv::platform::TurnToReading(stream);
  }

  // Where the stream stood, and its state then (see StreamMark): while its
  // state is the same, nobody has used it, and it stands there still, so
  // a write need not ask it. Writes through this record move it on.
  qv::platform::StreamMark mark;
  std::int64_t markedAt = 0;
  bool Knows(std::FILE* stream, std::int64_t* at) const {
    if (!mark.Holds(stream)) return false;
    *at = markedAt;
    return true;
  }
  void Mark(std::FILE* stream, std::int64_t at) {
    mark.Take(stream);
    markedAt = at;
  }
  // After n bytes that PutBuffered put into the stream's buffer.
  void Put(std::size_t n) {
    mark.Put(n);
    markedAt += static_cast<std::int64_t>(n);
  }
  // After n bytes of a write that began where the mark says (a short one
  // leaves the position unsure).
  void Advance(std::FILE* stream, std::size_t n, bool whole) {
    if (!mark.valid) return;
    if (!whole) {
      mark = qv::platform::StreamMark();
      return;
    }
    Mark(stream, markedAt + static_cast<std::int64_t>(n));
  }

  // An object that borrows a stream keeps a record of its own for the
  // mark, told apart from an owner's record that copies share by the low
  // bit of the pointer the object keeps: only such a record is the
  // borrower's to free, and a shared one is never touched when a copy is
  // made, assigned or destroyed (its owner may be gone).
  static Replacement* Of(Replacement* kept) {
    return reinterpret_cast<Replacement*>(
        reinterpret_cast<std::uintptr_t>(kept) & ~std::uintptr_t{1});
  }
  static bool IsPrivate(const Replacement* kept) {
    return (reinterpret_cast<std::uintptr_t>(kept) & 1u) != 0;
  }
  static Replacement* MakePrivate() {
    static_assert(alignof(Replacement) > 1, "the low bit must be free");
    auto* record = new (std::nothrow) Replacement;
    return record == nullptr
               ? nullptr
               : reinterpret_cast<Replacement*>(
                     reinterpret_cast<std::uintptr_t>(record) | 1u);
  }
  // Frees kept when it is a borrower's own record.
  static void DropPrivate(Replacement*& kept) {
    if (!IsPrivate(kept)) return;
    delete Of(kept);
    kept = nullptr;
  }
};

#endif  // QVBASE_SRC_NEUTRAL_OWNEDSTREAM_H
