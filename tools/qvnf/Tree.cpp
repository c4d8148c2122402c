#include "Tree.h"

#include <algorithm>

namespace qvnf {
namespace {

TreeNode NodeOf(const IdView& id) {
  TreeNode n;
  n.block.address = static_cast<std::int32_t>(id.address);
  n.block.name = id.name;
  n.block.version = id.version;
  n.block.endAddress = id.endAddress;
  n.isNull = IsNullBlock(id);
  if (!n.isNull) n.block.dataSize = id.endAddress - (id.address + kIdBlockSize);
  return n;
}

// True when a nested block could begin at the start of these data.
bool HasNested(const View& v, std::int64_t dataStart, std::int64_t dataEnd) {
  IdView id;
  return ReadId(v, dataStart, id) && dataStart + kIdBlockSize <= dataEnd &&
         (IsNullBlock(id) || IsPlausible(id, dataEnd));
}

void AddChildren(const View& v, TreeNode& n, int depth,
                 std::set<std::int64_t>& visited) {
  if (n.isNull || n.block.mark != BlockMark::Ok || n.block.address == 0) return;
  const std::int64_t dataStart = std::int64_t{n.block.address} + kIdBlockSize;
  if (depth >= kMaxDepth) {
    n.tooDeep = HasNested(v, dataStart, n.block.endAddress);
    return;
  }
  n.children =
      NestedBlocks(v, dataStart, n.block.endAddress, depth + 1, visited);
}

}  // namespace

std::vector<TreeNode> NestedBlocks(const View& v, std::int64_t dataStart,
                                   std::int64_t dataEnd, int depth,
                                   std::set<std::int64_t>& visited) {
  std::vector<TreeNode> level;
  dataEnd = std::min(dataEnd, v.size);
  for (std::int64_t at = dataStart; at + kIdBlockSize <= dataEnd;) {
    IdView id;
    if (!ReadId(v, at, id) || !visited.insert(at).second) break;
    if (IsNullBlock(id)) {
      level.push_back(NodeOf(id));
      at += kIdBlockSize;
      continue;
    }
    if (!IsPlausible(id, dataEnd)) {
      visited.erase(at);  // not a block: the address stays free
      break;
    }
    TreeNode n = NodeOf(id);
    AddChildren(v, n, depth, visited);
    at = n.block.endAddress;
    level.push_back(std::move(n));
  }
  return level;
}

std::vector<TreeNode> BuildTree(const View& v) {
  std::vector<TreeNode> top;
  std::set<std::int64_t> visited;
  for (const BlockInfo& b : WalkChain(v)) {
    TreeNode n;
    n.block = b;
    n.isNull = b.name == "WyNULL" && b.endAddress == 0 && b.version == 0;
    visited.insert(b.address);
    AddChildren(v, n, 0, visited);
    top.push_back(std::move(n));
  }
  return top;
}

}  // namespace qvnf
