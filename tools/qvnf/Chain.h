// Chain.h - the walk of a file's top-level chain, from the header at
// offset 0 from block to block by end address, shared by every command.
//
// The walk keeps only its position. A sound chain only goes forward (each
// end address lies past its own id block), so it cannot come back to a
// block it has walked but through an end address that points backwards;
// that one end address is told apart as a loop by walking the chain again
// up to it.
#ifndef QVBASE_TOOLS_QVNF_CHAIN_H
#define QVBASE_TOOLS_QVNF_CHAIN_H

#include <cstdint>
#include <string>

#include "Cursor.h"

namespace qvnf {

/// Why a block ends the walk, if it does.
enum class BlockMark {
  Ok,
  Uncompleted,   // end address 0: never completed (or a top-level null block)
  EndPastFile,   // end address beyond the end of the file, or negative
  EndBackwards,  // end address before the end of its own id block
  Loop,          // leads back to a block already walked
  Truncated,     // the id block itself is cut off by the end of the file
};

struct BlockInfo {
  std::int32_t address = 0;
  BlockName name;
  std::uint32_t version = 0;
  std::int32_t endAddress = 0;
  std::int64_t dataSize = 0;  // end address - (address + 16); 0 if marked
  BlockMark mark = BlockMark::Ok;
};

/// The top-level chain, header first. The walk ends at the end of the file
/// or at the first block whose mark is not Ok (that block is the last one
/// given), so each block is given once and lies inside the file.
class ChainWalk {
 public:
  explicit ChainWalk(Cursor& c) : c_(c) {}
  /// The next block; false when the chain is done.
  bool Next(BlockInfo& b);
  /// True when the chain walked so far reached the end of the file with
  /// every block Ok (meaningful once Next has returned false).
  bool Whole() const { return whole_; }

 private:
  Cursor& c_;
  std::int64_t next_ = 0;
  bool done_ = false, whole_ = false;
};

/// The block id describes, mark Ok: its data size is what the end address
/// gives, or 0 when withData is false (a null block).
BlockInfo BlockFromId(const IdView& id, bool withData = true);

/// Whether b is a null block (named "WyNULL", end address and version 0).
bool IsNullBlock(const BlockInfo& b);

/// A block of the chain as ChainWalk gives it, read at address: for the
/// blocks that the walk passes (mark Ok) and for a last one whose mark
/// does not depend on the walk before it (every mark but Loop).
BlockInfo BlockAt(Cursor& c, const IdView& id);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_CHAIN_H
