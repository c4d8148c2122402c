// The qvnf inspector on arbitrary files: the chain walk and check, the
// nests, dumps of the blocks found, diff against the file itself and
// against a copy changed in one place, and the salvage, whose output must
// pass check and be its own salvage.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "Diff.h"
#include "Dump.h"
#include "FileReport.h"
#include "FuzzUtil.h"
#include "Nest.h"
#include "Salvage.h"

namespace {

using qvnf::BlockInfo;
using qvnf::Cursor;
using qvnf::NestItem;

// Every walked block lies inside the file, after the one before it, and
// only the last one may carry a mark that ends the walk. Returns the
// chain.
std::vector<BlockInfo> CheckChain(Cursor& c) {
  std::vector<BlockInfo> chain;
  qvnf::ChainWalk walk(c);
  for (BlockInfo b; walk.Next(b);) {
    QV_FUZZ_CHECK(b.address >= 0 && b.address < c.Size());
    QV_FUZZ_CHECK(chain.empty() || (chain.back().mark == qvnf::BlockMark::Ok &&
                                    b.address == chain.back().endAddress));
    QV_FUZZ_CHECK(b.dataSize >= 0);
    if (b.mark == qvnf::BlockMark::Ok) QV_FUZZ_CHECK(b.endAddress <= c.Size());
    qvnf::MarkText(b, c.Size());
    qvnf::VersionDate(b.version);
    chain.push_back(b);
  }
  QV_FUZZ_CHECK(walk.Whole() == (chain.back().mark == qvnf::BlockMark::Ok));
  return chain;
}

// Nested blocks lie inside their parent's data, each after the one
// before it, the walk leaves every level it enters, and the depth limit
// holds; returns the number of items.
std::size_t CheckNest(Cursor& c, const BlockInfo& b, int maxDepth) {
  std::vector<std::int64_t> ends{b.endAddress};
  std::int64_t last = b.address;
  std::size_t items = 0;
  qvnf::NestWalk nest(c, std::int64_t{b.address} + 16, b.endAddress, maxDepth);
  for (NestItem item; nest.Next(item); ++items) {
    QV_FUZZ_CHECK(item.depth >= 1 && item.depth <= maxDepth);
    if (item.kind == NestItem::Leave) {
      QV_FUZZ_CHECK(static_cast<int>(ends.size()) == item.depth + 1);
      ends.pop_back();
      continue;
    }
    QV_FUZZ_CHECK(static_cast<int>(ends.size()) == item.depth);
    QV_FUZZ_CHECK(item.id.address > last &&
                  item.id.address + 16 <= ends.back() &&
                  item.limit == std::min<std::int64_t>(ends.back(), c.Size()));
    last = item.id.address;
    if (item.kind == NestItem::Block) {
      QV_FUZZ_CHECK(item.id.endAddress <= ends.back());
      if (item.depth < maxDepth) ends.push_back(item.id.endAddress);
    }
  }
  QV_FUZZ_CHECK(ends.size() == 1);
  return items;
}

void CheckDumps(Cursor& c, const std::vector<BlockInfo>& chain,
                std::FILE* sink) {
  qvnf::Out out(sink);
  for (std::size_t i = 0; i < chain.size() && i < 8; ++i) {
    qvnf::FoundBlock f;
    if (!qvnf::FindBlockAt(c, chain[i].address, f)) {
      QV_FUZZ_CHECK(chain[i].mark == qvnf::BlockMark::Truncated);
      continue;
    }
    qvnf::FoundBlock named;
    QV_FUZZ_CHECK(qvnf::FindBlock(c, f.block.name.Str(), named));
    std::int64_t from = 0, size = 0;
    std::string why;
    if (!qvnf::DataExtent(f, from, size, why)) continue;
    QV_FUZZ_CHECK(from >= 0 && size >= 0 && from + size <= c.Size());
    QV_FUZZ_CHECK(qvnf::HexListing(c, from, size, out) == (size + 15) / 16);
    for (qvnf::DumpAs as : {qvnf::DumpAs::I32, qvnf::DumpAs::F64}) {
      std::int64_t values = 0;
      const std::int64_t left =
          qvnf::TypedValues(c, from, size, as, [&](const qvnf::DumpValue& d) {
            QV_FUZZ_CHECK(d.offset >= from && d.offset < from + size);
            qvnf::ValueText(d, as);
            ++values;
          });
      const std::int64_t width = as == qvnf::DumpAs::F64 ? 8 : 4;
      QV_FUZZ_CHECK(values * width + left == size && left < width);
    }
    std::int64_t text = 0;
    qvnf::EscapedText(c, from, size, [&text](std::string_view piece) {
      text += static_cast<std::int64_t>(piece.size());
    });
    QV_FUZZ_CHECK(text >= size && text <= 4 * size);
  }
}

// diff names a difference exactly when the bytes differ, and where they
// first differ when nothing else shows it.
void CheckDiff(const std::string& a, const std::string& bytesA,
               const std::string& bytesB) {
  const std::string& b = qvfuzz::WriteScratch(2, bytesB);
  Cursor ca, cb;
  if (!ca.Open(a) || !cb.Open(b)) return;
  qvnf::Differ d(ca, cb);
  QV_FUZZ_CHECK(d.Same() == (bytesA == bytesB));
  if (d.Same()) return;
  d.Header([](const qvnf::FieldDiff&) {});
  d.OnlyIn(true, [](const qvnf::BlockRef&) {});
  d.OnlyIn(false, [](const qvnf::BlockRef&) {});
  d.Changed([&](const qvnf::BlockDiff& c) {
    QV_FUZZ_CHECK(c.versionDiffers || !c.damageA.empty() || c.dataDiffer);
  });
  const qvnf::ByteDiff& first = d.FirstDifference();
  const auto at = static_cast<std::size_t>(first.offset);
  QV_FUZZ_CHECK(at <= std::min(bytesA.size(), bytesB.size()));
  QV_FUZZ_CHECK(bytesA.compare(0, at, bytesB, 0, at) == 0);
  QV_FUZZ_CHECK(at == std::min(bytesA.size(), bytesB.size()) ||
                bytesA[at] != bytesB[at]);
}

// Salvages path; the entries cover the input in order without gaps.
std::string SalvageOf(const std::string& path, bool& sound) {
  Cursor in;
  in.Open(path);
  std::string out;
  std::int64_t covered = 0;
  const qvnf::SalvageResult r = qvnf::Salvage(
      in,
      [&out](const unsigned char* p, std::size_t n) {
        out.append(reinterpret_cast<const char*>(p), n);
        return true;
      },
      [&](const qvnf::SalvageEntry& e) {
        QV_FUZZ_CHECK(e.address == covered && (e.size > 0 || covered == 0));
        covered += e.size;
      });
  QV_FUZZ_CHECK(covered == in.Size());
  QV_FUZZ_CHECK(r.outSize == static_cast<std::int64_t>(out.size()));
  sound = r.sound;
  return out;
}

// The salvage's output passes check, is its own salvage, and is the input
// itself exactly when the input passed check.
void CheckSalvage(const std::string& path, const std::string& bytes,
                  bool inSound) {
  bool sound = false;
  const std::string out = SalvageOf(path, sound);
  QV_FUZZ_CHECK(sound == inSound);
  if (sound) QV_FUZZ_CHECK(out == bytes);
  QV_FUZZ_CHECK(out.size() <= std::max<std::size_t>(bytes.size(), 121));
  const std::string& outPath = qvfuzz::WriteScratch(1, out);
  Cursor check;
  QV_FUZZ_CHECK(check.Open(outPath));
  QV_FUZZ_CHECK(qvnf::CheckFile(check, [](const std::string&) {}) == 0);
  bool again = false;
  QV_FUZZ_CHECK(SalvageOf(outPath, again) == out && again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = qvfuzz::WriteScratch(0, bytes);
  // The copy that diff compares: one byte changed, or the end cut off.
  std::string changed = bytes;
  if (size > 0 && data[0] % 2 == 0)
    changed[(data[size - 1] * 131u + size / 2) % size] ^= 0x20;
  else if (size > 0)
    changed.resize(size - 1 - data[size - 1] % size);
  CheckDiff(path, bytes, bytes);
  CheckDiff(path, bytes, changed);
  Cursor c;
  if (!c.Open(path)) {
    QV_FUZZ_CHECK(!qvnf::StatusMessage(c).empty());
    CheckSalvage(path, bytes, false);
    return 0;
  }
  const std::vector<BlockInfo> chain = CheckChain(c);
  std::size_t blocks = 0;
  const std::size_t problems = qvnf::CheckFile(
      c, [](const std::string&) {}, &blocks);
  QV_FUZZ_CHECK(blocks == chain.size());
  QV_FUZZ_CHECK(problems > 0 || chain.back().mark == qvnf::BlockMark::Ok);
  qvnf::ReadHeader(c);
  std::size_t items = 0;
  for (const BlockInfo& b : chain)
    if (b.mark == qvnf::BlockMark::Ok && b.address != 0) {
      items += CheckNest(c, b, qvnf::kMaxDepth);
      CheckNest(c, b, qvnf::kNoDepthLimit);
    }
  QV_FUZZ_CHECK(items <= 2 * (size / 16 + 1));
  std::FILE* sink = std::fopen("/dev/null", "w");
  if (sink != nullptr) {
    CheckDumps(c, chain, sink);
    std::fclose(sink);
  }
  CheckSalvage(path, bytes, problems == 0);
  return 0;
}
