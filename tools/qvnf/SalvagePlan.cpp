#include "SalvagePlan.h"

#include <vector>

#include "ColorTable.h"
#include "FileReport.h"

namespace qvnf {
namespace {

// True for a version as blocks have them: a date, or a small number. A
// search forward takes no block with another version, so that data that
// happen to look like an id block (as floats do) rarely stop it.
bool IsVersion(std::uint32_t v) {
  return v < 0x10000 || !VersionDate(v).empty();
}

// How far the chain of plausible blocks from a place goes on.
enum class Reach {
  None,    // it breaks on something that is no block
  Holds,   // it ends at a null block (the close of a list), or at a named
           // block whose end lies past the end of the file (cut off)
  Strong,  // it reaches the end of the file exactly
};

// Tells how the chain from a plausible block ends. A chain once walked is
// remembered by a place on it that moves forward, so that a later chain
// that joins it stops there: the searches below, which ask for places
// further and further on, walk each chain about once.
class ChainReach {
 public:
  explicit ChainReach(Cursor& c) : c_(c) {}

  Reach From(std::int64_t x) {
    IdView id;
    Reach reach = Reach::None;
    for (std::int64_t y = x;;) {
      if (y == c_.Size()) {
        reach = Reach::Strong;
        break;
      }
      if (Known(y, reach)) break;
      if (!ReadId(c_, y, id)) break;
      if (y != x &&
          (IsNullBlock(id) || (id.idName && id.endAddress > c_.Size()))) {
        reach = Reach::Holds;
        break;
      }
      if (!IsPlausible(id, c_.Size())) break;
      y = id.endAddress;
    }
    known_[next_++ % kKnown] = {x, reach, true};
    return reach;
  }

 private:
  struct Chain {
    std::int64_t at = -1;  // a place on it, moved forward as asked
    Reach reach = Reach::None;
    bool used = false;
  };
  static constexpr std::size_t kKnown = 4;

  // True, with the answer, when y lies on a chain walked before.
  bool Known(std::int64_t y, Reach& reach) {
    IdView id;
    for (Chain& k : known_) {
      while (k.used && k.at < y && ReadId(c_, k.at, id) &&
             IsPlausible(id, c_.Size()))
        k.at = id.endAddress;
      if (k.used && k.at == y) {
        reach = k.reach;
        return true;
      }
    }
    return false;
  }

  Cursor& c_;
  Chain known_[kKnown];
  std::size_t next_ = 0;
};

// Finds the first plausible block at or after a place whose chain goes on
// at least as far as asked. It remembers the stretch it searched last
// ([from, found) holds none), so that the searches of a plan, which
// mostly ask for places further on, cost about one pass over the file.
class Finder {
 public:
  Finder(Cursor& c, ChainReach& reach, Reach want)
      : c_(c), reach_(reach), want_(want) {}

  // The first such block at or after from and before limit, or -1; a
  // search of its own, not remembered.
  std::int64_t FindBefore(std::int64_t from, std::int64_t limit) {
    if (from_ >= 0 && from >= from_ && (found_ < 0 || from <= found_))
      return found_ < limit ? found_ : -1;
    for (std::int64_t q = from; q < limit; ++q)
      if (IsAt(q)) return q;
    return -1;
  }

  // The first such block at or after from, or -1.
  std::int64_t Find(std::int64_t from) {
    if (from_ >= 0 && from >= from_ && (found_ < 0 || from <= found_))
      return found_;
    std::int64_t found = -1;
    for (std::int64_t q = from; q + kIdBlockSize <= c_.Size(); ++q) {
      if (q == from_) {
        found = found_;  // the rest was searched before
        break;
      }
      if (IsAt(q)) {
        found = q;
        break;
      }
    }
    from_ = from;
    found_ = found;
    return found;
  }

 private:
  bool IsAt(std::int64_t q) {
    const unsigned char* p = c_.Get(q, kIdBlockSize);
    IdView id;
    return p != nullptr && IsIdNameField(p) && ReadId(c_, q, id) &&
           IsPlausible(id, c_.Size()) && IsVersion(id.version) &&
           reach_.From(q) >= want_;
  }

