#include "Chain.h"

#include <set>

namespace qvnf {
namespace {

BlockMark EndMark(const IdView& id, std::int64_t fileSize,
                  const std::set<std::int64_t>& visited) {
  const std::int64_t end = id.endAddress;
  if (end == 0 && id.name == "WyNULL")
    return BlockMark::Loop;  // a top-level null block leads to the header
  if (end == 0) return BlockMark::Uncompleted;
  if (end < 0 || end > fileSize) return BlockMark::EndPastFile;
  if (visited.count(end) != 0) return BlockMark::Loop;
  if (end < id.address + kIdBlockSize) return BlockMark::EndBackwards;
  return BlockMark::Ok;
}

}  // namespace

std::vector<BlockInfo> WalkChain(const View& v) {
  std::vector<BlockInfo> chain;
  std::set<std::int64_t> visited;
  std::int64_t address = 0;
  for (;;) {
    if (address != 0 && address == v.size) return chain;  // clean end
    BlockInfo b;
    b.address = static_cast<std::int32_t>(address);
    IdView id;
    if (!ReadId(v, address, id)) {
      b.mark = BlockMark::Truncated;
      chain.push_back(b);
      return chain;
    }
    visited.insert(address);
    b.name = id.name;
    b.version = id.version;
    b.endAddress = id.endAddress;
    b.mark = EndMark(id, v.size, visited);
    if (b.mark == BlockMark::Ok)
      b.dataSize = b.endAddress - (address + kIdBlockSize);
    chain.push_back(b);
    if (b.mark != BlockMark::Ok) return chain;
    address = b.endAddress;
  }
}

bool IsWholeChain(const std::vector<BlockInfo>& chain) {
  for (const BlockInfo& b : chain)
    if (b.mark != BlockMark::Ok) return false;
  return true;
}

}  // namespace qvnf
