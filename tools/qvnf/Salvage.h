// Salvage.h - `qvnf salvage`: a sound neutral file made of everything of a
// damaged one that can be recovered.
//
// A file that passes check is taken as it is, byte for byte. Otherwise the
// header is kept when it is sound and rebuilt (with the maker name in both
// texts) when not, and the chain is followed from offset 121. Where it
// breaks - an end address that is 0, points backwards or past the file,
// or an id block that is not one - the salvage searches forward for the
// next intact block: a plausible id block (1-8 printable characters padded
// with zero bytes, an end address inside the file past its own id block)
// whose end address is the end of the file or the start of another such
// name. A block whose end address alone is broken is kept when the next
// intact block bounds it; a colour table is kept only when its own count
// gives exactly its extent and its data are sound.
//
// Kept blocks keep their offsets, so that the absolute end addresses of
// the blocks nested in their data stay right: a dropped stretch of 16
// bytes or more becomes a filler block of the same size ("QvnfFill",
// version 0, zero data). A shorter stretch cannot hold an id block; the
// blocks after it move up by its size, and their own and their nested end
// addresses (as `qvnf tree` finds them) are rewritten.
#ifndef QVBASE_TOOLS_QVNF_SALVAGE_H
#define QVBASE_TOOLS_QVNF_SALVAGE_H

#include <cstdint>
#include <string>
#include <vector>

#include "Image.h"

namespace qvnf {

enum class SalvageAction { Kept, Repaired, Dropped };

/// One block of the input, or one stretch of it that is no block.
struct SalvageEntry {
  SalvageAction action = SalvageAction::Kept;
  std::int64_t address = 0;      // in the input
  std::int64_t size = 0;         // bytes of the input it covers
  std::string name;              // "" for a stretch that is not a block
  std::string note;              // why it was repaired or dropped
  std::int64_t outAddress = -1;  // where it lies in the output; -1 dropped
};

struct Salvaged {
  bool sound = false;  // the input passed check: bytes are the input's
  std::vector<SalvageEntry> entries;  // the header first, then file order
  std::vector<unsigned char> bytes;   // the output file
};

/// Salvages an image of any status but IoError and TooLarge (a file that
/// is too short or not a neutral file gets a rebuilt header).
Salvaged Salvage(const Image& in);

const char* ActionName(SalvageAction action);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_SALVAGE_H