  Cursor& c_;
  ChainReach& reach_;
  Reach want_;
  std::int64_t from_ = -1, found_ = -1;
};

// The first problem of the colour table [address, end), or "".
std::string ColorTableProblem(Cursor& c, const IdView& id, std::int64_t end) {
  IdView ended = id;
  ended.endAddress = static_cast<std::int32_t>(end);
  const BlockInfo b = BlockFromId(ended);
  const ColorTableInfo t = ReadColorTable(c, b);
  return t.problems.empty() ? std::string() : t.problems.front();
}

std::string EndTrouble(const IdView& id, std::int64_t fileSize) {
  const std::string end = std::to_string(id.endAddress);
  if (id.endAddress == 0) return "never completed (end address 0)";
  if (id.endAddress < 0 || id.endAddress > fileSize)
    return "end address " + end + " is outside the file";
  return "end address " + end + " points backwards";
}

class Planner {
 public:
  // The searches read through cursors of their own, so that following
  // an end address far away does not move the window that the byte by
  // byte search or the plan's walk reads from.
  Planner(Cursor& c, const std::function<void(const Piece&)>& piece)
      : c_(c),
        piece_(piece),
        reachCursor_(c),
        scanCursor_(c),
        reach_(*reachCursor_),
        strong_(*scanCursor_, reach_, Reach::Strong),
        holds_(*scanCursor_, reach_, Reach::Holds) {}

  void Run() {
    for (std::int64_t pos = kHeaderSize; pos < c_.Size();) pos = Segment(pos);
  }

 private:
  void Add(SalvageAction action, std::int64_t start, std::int64_t end,
           const BlockName& name, std::string note) {
    piece_({action, start, end, name, std::move(note)});
  }

  // A plausible block as it stands: kept, or dropped when it is a colour
  // table whose data are damaged.
  void Keep(const IdView& id) {
    const std::string problem = IsColorTable(id.name)
                                    ? ColorTableProblem(c_, id, id.endAddress)
                                    : std::string();
    Add(problem.empty() ? SalvageAction::Kept : SalvageAction::Dropped,
        id.address, id.endAddress, id.name, problem);
  }

  // Where to go on after a dropped stretch that ends no earlier than
  // from: the next block whose chain holds, or the end of the file.
  std::int64_t Resume(std::int64_t from) {
    const std::int64_t next = holds_.Find(from);
    return next < 0 ? c_.Size() : next;
  }

  // True when the plausible block b holds what tells its end address
  // wrong: a block of the list nested at the start of its data that
  // begins before that end address and ends after it, or (looked for in
  // blocks of up to kSpan bytes) a block from which the chain reaches the
  // end of the file.
  bool Overruns(const IdView& b) {
    constexpr std::int64_t kSpan = std::int64_t{16} << 20;
    IdView nested;
    for (std::int64_t x = b.address + kIdBlockSize; x < b.endAddress;
         x = nested.endAddress) {
      if (!ReadId(c_, x, nested) || !IsPlausible(nested, c_.Size())) break;
      if (nested.endAddress > b.endAddress) return true;
    }
    return b.endAddress - b.address <= kSpan &&
           strong_.FindBefore(b.address + 1, b.endAddress) >= 0;
  }

  // True when the data of the plausible block b bear out its end address:
  // a colour table whose count gives it, or a block whose data begin with
  // a list of nested blocks that ends exactly there.
  bool BornOut(const IdView& b) {
    if (IsColorTable(b.name))
      return ColorTableProblem(c_, b, b.endAddress).empty();
    IdView nested;
    std::int64_t x = b.address + kIdBlockSize;
    while (x < b.endAddress && ReadId(c_, x, nested)) {
      if (IsNullBlock(nested)) {
        x += kIdBlockSize;
        break;
      }
      if (!IsPlausible(nested, b.endAddress)) break;
      x = nested.endAddress;
    }
    return x > b.address + kIdBlockSize && x == b.endAddress;
  }

