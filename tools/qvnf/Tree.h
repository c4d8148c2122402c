// Tree.h - the top-level chain with the blocks nested in each block's
// data, as `qvnf tree` shows them.
//
// A nested block is an id block that starts its parent's data or follows
// the end of a nested block before it, whose name is 1-8 printable
// characters padded with zero bytes and whose end address lies inside the
// parent's data. A null block there is listed as one and the walk goes on
// after its 16 bytes; anything else ends that level. Each nested block
// lies strictly inside its parent, so the tree has at most one node per
// 16 bytes of file, and nesting deeper than kMaxDepth is not followed.
#ifndef QVBASE_TOOLS_QVNF_TREE_H
#define QVBASE_TOOLS_QVNF_TREE_H

#include <cstdint>
#include <set>
#include <vector>

#include "Chain.h"
#include "Image.h"

namespace qvnf {

constexpr int kMaxDepth = 32;

struct TreeNode {
  BlockInfo block;       // a null block has end address 0 and no data
  bool isNull = false;   // "WyNULL", end address 0, version 0
  bool tooDeep = false;  // has nested blocks that the depth limit left out
  std::vector<TreeNode> children;
};

/// The top-level chain (header first, as WalkChain walks it), each block
/// with its nested blocks. The header's own data are never walked.
std::vector<TreeNode> BuildTree(const View& v);

/// The blocks nested in the data [dataStart, dataEnd) of a block at depth
/// depth - 1 (top level is 0). Addresses already in visited are never
/// listed again; every address listed is added to it.
std::vector<TreeNode> NestedBlocks(const View& v, std::int64_t dataStart,
                                   std::int64_t dataEnd, int depth,
                                   std::set<std::int64_t>& visited);

/// Calls visit on every node of the forest, parents before children.
template <typename Visit>
void ForEachNode(const std::vector<TreeNode>& nodes, Visit&& visit) {
  for (const TreeNode& n : nodes) {
    visit(n);
    ForEachNode(n.children, visit);
  }
}

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_TREE_H
