// Nest.h - the blocks nested in a block's data, as qvnf recognises them.
//
// The format has no marker for nested blocks, so they are recognised by
// their shape: an id block that starts its parent's data or follows the
// end of a nested block before it, whose name is 1-8 printable characters
// padded with zero bytes and whose end address lies inside the parent's
// data. A null block there is given as one and the walk goes on after its
// 16 bytes; anything else ends that level. Each nested block lies strictly
// inside its parent and after the one before it, so a walk reads each
// place once and keeps only the path to where it is: the end of each
// enclosing level, one entry for a run of levels that end together (as
// the levels of a nest written by the library mostly do).
//
// A nest whose inner end addresses are wrong shows as a broken nested
// block: an id block at such a place whose end address lies past its
// parent's data and whose own data begin with a null block or with a
// nested block that fits in the extent it claims. Anything else of that
// shape is taken for data.
#ifndef QVBASE_TOOLS_QVNF_NEST_H
#define QVBASE_TOOLS_QVNF_NEST_H

#include <cstdint>
#include <limits>
#include <vector>

#include "Cursor.h"

namespace qvnf {

/// How deep tree and dump follow nesting.
constexpr int kMaxDepth = 32;
constexpr int kNoDepthLimit = std::numeric_limits<int>::max();

struct NestItem {
  enum Kind {
    Block,   // a nested block
    Null,    // a null block in a list
    Broken,  // a broken nested block: its end address is wrong
    Leave,   // the walk leaves the data of the block last entered
  };
  Kind kind = Block;
  int depth = 1;            // 1 for the blocks directly in the data walked
  IdView id;                // Block, Null, Broken
  std::int32_t stored = 0;  // the end address as the file holds it
  std::int64_t limit = 0;   // the end of the data that hold it
  bool tooDeep = false;     // a Block at the depth limit with nested blocks
};

class NestWalk {
 public:
  /// Walks the data [dataStart, dataEnd) of a block. Blocks at maxDepth
  /// are given but not entered. With mend, a broken nested block is
  /// entered as if it ended where its parent's data end; without, it ends
  /// its level. With moved, the data are walked as they will lie when
  /// moved by that many bytes: dataStart, dataEnd and every address given
  /// are where they will lie, and the end address of a block that lies
  /// inside its parent's data now moves with it (others stay as stored),
  /// so that the walk finds what a walk of the moved data will find.
  NestWalk(Cursor& c, std::int64_t dataStart, std::int64_t dataEnd,
           int maxDepth, bool mend = false, std::int64_t moved = 0);
  /// The next item in file order, parents before their children; false
  /// when the walk is done.
  bool Next(NestItem& item);

 private:
  void Enter(std::int64_t dataStart, std::int64_t end);
  bool Read(std::int64_t at, std::int64_t limit, IdView& id);
  bool IsBrokenNest(const IdView& id);

  struct Ends {
    std::int64_t end;  // where these enclosing levels end
    int levels;        // how many of them, one inside the other
  };
  Cursor& c_;
  int maxDepth_;
  bool mend_;
  std::int64_t moved_;
  std::int32_t stored_ = 0;  // the end address of the id block last read
  int depth_ = 1;            // of the level walked
  std::int64_t pos_, end_;
  std::vector<Ends> path_;
};

/// True when a nested block could begin at the start of these data.
bool HasNested(Cursor& c, std::int64_t dataStart, std::int64_t dataEnd);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_NEST_H
