// SalvagePlan.h - the two steps behind Salvage: planning which stretches
// of the input are kept, repaired or dropped, and assembling the output
// from that plan. Internal to the salvage; both stream, piece by piece.
#ifndef QVBASE_TOOLS_QVNF_SALVAGEPLAN_H
#define QVBASE_TOOLS_QVNF_SALVAGEPLAN_H

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "Cursor.h"
#include "Salvage.h"

namespace qvnf {

/// A stretch [start, end) of the input after the header. A repaired block
/// ends at end, whatever its stored end address says.
struct Piece {
  SalvageAction action = SalvageAction::Kept;
  std::int64_t start = 0, end = 0;
  BlockName name;
  std::string note;
};

/// Hands the pieces from offset 121 to the end of the input to piece, in
/// order and without gaps. Kept and repaired pieces are sound blocks.
void PlanBlocks(Cursor& c, const std::function<void(const Piece&)>& piece);

/// Writes the output after its header: the kept and repaired pieces, with
/// fillers or moved addresses over the dropped ones, and the end addresses
/// of broken nests mended. Hands one entry per piece to entry.
class Assembler {
 public:
  using Write = std::function<bool(const unsigned char*, std::size_t)>;
  Assembler(Cursor& c, Write write,
            std::function<void(const SalvageEntry&)> entry)
      : c_(c), write_(std::move(write)), entry_(std::move(entry)) {}
  /// The header, as it goes to the output.
  void Header(const unsigned char* bytes, const SalvageEntry& e);
  void Add(const Piece& p);
  /// Bytes written so far.
  std::int64_t Size() const { return out_; }

 private:
  void Put(const unsigned char* data, std::size_t n);
  void Copy(std::int64_t from, std::int64_t to);
  void Filler(std::int64_t size);

  Cursor& c_;
  Write write_;
  std::function<void(const SalvageEntry&)> entry_;
  std::int64_t out_ = 0;
  std::int64_t shift_ = 0;  // output offset minus input offset
  std::int64_t dropStart_ = -1, dropEnd_ = -1;
};

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_SALVAGEPLAN_H
