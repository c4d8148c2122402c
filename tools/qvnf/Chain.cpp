#include "Chain.h"

namespace qvnf {
namespace {

// True when the chain from offset 0 reaches target. Only asked for a
// target before a block that the walk reached with every block Ok, so
// this walk only meets sound blocks and ends there.
bool IsOnChain(Cursor& c, std::int64_t target) {
  IdView id;
  for (std::int64_t at = 0; at < target;) {
    if (!ReadId(c, at, id) || id.endAddress <= at) return false;
    at = id.endAddress;
    if (at == target) return true;
  }
  return target == 0;
}

BlockMark EndMark(Cursor& c, const IdView& id) {
  const std::int64_t end = id.endAddress;
  if (end == 0 && id.name == "WyNULL")
    return BlockMark::Loop;  // a top-level null block leads to the header
  if (end == 0) return BlockMark::Uncompleted;
  if (end < 0 || end > c.Size()) return BlockMark::EndPastFile;
  if (end <= id.address && IsOnChain(c, end)) return BlockMark::Loop;
  if (end < id.address + kIdBlockSize) return BlockMark::EndBackwards;
  return BlockMark::Ok;
}

}  // namespace

BlockInfo BlockFromId(const IdView& id, bool withData) {
  BlockInfo b;
  b.address = static_cast<std::int32_t>(id.address);
  b.name = id.name;
  b.version = id.version;
  b.endAddress = id.endAddress;
  if (withData) b.dataSize = id.endAddress - (id.address + kIdBlockSize);
  return b;
}

bool IsNullBlock(const BlockInfo& b) {
  return b.name == "WyNULL" && b.endAddress == 0 && b.version == 0;
}

BlockInfo BlockAt(Cursor& c, const IdView& id) {
  const BlockMark mark = EndMark(c, id);
  BlockInfo b = BlockFromId(id, mark == BlockMark::Ok);
  b.mark = mark;
  return b;
}

bool ChainWalk::Next(BlockInfo& b) {
  if (done_) return false;
  if (next_ != 0 && next_ == c_.Size()) {  // clean end
    done_ = whole_ = true;
    return false;
  }
  IdView id;
  if (!ReadId(c_, next_, id)) {
    b = BlockInfo{};
    b.address = static_cast<std::int32_t>(next_);
    b.mark = BlockMark::Truncated;
    done_ = true;
    return true;
  }
  b.address = static_cast<std::int32_t>(id.address);
  b.name = id.name;
  b.version = id.version;
  b.endAddress = id.endAddress;
  const std::int64_t dataStart = id.address + kIdBlockSize;
  if (id.endAddress >= dataStart && id.endAddress <= c_.Size()) {
    b.mark = BlockMark::Ok;  // the usual case, told without EndMark
    b.dataSize = id.endAddress - dataStart;
    next_ = id.endAddress;
    return true;
  }
  b.mark = EndMark(c_, id);
  b.dataSize = 0;
  done_ = true;
  return true;
}

}  // namespace qvnf
