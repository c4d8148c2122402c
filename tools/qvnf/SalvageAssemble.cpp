#include <algorithm>
#include <cstring>

#include "ColorTable.h"
#include "Nest.h"
#include "SalvagePlan.h"

namespace qvnf {
namespace {

constexpr unsigned char kFillerName[8] = {'Q', 'v', 'n', 'f',
                                          'F', 'i', 'l', 'l'};

}  // namespace

Assembler::Assembler(Cursor& c, Write write,
                     std::function<void(const SalvageEntry&)> entry)
    : c_(c), copy_(&c), write_(std::move(write)), entry_(std::move(entry)) {
  if (own_.OpenLike(c)) copy_ = &own_;
}

void Assembler::Put(const unsigned char* data, std::size_t n) {
  Flush();
  if (n > 0) write_(data, n);
  out_ += static_cast<std::int64_t>(n);
}

// Input bytes that go to the output unchanged wait, so that the bytes of
// many small pieces go in one write.
void Assembler::Copy(std::int64_t from, std::int64_t to) {
  if (from >= to) return;
  if (from != copyTo_) Flush();
  if (copyFrom_ == copyTo_) copyFrom_ = from;
  copyTo_ = to;
  out_ += to - from;
}

void Assembler::Flush() {
  while (copyFrom_ < copyTo_) {
    std::size_t got = 0;
    const unsigned char* data = copy_->GetSome(copyFrom_, got);
    if (data == nullptr) {  // only a failing device gets here
      readFailed_ = true;
      break;
    }
    const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(got), copyTo_ - copyFrom_));
    write_(data, n);
    copyFrom_ += static_cast<std::int64_t>(n);
  }
  copyFrom_ = copyTo_;
}

std::int64_t Assembler::Finish() {
  Flush();
  return out_;
}

// A block of size bytes (16 or more): id block and zeros.
void Assembler::Filler(std::int64_t size) {
  unsigned char id[kIdBlockSize] = {};
  std::memcpy(id, kFillerName, 8);
  Encode32(id + 8, static_cast<std::uint32_t>(out_ + size), c_.L2R());
  Put(id, sizeof id);
  static const unsigned char kZeros[4096] = {};
  for (std::int64_t left = size - kIdBlockSize; left > 0;) {
    const std::size_t n = static_cast<std::size_t>(
        std::min<std::int64_t>(left, static_cast<std::int64_t>(sizeof kZeros)));
    Put(kZeros, n);
    left -= static_cast<std::int64_t>(n);
  }
}

void Assembler::Header(const unsigned char* bytes, const SalvageEntry& e) {
  Put(bytes, kHeaderSize);
  entry_(e);
}

void Assembler::Add(const Piece& p) {
  SalvageEntry e{p.action, p.start, p.end - p.start, p.name, p.note, -1};
  if (p.action == SalvageAction::Dropped) {
    if (dropStart_ < 0) dropStart_ = p.start;
    dropEnd_ = p.end;
    entry_(e);
    return;
  }
  if (dropStart_ >= 0) {
    const std::int64_t gap = dropEnd_ - dropStart_;
    if (gap >= kIdBlockSize)
      Filler(gap);
    else
      shift_ -= gap;
    dropStart_ = -1;
  }
  e.outAddress = out_;
  // The piece is copied with its end addresses put right: its own when it
  // was repaired or moved, those nested in it when it moved (at every
  // depth), and those of broken nests, which end with their parent's data.
  std::int64_t at = p.start, mended = 0;
  std::string mend;
  // Puts end, an address in the output, in the field at `field` of the
  // input.
  const auto patch = [&](std::int64_t field, std::int64_t end) {
    Copy(at, field);
    unsigned char v[4];
    Encode32(v, static_cast<std::uint32_t>(end), c_.L2R());
    Put(v, sizeof v);
    at = field + 4;
  };
  if (p.action == SalvageAction::Repaired || shift_ != 0)
    patch(p.start + 8, p.end + shift_);
  // A block holds a nested one only when its data have room for one.
  if (!IsColorTable(p.name) && p.end - p.start >= 2 * kIdBlockSize) {
    // The nest is walked as it will lie in the output, which is what
    // check will walk there.
    NestWalk nest(c_, p.start + shift_ + kIdBlockSize, p.end + shift_,
                  kNoDepthLimit, true, shift_);
    for (NestItem item; nest.Next(item);) {
      const std::int64_t field = item.id.address - shift_ + 8;
      if (item.kind == NestItem::Block && item.id.endAddress != item.stored)
        patch(field, item.id.endAddress);
      if (item.kind != NestItem::Broken) continue;
      patch(field, item.limit);
      if (mended++ == 0)
        mend = "nested block " + item.id.name.Str() + " at " +
               std::to_string(item.id.address - shift_) + ": end address " +
               std::to_string(item.stored) +
               " lay past its parent's data; now " + std::to_string(item.limit);
    }
  }
  Copy(at, p.end);
  if (shift_ != 0 && p.action == SalvageAction::Kept) {
    e.action = SalvageAction::Repaired;
    e.note = "moved from " + std::to_string(p.start) + " to " +
             std::to_string(e.outAddress) + ", end addresses rewritten";
  } else if (shift_ != 0) {
    e.note += "; moved to " + std::to_string(e.outAddress);
  }
  if (mended > 0) {
    e.action = SalvageAction::Repaired;
    e.note += (e.note.empty() ? "" : "; ") + mend;
    if (mended > 1) e.note += " (and " + std::to_string(mended - 1) + " more)";
  }
  entry_(e);
}

}  // namespace qvnf
