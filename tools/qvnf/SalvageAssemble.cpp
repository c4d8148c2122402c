#include <cstring>
#include <set>

#include "ColorTable.h"
#include "SalvagePlan.h"
#include "Tree.h"

namespace qvnf {
namespace {

constexpr char kFillerName[8] = {'Q', 'v', 'n', 'f', 'F', 'i', 'l', 'l'};

// A block of size bytes (16 or more) at the end of out: id block and zeros.
void AppendFiller(std::vector<unsigned char>& out, std::int64_t size,
                  bool l2r) {
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(size), 0);
  std::memcpy(out.data() + at, kFillerName, 8);
  Put32(out, at + 8, static_cast<std::uint32_t>(at + size), l2r);
}

// Moves the end addresses of a block copied shift bytes away from where it
// was: its own, and those of the blocks nested in its data. A colour table
// holds no nested block but its closing null block, which has none.
void RewriteAddresses(const View& v, const Piece& p, std::int64_t shift,
                      std::vector<unsigned char>& out) {
  const auto put = [&](std::int64_t inAddress, std::int64_t inEnd) {
    Put32(out, static_cast<std::size_t>(inAddress + shift + 8),
          static_cast<std::uint32_t>(inEnd + shift), v.l2r);
  };
  put(p.start, p.end);
  if (shift == 0 || IsColorTable(p.name)) return;
  std::set<std::int64_t> visited{p.start};
  const std::vector<TreeNode> nested =
      NestedBlocks(v, p.start + kIdBlockSize, p.end, 1, visited);
  ForEachNode(nested, [&](const TreeNode& n) {
    if (!n.isNull) put(n.block.address, n.block.endAddress);
  });
}

}  // namespace

std::vector<unsigned char> Assemble(const View& v,
                                    std::vector<unsigned char> out,
                                    const std::vector<Piece>& pieces,
                                    std::vector<SalvageEntry>& entries) {
  std::int64_t shift = 0;  // output offset minus input offset
  std::int64_t dropStart = -1, dropEnd = -1;
  for (const Piece& p : pieces) {
    SalvageEntry e{p.action, p.start, p.end - p.start, p.name, p.note, -1};
    if (p.action == SalvageAction::Dropped) {
      if (dropStart < 0) dropStart = p.start;
      dropEnd = p.end;
      entries.push_back(e);
      continue;
    }
    if (dropStart >= 0) {
      const std::int64_t gap = dropEnd - dropStart;
      if (gap >= kIdBlockSize)
        AppendFiller(out, gap, v.l2r);
      else
        shift -= gap;
      dropStart = -1;
    }
    e.outAddress = static_cast<std::int64_t>(out.size());
    out.insert(out.end(), v.data + p.start, v.data + p.end);
    if (p.action == SalvageAction::Repaired || shift != 0)
      RewriteAddresses(v, p, shift, out);
    if (shift != 0 && p.action == SalvageAction::Kept) {
      e.action = SalvageAction::Repaired;
      e.note = "moved from " + std::to_string(p.start) + " to " +
               std::to_string(e.outAddress) + ", end addresses rewritten";
    } else if (shift != 0) {
      e.note += "; moved to " + std::to_string(e.outAddress);
    }
    entries.push_back(e);
  }
  return out;
}

}  // namespace qvnf
