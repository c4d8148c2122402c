#include "SalvagePlan.h"

#include <set>

#include "ColorTable.h"
#include "Tree.h"

namespace qvnf {
namespace {

// A plausible id block at q whose end address is the end of the file or
// the start of something named like a block: a place to go on from.
bool IsIntact(const View& v, std::int64_t q) {
  IdView id;
  if (!HasIdName(v, q) || !ReadId(v, q, id) || !IsPlausible(id, v.size))
    return false;
  return id.endAddress == v.size || HasIdName(v, id.endAddress);
}

// Finds the next intact block. It remembers the stretch it searched last
// ([from, found) holds none), so that searches over the same stretch
// again, as a failed repair and the drop after it make, cost nothing and
// a whole plan stays linear in the size of the file.
class IntactFinder {
 public:
  explicit IntactFinder(const View& v) : v_(v) {}

  // The first intact block at or after from, or -1.
  std::int64_t Find(std::int64_t from) {
    if (from_ >= 0 && from >= from_ && (found_ < 0 || from <= found_))
      return found_;
    std::int64_t found = -1;
    for (std::int64_t q = from; q + kIdBlockSize <= v_.size; ++q) {
      if (q == from_) {
        found = found_;  // the rest was searched before
        break;
      }
      if (IsIntact(v_, q)) {
        found = q;
        break;
      }
    }
    from_ = from;
    found_ = found;
    return found;
  }

 private:
  const View& v_;
  std::int64_t from_ = -1, found_ = -1;
};

// The first problem of the colour table [address, end), or "".
std::string ColorTableProblem(const View& v, const IdView& id,
                              std::int64_t end) {
  BlockInfo b;
  b.address = static_cast<std::int32_t>(id.address);
  b.name = id.name;
  b.version = id.version;
  b.endAddress = static_cast<std::int32_t>(end);
  b.dataSize = end - (id.address + kIdBlockSize);
  const ColorTableInfo t = ReadColorTable(v, b);
  return t.problems.empty() ? std::string() : t.problems.front();
}

std::string EndTrouble(const IdView& id, std::int64_t fileSize) {
  const std::string end = std::to_string(id.endAddress);
  if (id.endAddress == 0) return "never completed (end address 0)";
  if (id.endAddress < 0 || id.endAddress > fileSize)
    return "end address " + end + " is outside the file";
  return "end address " + end + " points backwards";
}

// Where the blocks nested at the start of the data at dataStart end, as
// the tree finds them with the rest of the file as the parent's data: at
// the first null block, which closes their list, or after the last of
// them; the data start itself when none begins there.
std::int64_t NestedEnd(const View& v, std::int64_t dataStart) {
  std::set<std::int64_t> visited;
  std::int64_t end = dataStart;
  for (const TreeNode& n : NestedBlocks(v, dataStart, v.size, 1, visited)) {
    if (n.isNull) return n.block.address + kIdBlockSize;
    end = n.block.endAddress;
  }
  return end;
}

class Planner {
 public:
  explicit Planner(const View& v) : v_(v), finder_(v) {}

  std::vector<Piece> Run() {
    for (std::int64_t pos = kHeaderSize; pos < v_.size;) pos = Step(pos);
    return std::move(pieces_);
  }

 private:
  void Add(SalvageAction action, std::int64_t start, std::int64_t end,
           std::string name, std::string note) {
    pieces_.push_back({action, start, end, std::move(name), std::move(note)});
  }

  // Plans the piece at pos; returns where the next one begins.
  std::int64_t Step(std::int64_t pos) {
    IdView id;
    if (!ReadId(v_, pos, id)) {
      Add(SalvageAction::Dropped, pos, v_.size, "",
          "too few bytes at the end for an id block");
      return v_.size;
    }
    if (IsPlausible(id, v_.size)) {
      const std::string problem = IsColorTable(id.name)
                                      ? ColorTableProblem(v_, id, id.endAddress)
                                      : std::string();
      Add(problem.empty() ? SalvageAction::Kept : SalvageAction::Dropped, pos,
          id.endAddress, id.name, problem);
      return id.endAddress;
    }
    // The chain breaks here.
    std::string why = "not an id block";
    if (id.idName && IsNullBlock(id)) {
      why = "null block at top level";
    } else if (id.idName) {
      const std::int64_t end = RepairedEnd(id);
      const std::string trouble = EndTrouble(id, v_.size);
      if (end > 0) {
        Add(SalvageAction::Repaired, pos, end, id.name,
            trouble + "; now " + std::to_string(end));
        return end;
      }
      why = trouble + (IsColorTable(id.name)
                           ? "; its count gives no sound extent"
                           : "; nothing after it bounds its data");
    }
    const std::int64_t next =
        finder_.Find(pos + (id.idName ? kIdBlockSize : 1));
    const std::int64_t resume = next < 0 ? v_.size : next;
    Add(SalvageAction::Dropped, pos, resume, id.idName ? id.name : "", why);
    return resume;
  }

  // Where a block whose end address is broken really ends, or -1 when
  // that cannot be told. A colour table's count gives its extent, and its
  // data must agree. Any other block keeps the blocks nested at the start
  // of its data, so that a list and the null block closing it stay
  // together, and ends at the next intact block after them, or at the end
  // of the file when they reach it exactly.
  std::int64_t RepairedEnd(const IdView& id) {
    if (IsColorTable(id.name)) {
      const std::int64_t end = ColorTableEnd(v_, id.address);
      if (end < 0 || end > v_.size || !ColorTableProblem(v_, id, end).empty())
        return -1;
      return end == v_.size || IsIntact(v_, end) ? end : -1;
    }
    const std::int64_t dataStart = id.address + kIdBlockSize;
    const std::int64_t nestedEnd = NestedEnd(v_, dataStart);
    const std::int64_t next = finder_.Find(nestedEnd);
    if (next >= 0) return next;
    return nestedEnd == v_.size && nestedEnd > dataStart ? v_.size : -1;
  }

  const View& v_;
  IntactFinder finder_;
  std::vector<Piece> pieces_;
};

}  // namespace

std::vector<Piece> PlanBlocks(const View& v) {
  return Planner(v).Run();
}

std::int64_t RecoveredBytes(const std::vector<Piece>& pieces) {
  std::int64_t n = 0;
  for (const Piece& p : pieces)
    if (p.action != SalvageAction::Dropped) n += p.end - p.start;
  return n;
}

}  // namespace qvnf
