// tree: the top-level chain with the blocks nested in each block's data.
#include <algorithm>
#include <cstdio>

#include "Commands.h"
#include "FileReport.h"
#include "Tree.h"

namespace qvnf {
namespace {

using nlohmann::json;

json NodeJson(const TreeNode& n, std::int64_t fileSize) {
  const BlockInfo& b = n.block;
  json children = json::array();
  for (const TreeNode& c : n.children)
    children.push_back(NodeJson(c, fileSize));
  json j = {{"name", b.name},          {"address", b.address},
            {"version", b.version},    {"end_address", b.endAddress},
            {"data_size", b.dataSize}, {"children", children}};
  if (n.isNull) j["null"] = true;
  if (n.tooDeep) j["too_deep"] = true;
  if (b.mark != BlockMark::Ok && !n.isNull)
    j["problem"] = MarkText(b, fileSize);
  return j;
}

int Depth(const std::vector<TreeNode>& nodes) {
  int depth = 0;
  for (const TreeNode& n : nodes)
    depth = std::max(depth, 1 + Depth(n.children));
  return depth;
}

// One line per node, the name indented by its depth within a column wide
// enough for the deepest one.
void PrintNode(const TreeNode& n, int depth, int nameWidth,
               std::int64_t fileSize) {
  const BlockInfo& b = n.block;
  const std::string name = std::string(2 * depth, ' ') + b.name;
  if (b.mark == BlockMark::Truncated) {
    std::printf("%10d  ! %s\n", b.address, MarkText(b, fileSize).c_str());
    return;
  }
  if (n.isNull) {
    std::printf("%10d  %-*s  null block\n", b.address, nameWidth, name.c_str());
  } else {
    std::printf("%10d  %-*s  %-22s  %10d  %10lld", b.address, nameWidth,
                name.c_str(), VersionText(b.version).c_str(), b.endAddress,
                static_cast<long long>(b.dataSize));
    if (b.mark != BlockMark::Ok)
      std::printf("  ! %s", MarkText(b, fileSize).c_str());
    if (n.tooDeep)
      std::printf("  (nested past depth %d, not shown)", kMaxDepth);
    std::printf("\n");
  }
  for (const TreeNode& c : n.children)
    PrintNode(c, depth + 1, nameWidth, fileSize);
}

}  // namespace

int RunTree(const Options& o) {
  const Image image = LoadImage(o.path);
  if (image.status != OpenStatus::Ok) return OpenFailure(image, o.json);
  const std::vector<TreeNode> tree = BuildTree(ViewOf(image));
  bool whole = true;
  for (const TreeNode& n : tree) whole &= n.block.mark == BlockMark::Ok;
  if (o.json) {
    json list = json::array();
    for (const TreeNode& n : tree) list.push_back(NodeJson(n, image.Size()));
    PrintJson({{"file", image.path}, {"blocks", list}});
  } else {
    const int nameWidth = 8 + 2 * (Depth(tree) - 1);
    std::printf("%10s  %-*s  %-22s  %10s  %10s\n", "address", nameWidth, "name",
                "version", "end", "data size");
    for (const TreeNode& n : tree) PrintNode(n, 0, nameWidth, image.Size());
  }
  return whole ? kExitOk : kExitDamaged;
}

}  // namespace qvnf
