// Salvage.h - `qvnf salvage`: a sound neutral file made of everything of a
// damaged one that can be recovered, written while the input is read.
//
// A file that passes check is copied as it is, byte for byte. Otherwise the
// header is kept when it is sound and rebuilt (with the maker name in both
// texts) when not, and the chain is followed from offset 121 to where it
// breaks. The end address shown wrong there is repaired: a colour table's
// by its count, if its data agree; any other block keeps the blocks nested
// at the start of its data, up to the null block that closes their list,
// and ends at the next block whose chain reaches the end of the file, or
// failing that at the next whose chain holds (ends at a null block, or at
// a block cut off by the end of the file), or at the end of the file. What
// is no block is dropped up to the next block whose chain holds. A chain
// that reaches the end of the file exactly is always preferred, and no end
// address is changed that the damage can be explained without (16 bytes
// that are no id block, an id block or more before the next block that
// holds, are an overwritten id block); docs/qvnf.md tells how a break
// shows which end address is wrong.
//
// Kept blocks keep their offsets, so that the absolute end addresses of
// the blocks nested in their data stay right: a dropped stretch of 16
// bytes or more becomes a filler block of the same size ("QvnfFill",
// version 0, zero data). A shorter stretch cannot hold an id block; the
// blocks after it move up by its size, and their own and their nested end
// addresses (as `qvnf tree` finds them, at every depth) are rewritten. A
// broken nest (see Nest.h) is mended: its end address becomes the end of
// its parent's data.
#ifndef QVBASE_TOOLS_QVNF_SALVAGE_H
#define QVBASE_TOOLS_QVNF_SALVAGE_H

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "Cursor.h"

namespace qvnf {

enum class SalvageAction { Kept, Repaired, Dropped };

/// One block of the input, or one stretch of it that is no block.
struct SalvageEntry {
  SalvageAction action = SalvageAction::Kept;
  std::int64_t address = 0;      // in the input
  std::int64_t size = 0;         // bytes of the input it covers
  BlockName name;                // "" for a stretch that is not a block
  std::string note;              // why it was repaired or dropped
  std::int64_t outAddress = -1;  // where it lies in the output; -1 dropped
};

/// What a salvage did.
struct SalvageResult {
  bool sound = false;         // the input passed check: it was copied whole
  std::int64_t outSize = 0;   // bytes written
  int counts[3] = {0, 0, 0};  // entries kept, repaired, dropped
  bool readFailed = false;    // the input could not be read to its end
};

/// Salvages a file opened with any status but IoError and TooLarge (a
/// file that is too short or not a neutral file gets a rebuilt header):
/// hands the output's bytes in order to write and one entry per block or
/// stretch of the input, header first, to entry.
SalvageResult Salvage(
    Cursor& in,
    const std::function<bool(const unsigned char*, std::size_t)>& write,
    const std::function<void(const SalvageEntry&)>& entry);

std::string_view ActionName(SalvageAction action);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_SALVAGE_H