  // Plans from pos, the start of a block or of what should be one, up to
  // the start of the next piece after the first break of the chain (or
  // the end of the file); returns where the next piece begins.
  //
  // The chain from pos is walked to where it breaks, f, keeping the last
  // two blocks before it undecided. When one of them overruns (above),
  // its end address is wrong; else, when what is at f is no block, the
  // end address that led there is wrong, and when it is a block whose end
  // address is broken, that one is.
  std::int64_t Segment(std::int64_t pos) {
    IdView id, held[2];
    int n = 0;
    std::int64_t f = pos;
    for (; f < c_.Size() && ReadId(c_, f, id) && IsPlausible(id, c_.Size());
         f = id.endAddress) {
      if (n == 2) {
        Keep(held[0]);
        held[0] = held[1];
        n = 1;
      }
      held[n++] = id;
    }
    const auto keepHeld = [&](int upTo) {
      for (int i = 0; i < upTo; ++i) Keep(held[i]);
    };
    if (f == c_.Size()) {
      keepHeld(n);
      return f;
    }
    const bool readable = ReadId(c_, f, id);
    for (int i = 0; i < n; ++i)
      if (Overruns(held[i])) {
        keepHeld(i);
        return Repair(held[i], "end address " +
                                   std::to_string(held[i].endAddress) +
                                   " lies inside the blocks after it");
      }
    // The block before f is taken at its word when its data bear out its
    // end address: a colour table's count, or a list of nested blocks that
    // ends there.
    const IdView& last = held[n > 0 ? n - 1 : 0];
    const bool lastSure = n > 0 && BornOut(last);
    // Else name-like bytes are no block when their version is neither a
    // date nor a small number, as every version is, or when a block from
    // which the chain reaches the end of the file begins inside them (they
    // are the tail of the data before it and its id block).
    if (!readable || !id.idName ||
        (n > 0 && !lastSure &&
         (!IsVersion(id.version) ||
          strong_.FindBefore(f + 1, f + kIdBlockSize) >= 0))) {
      // Either the end address that led here is wrong, or it is right and
      // the id block here was overwritten. The second needs no end
      // address changed, so it wins wherever it fits: when the next block
      // whose chain holds (or the end of the file) lies at least an id
      // block further on, the 16 bytes here and the data behind them are
      // what is left of a block, and the block before ends as it says.
      if (n > 0 && !lastSure &&
          (!readable || Resume(f + 1) - f < kIdBlockSize)) {
        keepHeld(n - 1);
        return Repair(last, "end address " + std::to_string(last.endAddress) +
                                " leads to no block");
      }
      keepHeld(n);
      if (!readable) {
        Add(SalvageAction::Dropped, f, c_.Size(), BlockName(),
            "too few bytes at the end for an id block");
        return c_.Size();
      }
      const std::int64_t next = Resume(f + 1);
      Add(SalvageAction::Dropped, f, next, BlockName(), "not an id block");
      return next;
    }
    keepHeld(n);
    if (IsNullBlock(id)) {
      const std::int64_t next = Resume(f + kIdBlockSize);
      Add(SalvageAction::Dropped, f, next, id.name, "null block at top level");
      return next;
    }
    return Repair(id, EndTrouble(id, c_.Size()));
  }

  // Repairs the block whose end address is wrong: a colour table by its
  // count, when its data agree and a block that holds or the end of the
  // file follows; any other block keeps the blocks nested at the start of
  // its data and ends at the next block whose chain reaches the end of
  // the file, else the next that holds, else the end of the file. Returns
  // where the next piece begins.
  std::int64_t Repair(const IdView& id, const std::string& trouble) {
    const std::int64_t dataStart = id.address + kIdBlockSize;
    std::int64_t end = -1;
    if (IsColorTable(id.name)) {
      end = ColorTableEnd(c_, id.address);
      IdView next;
      if (end < 0 || end > c_.Size() ||
          !ColorTableProblem(c_, id, end).empty() ||
          (end < c_.Size() &&
           !(ReadId(c_, end, next) && IsPlausible(next, c_.Size()) &&
             reach_.From(end) >= Reach::Holds))) {
        const std::int64_t resume = Resume(dataStart);
        Add(SalvageAction::Dropped, id.address, resume, id.name,
            trouble + "; its count gives no sound extent");
        return resume;
      }
    } else {
      const std::int64_t nested = NestedEnd(dataStart);
      end = strong_.Find(nested);
      if (end < 0) end = holds_.Find(nested);
      if (end < 0) end = c_.Size();
    }
    Add(SalvageAction::Repaired, id.address, end, id.name,
        trouble + "; now " + std::to_string(end));
    return end;
  }

  // Where the blocks nested at the start of the data at dataStart end, as
  // tree finds them with the rest of the file as the parent's data: after
  // the null block that closes their list, or after the first of them
  // from which the chain reaches the end of the file, or after the last
  // of them; the data start itself when none begins there.
  std::int64_t NestedEnd(std::int64_t dataStart) {
    IdView id;
    for (std::int64_t x = dataStart;;) {
      if (x == c_.Size() || !ReadId(c_, x, id)) return x;
      if (IsNullBlock(id)) return x + kIdBlockSize;
      if (!IsPlausible(id, c_.Size())) return x;
      x = id.endAddress;
      IdView next;
      if (x == c_.Size() ||
          (ReadId(c_, x, next) && IsPlausible(next, c_.Size()) &&
           reach_.From(x) == Reach::Strong))
        return x;
    }
  }

  // Another cursor on the same file, read in the same byte order (or the
  // same cursor when the file cannot be opened again).
  class Second {
   public:
    explicit Second(Cursor& c) : c_(&c) {
      if (own_.OpenLike(c)) c_ = &own_;
    }
    Cursor& operator*() { return *c_; }

   private:
    Cursor own_;
    Cursor* c_;
  };

  Cursor& c_;
  const std::function<void(const Piece&)>& piece_;
  Second reachCursor_, scanCursor_;
  ChainReach reach_;
  Finder strong_, holds_;
};

}  // namespace

void PlanBlocks(Cursor& c, const std::function<void(const Piece&)>& piece) {
  Planner(c, piece).Run();
}

}  // namespace qvnf
