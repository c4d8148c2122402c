// SalvagePlan.h - the two steps behind Salvage: planning which stretches
// of the input are kept, repaired or dropped, and assembling the output
// from that plan. Internal to the salvage.
#ifndef QVBASE_TOOLS_QVNF_SALVAGEPLAN_H
#define QVBASE_TOOLS_QVNF_SALVAGEPLAN_H

#include <cstdint>
#include <string>
#include <vector>

#include "Image.h"
#include "Salvage.h"

namespace qvnf {

/// A stretch [start, end) of the input after the header. A repaired block
/// ends at end, whatever its stored end address says.
struct Piece {
  SalvageAction action = SalvageAction::Kept;
  std::int64_t start = 0, end = 0;
  std::string name;
  std::string note;
};

/// The pieces from offset 121 to the end of the input, in order and
/// without gaps. Kept and repaired pieces are sound blocks.
std::vector<Piece> PlanBlocks(const View& v);

/// Bytes of the pieces that are kept or repaired.
std::int64_t RecoveredBytes(const std::vector<Piece>& pieces);

/// The output: header, then the kept and repaired pieces with fillers or
/// moved addresses over the dropped ones. Adds one entry per piece.
std::vector<unsigned char> Assemble(const View& v,
                                    std::vector<unsigned char> header,
                                    const std::vector<Piece>& pieces,
                                    std::vector<SalvageEntry>& entries);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_SALVAGEPLAN_H
