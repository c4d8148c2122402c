#include "Nest.h"

#include <algorithm>

namespace qvnf {
NestWalk::NestWalk(Cursor& c, std::int64_t dataStart, std::int64_t dataEnd,
                   int maxDepth, bool mend, std::int64_t moved)
    : c_(c),
      maxDepth_(maxDepth),
      mend_(mend),
      moved_(moved),
      pos_(dataStart),
      end_(std::min(dataEnd, c.Size() + moved)) {}

bool NestWalk::Read(std::int64_t at, std::int64_t limit, IdView& id) {
  const std::int64_t from = at - moved_;
  if (!ReadId(c_, from, id)) return false;
  id.address = at;
  stored_ = id.endAddress;
  if (moved_ != 0 && stored_ >= from + kIdBlockSize &&
      stored_ <= limit - moved_)
    id.endAddress = static_cast<std::int32_t>(stored_ + moved_);
  return true;
}

// An id block at a nested place whose end address lies past the end of
// its parent's data, and whose own data begin with a null block or a
// block that fits in the extent it claims.
bool NestWalk::IsBrokenNest(const IdView& id) {
  if (!id.idName || id.endAddress <= end_ ||
      id.address + 2 * kIdBlockSize > end_)
    return false;
  IdView child;
  const std::int32_t stored = stored_;
  const bool read = Read(id.address + kIdBlockSize, end_, child);
  stored_ = stored;
  return read &&
         (IsNullBlock(child) ||
          (child.idName && child.endAddress >= child.address + kIdBlockSize &&
           child.endAddress <= id.endAddress));
}

void NestWalk::Enter(std::int64_t dataStart, std::int64_t end) {
  if (!path_.empty() && path_.back().end == end_)
    ++path_.back().levels;
  else
    path_.push_back({end_, 1});
  ++depth_;
  pos_ = dataStart;
  end_ = std::min(end, c_.Size() + moved_);
}

bool NestWalk::Next(NestItem& item) {
  const int depth = depth_;
  IdView& id = item.id;
  if (pos_ + kIdBlockSize <= end_ && Read(pos_, end_, id)) {
    item.stored = stored_;
    item.depth = depth;
    item.limit = end_;
    item.tooDeep = false;
    const std::int64_t dataStart = pos_ + kIdBlockSize;
    if (IsNullBlock(id)) {
      item.kind = NestItem::Null;
      pos_ = dataStart;
      return true;
    }
    if (IsPlausible(id, end_)) {
      item.kind = NestItem::Block;
      if (depth < maxDepth_)
        Enter(dataStart, id.endAddress);
      else
        item.tooDeep = HasNested(c_, dataStart, id.endAddress);
      if (depth >= maxDepth_) pos_ = id.endAddress;
      return true;
    }
    if (IsBrokenNest(id)) {
      item.kind = NestItem::Broken;
      if (mend_ && depth < maxDepth_)
        Enter(dataStart, end_);
      else
        pos_ = end_;  // ends this level
      return true;
    }
  }
  if (path_.empty()) return false;
  // The level entered at a block ends where that block ends, and its
  // parent's level goes on there.
  item.kind = NestItem::Leave;
  item.depth = --depth_;
  pos_ = end_;
  end_ = path_.back().end;
  if (--path_.back().levels == 0) path_.pop_back();
  return true;
}

bool HasNested(Cursor& c, std::int64_t dataStart, std::int64_t dataEnd) {
  IdView id;
  dataEnd = std::min(dataEnd, c.Size());
  return dataStart + kIdBlockSize <= dataEnd && ReadId(c, dataStart, id) &&
         (IsNullBlock(id) || IsPlausible(id, dataEnd));
}

}  // namespace qvnf
