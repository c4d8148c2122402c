#include "Diff.h"

#include <algorithm>
#include <map>
#include <utility>

#include "FileReport.h"

namespace qvnf {
namespace {

constexpr std::int64_t kShownBytes = 8;

void CompareField(DiffResult& d, const char* field, const std::string& a,
                  const std::string& b) {
  if (a != b) d.header.push_back({field, a, b});
}

void CompareHeaders(const Report& a, const Report& b, const Image& ia,
                    const Image& ib, DiffResult& d) {
  const HeaderInfo &ha = a.header, &hb = b.header;
  const std::size_t before = d.header.size();
  CompareField(d, "end_address", std::to_string(ha.endAddress),
               std::to_string(hb.endAddress));
  CompareField(d, "version", std::to_string(ha.version),
               std::to_string(hb.version));
  CompareField(d, "order_byte", std::to_string(ha.orderByte),
               std::to_string(hb.orderByte));
  CompareField(d, "date", ha.date, hb.date);
  CompareField(d, "short_text", ha.shortText, hb.shortText);
  CompareField(d, "long_text", ha.longText, hb.longText);
  if (d.header.size() != before) return;
  // Equal fields can still hide different bytes (after a text's zero).
  const std::size_t na = std::min<std::size_t>(ia.bytes.size(), kHeaderSize);
  const std::size_t nb = std::min<std::size_t>(ib.bytes.size(), kHeaderSize);
  const auto at = std::mismatch(ia.bytes.begin(), ia.bytes.begin() + na,
                                ib.bytes.begin(), ib.bytes.begin() + nb);
  if (at.first != ia.bytes.begin() + na || at.second != ib.bytes.begin() + nb)
    d.header.push_back(
        {"bytes",
         "differ at offset " + std::to_string(at.first - ia.bytes.begin()),
         "differ at offset " + std::to_string(at.second - ib.bytes.begin())});
}

// The chain after the header, each block with its occurrence number.
std::vector<BlockRef> Numbered(const std::vector<BlockInfo>& chain) {
  std::vector<BlockRef> refs;
  std::map<std::string, int> seen;
  for (std::size_t i = 1; i < chain.size(); ++i)
    refs.push_back({chain[i].name, ++seen[chain[i].name], chain[i]});
  return refs;
}

std::vector<unsigned char> BytesFrom(const Image& im, std::int64_t at,
                                     std::int64_t end) {
  end = std::min({end, at + kShownBytes, im.Size()});
  if (at >= end) return {};
  return {im.bytes.begin() + at, im.bytes.begin() + end};
}

// Fills in how two matched blocks differ; false when they do not.
bool CompareBlocks(const Image& ia, const Image& ib, BlockDiff& d) {
  d.versionDiffers = d.a.version != d.b.version;
  const bool okA = d.a.mark == BlockMark::Ok, okB = d.b.mark == BlockMark::Ok;
  if (d.a.mark != d.b.mark || (!okA && d.a.endAddress != d.b.endAddress)) {
    d.damageA = okA ? "sound" : MarkText(d.a, ia.Size());
    d.damageB = okB ? "sound" : MarkText(d.b, ib.Size());
  }
  if (okA && okB) {
    const std::int64_t startA = std::int64_t{d.a.address} + kIdBlockSize;
    const std::int64_t startB = std::int64_t{d.b.address} + kIdBlockSize;
    const std::int64_t common = std::min(d.a.dataSize, d.b.dataSize);
    const auto pa = ia.bytes.begin() + startA, pb = ib.bytes.begin() + startB;
    const std::int64_t first = std::mismatch(pa, pa + common, pb).first - pa;
    if (first < common || d.a.dataSize != d.b.dataSize) {
      d.dataDiffer = true;
      d.offset = first;
      d.bytesA = BytesFrom(ia, startA + first, d.a.endAddress);
      d.bytesB = BytesFrom(ib, startB + first, d.b.endAddress);
    }
  }
  return d.versionDiffers || !d.damageA.empty() || d.dataDiffer;
}

}  // namespace

DiffResult Diff(const Image& a, const Image& b) {
  DiffResult d;
  const Report ra = InspectImage(a), rb = InspectImage(b);
  CompareHeaders(ra, rb, a, b, d);
  const std::vector<BlockRef> ba = Numbered(ra.blocks),
                              bb = Numbered(rb.blocks);
  std::map<std::pair<std::string, int>, const BlockRef*> inB;
  for (const BlockRef& r : bb) inB[{r.name, r.occurrence}] = &r;
  std::map<std::pair<std::string, int>, bool> matched;
  for (const BlockRef& r : ba) {
    const auto it = inB.find({r.name, r.occurrence});
    if (it == inB.end()) {
      d.onlyA.push_back(r);
      continue;
    }
    matched[it->first] = true;
    BlockDiff bd;
    bd.name = r.name;
    bd.occurrence = r.occurrence;
    bd.a = r.block;
    bd.b = it->second->block;
    if (CompareBlocks(a, b, bd)) d.changed.push_back(std::move(bd));
  }
  for (const BlockRef& r : bb)
    if (matched.count({r.name, r.occurrence}) == 0) d.onlyB.push_back(r);
  return d;
}

}  // namespace qvnf
