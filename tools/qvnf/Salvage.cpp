#include "Salvage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "Chain.h"
#include "FileReport.h"
#include "SalvagePlan.h"

namespace qvnf {
namespace {

// The maker name that the library writes into the headers it creates.
constexpr const char* kMakerName = "Vorlanex";

// Why the input's header cannot be kept, or "" when it can.
std::string HeaderTrouble(Cursor& in) {
  if (in.Status() == OpenStatus::TooShort || in.Size() < kHeaderSize)
    return "cut off at " + std::to_string(in.Size()) + " bytes";
  if (in.Status() != OpenStatus::Ok) return "first block is not WyNF";
  const HeaderInfo h = ReadHeader(in);
  if (h.endAddress != kHeaderSize)
    return "end address " + std::to_string(h.endAddress) + ", not 121";
  if (h.version != kHeaderVersion)
    return "version " + std::to_string(h.version) + ", not 20000701";
  return {};
}

// A header as the library writes one, in the given byte order, keeping
// the input's creation date when it is eight digits.
void RebuiltHeader(Cursor& in, bool l2r, unsigned char* h) {
  std::memset(h, 0, kHeaderSize);
  std::memcpy(h, "WyNF", 4);
  Encode32(h + 8, kHeaderSize, l2r);
  Encode32(h + 12, kHeaderVersion, l2r);
  h[16] = l2r ? 1 : 0;
  const unsigned char* date = in.Size() >= 25 ? in.Get(17, 8) : nullptr;
  for (int i = 0; date != nullptr && i < 8; ++i)
    if (date[i] < '0' || date[i] > '9') date = nullptr;
  if (date != nullptr) {
    std::memcpy(h + 17, date, 8);
  } else {
    const std::time_t now = std::time(nullptr);
    char today[16] = "00000000";
    if (const std::tm* local = std::localtime(&now))
      std::strftime(today, sizeof today, "%Y%m%d", local);
    std::memcpy(h + 17, today, 8);
  }
  const std::size_t n = std::strlen(kMakerName);
  std::memcpy(h + 25, kMakerName, n);
  std::memcpy(h + 41, kMakerName, n);
}

// The input as it is, with one kept entry per block of its chain. The
// bytes are written as the walk passes them, a window at a time: before
// the walk reads past the window, what it holds is written. Returns false
// when the input could not be read.
bool Verbatim(
    Cursor& in,
    const std::function<bool(const unsigned char*, std::size_t)>& write,
    const std::function<void(const SalvageEntry&)>& entry) {
  std::int64_t copied = 0;
  bool ok = true;
  ChainWalk walk(in);
  for (BlockInfo b; walk.Next(b);) {
    entry({SalvageAction::Kept, b.address,
           b.endAddress - std::int64_t{b.address}, b.name, "", b.address});
    const std::int64_t end = b.endAddress;
    if (end + kIdBlockSize <= in.WindowEnd() && end < in.Size()) continue;
    while (ok && copied < end) {
      std::size_t got = 0;
      const unsigned char* data = in.GetSome(copied, got);
      if (data == nullptr) return false;
      const std::size_t n = static_cast<std::size_t>(
          std::min<std::int64_t>(static_cast<std::int64_t>(got), end - copied));
      ok = write(data, n);
      copied += static_cast<std::int64_t>(n);
    }
  }
  return true;
}

// Bytes of the pieces that the plan keeps or repairs.
std::int64_t RecoveredBytes(Cursor& in) {
  std::int64_t n = 0;
  PlanBlocks(in, [&n](const Piece& p) {
    if (p.action != SalvageAction::Dropped) n += p.end - p.start;
  });
  return n;
}

}  // namespace

SalvageResult Salvage(
    Cursor& in,
    const std::function<bool(const unsigned char*, std::size_t)>& write,
    const std::function<void(const SalvageEntry&)>& entry) {
  SalvageResult r;
  const auto counted = [&](const SalvageEntry& e) {
    ++r.counts[static_cast<int>(e.action)];
    entry(e);
  };
  if (in.Status() == OpenStatus::Ok &&
      CheckFile(in, [](const std::string&) {}) == 0) {
    r.sound = true;
    r.outSize = in.Size();
    r.readFailed = !Verbatim(in, write, counted);
    return r;
  }
  if (in.Status() != OpenStatus::Ok) {
    // No header to tell the byte order: take the one that recovers more.
    const bool l2r = in.L2R();
    const std::int64_t mine = RecoveredBytes(in);
    in.SetL2R(!l2r);
    if (RecoveredBytes(in) <= mine) in.SetL2R(l2r);
  }
  const std::string trouble = HeaderTrouble(in);
  unsigned char header[kHeaderSize];
  SalvageEntry e{SalvageAction::Kept, 0, kHeaderSize, BlockName("WyNF"), "", 0};
  if (trouble.empty()) {
    std::memcpy(header, in.Get(0, kHeaderSize), kHeaderSize);
  } else {
    RebuiltHeader(in, in.L2R(), header);
    e.action = SalvageAction::Repaired;
    e.size = std::min<std::int64_t>(in.Size(), kHeaderSize);
    e.note = "header rebuilt: " + trouble;
  }
  Assembler out(in, write, counted);
  out.Header(header, e);
  PlanBlocks(in, [&out](const Piece& p) { out.Add(p); });
  r.outSize = out.Finish();
  r.readFailed = out.ReadFailed();
  return r;
}

std::string_view ActionName(SalvageAction action) {
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
