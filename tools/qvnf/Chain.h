// Chain.h - the walk of a file's top-level chain, from the header at
// offset 0 from block to block by end address, shared by every command.
#ifndef QVBASE_TOOLS_QVNF_CHAIN_H
#define QVBASE_TOOLS_QVNF_CHAIN_H

#include <cstdint>
#include <string>
#include <vector>

#include "Image.h"

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
  std::string name;
  std::uint32_t version = 0;
  std::int32_t endAddress = 0;
  std::int64_t dataSize = 0;  // end address - (address + 16); 0 if marked
  BlockMark mark = BlockMark::Ok;
};

/// The top-level chain, header first. The walk ends at the end of the file
/// or at the first block whose mark is not Ok (that block is the last one
/// listed), so each block is listed once and lies inside the file.
std::vector<BlockInfo> WalkChain(const View& v);

/// True when the chain reaches the end of the file with every block Ok.
bool IsWholeChain(const std::vector<BlockInfo>& chain);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_CHAIN_H
