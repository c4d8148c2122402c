#include "Salvage.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "FileReport.h"
#include "SalvagePlan.h"

namespace qvnf {
namespace {

// The maker name that the library writes into the headers it creates.
constexpr const char* kMakerName = "Vorlanex";

// Why the input's header cannot be kept, or "" when it can.
std::string HeaderTrouble(const Image& in) {
  if (in.status == OpenStatus::TooShort || in.Size() < kHeaderSize)
    return "cut off at " + std::to_string(in.Size()) + " bytes";
  if (in.status != OpenStatus::Ok) return "first block is not WyNF";
  const Report r = InspectImage(in);
  if (r.header.endAddress != kHeaderSize)
    return "end address " + std::to_string(r.header.endAddress) + ", not 121";
  if (r.header.version != kHeaderVersion)
    return "version " + std::to_string(r.header.version) + ", not 20000701";
  return {};
}

// A header as the library writes one, in the given byte order, keeping
// the input's creation date when it is eight digits.
std::vector<unsigned char> RebuiltHeader(const Image& in, bool l2r) {
  std::vector<unsigned char> h(kHeaderSize, 0);
  std::memcpy(h.data(), "WyNF", 4);
  Put32(h, 8, kHeaderSize, l2r);
  Put32(h, 12, kHeaderVersion, l2r);
  h[16] = l2r ? 1 : 0;
  bool digits = in.Size() >= 25;
  for (int i = 17; digits && i < 25; ++i)
    digits = in.bytes[i] >= '0' && in.bytes[i] <= '9';
  if (digits) {
    std::memcpy(h.data() + 17, in.bytes.data() + 17, 8);
  } else {
    const std::time_t now = std::time(nullptr);
    char date[16] = "00000000";
    if (const std::tm* local = std::localtime(&now))
      std::strftime(date, sizeof date, "%Y%m%d", local);
    std::memcpy(h.data() + 17, date, 8);
  }
  const std::size_t n = std::strlen(kMakerName);
  std::memcpy(h.data() + 25, kMakerName, n);
  std::memcpy(h.data() + 41, kMakerName, n);
  return h;
}

Salvaged Verbatim(const Image& in, const Report& r) {
  Salvaged s;
  s.sound = true;
  s.bytes = in.bytes;
  for (const BlockInfo& b : r.blocks)
    s.entries.push_back({SalvageAction::Kept, b.address,
                         b.endAddress - std::int64_t{b.address}, b.name, "",
                         b.address});
  return s;
}

}  // namespace

Salvaged Salvage(const Image& in) {
  if (in.status == OpenStatus::Ok) {
    const Report r = InspectImage(in);
    if (Problems(r).empty()) return Verbatim(in, r);
  }
  View v = ViewOf(in);
  std::vector<Piece> pieces = PlanBlocks(v);
  if (in.status != OpenStatus::Ok) {
    // No header to tell the byte order: take the one that recovers more.
    View other = v;
    other.l2r = !v.l2r;
    std::vector<Piece> otherPieces = PlanBlocks(other);
    if (RecoveredBytes(otherPieces) > RecoveredBytes(pieces)) {
      v = other;
      pieces = std::move(otherPieces);
    }
  }
  Salvaged s;
  const std::string trouble = HeaderTrouble(in);
  std::vector<unsigned char> header;
  if (trouble.empty()) {
    header.assign(in.bytes.begin(), in.bytes.begin() + kHeaderSize);
    s.entries.push_back({SalvageAction::Kept, 0, kHeaderSize, "WyNF", "", 0});
  } else {
    header = RebuiltHeader(in, v.l2r);
    s.entries.push_back({SalvageAction::Repaired, 0,
                         std::min<std::int64_t>(in.Size(), kHeaderSize), "WyNF",
                         "header rebuilt: " + trouble, 0});
  }
  s.bytes = Assemble(v, std::move(header), pieces, s.entries);
  return s;
}

const char* ActionName(SalvageAction action) {
  switch (action) {
    case SalvageAction::Kept:
      return "kept";
    case SalvageAction::Repaired:
      return "repaired";
    case SalvageAction::Dropped:
      return "dropped";
  }
  return "?";
}

}  // namespace qvnf
