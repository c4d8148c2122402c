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
/// of broken nests mended. Hands one entry per piece to entry. Bytes that
/// go to the output unchanged are written a stretch at a time, read
/// through a window of the assembler's own.
class Assembler {
 public:
  using Write = std::function<bool(const unsigned char*, std::size_t)>;
  Assembler(Cursor& c, Write write,
            std::function<void(const SalvageEntry&)> entry);
  /// The header, as it goes to the output.
  void Header(const unsigned char* bytes, const SalvageEntry& e);
  void Add(const Piece& p);
  /// Writes what is still waiting; returns the output's size.
  std::int64_t Finish();
  /// True when a piece could not be read (a failing device).
  bool ReadFailed() const { return readFailed_; }

 private:
  void Put(const unsigned char* data, std::size_t n);
  void Copy(std::int64_t from, std::int64_t to);
  void Flush();
  void Filler(std::int64_t size);

  Cursor& c_;
  Cursor own_;    // the copies' window, when the file opens again
  Cursor* copy_;  // own_, or c_
  Write write_;
  std::function<void(const SalvageEntry&)> entry_;
  std::int64_t out_ = 0;    // bytes of the output so far, waiting ones too
  std::int64_t shift_ = 0;  // output offset minus input offset
  std::int64_t dropStart_ = -1, dropEnd_ = -1;
  std::int64_t copyFrom_ = 0, copyTo_ = 0;  // input bytes waiting to go
  bool readFailed_ = false;
};

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_SALVAGEPLAN_H
