#include "Diff.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "FileReport.h"

namespace qvnf {

// Where each block of a chain lies, by name, in chain order: needed only
// for two chains whose names differ in order.
struct Differ::Index {
  std::unordered_map<std::uint64_t, std::vector<std::int32_t>> at;
  BlockInfo last;  // the one block whose mark may not be Ok
};

namespace {

constexpr std::int64_t kShownBytes = 8;

std::vector<unsigned char> BytesAt(Cursor& c, std::int64_t at,
                                   std::int64_t end) {
  end = std::min({end, at + kShownBytes, c.Size()});
  const unsigned char* p = at < end ? c.Get(at, end - at) : nullptr;
  if (p == nullptr) return {};
  return {p, p + (end - at)};
}

// The first i below n at which the bytes at fromA + i and fromB + i
// differ, or n.
std::int64_t Mismatch(Cursor& a, std::int64_t fromA, Cursor& b,
                      std::int64_t fromB, std::int64_t n) {
  for (std::int64_t done = 0; done < n;) {
    std::size_t gotA = 0, gotB = 0;
    const unsigned char* pa = a.GetSome(fromA + done, gotA);
    const unsigned char* pb = b.GetSome(fromB + done, gotB);
    if (pa == nullptr || pb == nullptr) return done;
    const std::size_t k = static_cast<std::size_t>(
        std::min<std::int64_t>(std::min(gotA, gotB), n - done));
    if (std::memcmp(pa, pb, k) != 0)
      return done + (std::mismatch(pa, pa + k, pb).first - pa);
    done += static_cast<std::int64_t>(k);
  }
  return n;
}

// Counts of names: a short list searched in order while there are few
// names, as in most files, and a hash table beyond.
class NameCounts {
 public:
  int& operator[](const BlockName& name) {
    const std::uint64_t key = name.Key();
    if (many_.empty()) {
      for (auto& f : few_)
        if (f.first == key) return f.second;
      if (few_.size() < 16) return few_.emplace_back(key, 0).second;
      many_.insert(few_.begin(), few_.end());
    }
    return many_[key];
  }

 private:
  std::vector<std::pair<std::uint64_t, int>> few_;
  std::unordered_map<std::uint64_t, int> many_;
};

// The blocks of a chain after the header, each with its occurrence.
template <typename Visit>
void Numbered(Cursor& c, Visit&& visit) {
  NameCounts seen;
  ChainWalk walk(c);
  BlockInfo b;
  if (!walk.Next(b)) return;
  while (walk.Next(b)) visit(b, ++seen[b.name]);
}

}  // namespace

Differ::Differ(Cursor& a, Cursor& b) : a_(a), b_(b) {}
Differ::~Differ() = default;

bool Differ::Same() {
  if (same_ >= 0) return same_ == 1;
  const std::int64_t common = std::min(a_.Size(), b_.Size());
  const std::int64_t at = Mismatch(a_, 0, b_, 0, common);
  same_ = at == common && a_.Size() == b_.Size() ? 1 : 0;
  if (same_ == 1) return true;
  first_.offset = at;
  first_.a = BytesAt(a_, at, a_.Size());
  first_.b = BytesAt(b_, at, b_.Size());
  return false;
}

void Differ::Header(const std::function<void(const FieldDiff&)>& diff) {
  const HeaderInfo ha = ReadHeader(a_), hb = ReadHeader(b_);
  std::size_t fields = 0;
  const auto field = [&](const char* name, const std::string& a,
                         const std::string& b) {
    if (a == b) return;
    diff({name, a, b});
    ++fields;
  };
  field("end_address", std::to_string(ha.endAddress),
        std::to_string(hb.endAddress));
  field("version", std::to_string(ha.version), std::to_string(hb.version));
  field("order_byte", std::to_string(ha.orderByte),
        std::to_string(hb.orderByte));
  field("date", ha.date, hb.date);
  field("short_text", ha.shortText, hb.shortText);
  field("long_text", ha.longText, hb.longText);
  reported_ += fields;
  if (fields > 0) return;
  // Equal fields can still hide different bytes (after a text's zero).
  const std::int64_t na = std::min<std::int64_t>(a_.Size(), kHeaderSize);
  const std::int64_t nb = std::min<std::int64_t>(b_.Size(), kHeaderSize);
  const std::int64_t at = Mismatch(a_, 0, b_, 0, std::min(na, nb));
  if (at < std::min(na, nb) || na != nb) {
    diff({"bytes", "differ at offset " + std::to_string(at),
          "differ at offset " + std::to_string(at)});
    ++reported_;
  }
}

bool Differ::SameShape() {
  if (shape_ < 0) {
    ChainWalk wa(a_), wb(b_);
    BlockInfo ba, bb;
    bool moreA = true, moreB = true;
    shape_ = 1;
    while (shape_ == 1 && (moreA = wa.Next(ba)) == (moreB = wb.Next(bb)) &&
           moreA)
      shape_ = ba.name.Key() == bb.name.Key() ? 1 : 0;
    if (moreA != moreB) shape_ = 0;
  }
  return shape_ == 1;
}

const Differ::Index& Differ::IndexOf(bool ofA) {
  std::unique_ptr<Index>& index = ofA ? indexA_ : indexB_;
  if (!index) {
    index = std::make_unique<Index>();
    Numbered(ofA ? a_ : b_, [&](const BlockInfo& b, int) {
      index->at[b.name.Key()].push_back(b.address);
      index->last = b;
    });
  }
  return *index;
}

void Differ::OnlyIn(bool inA,
                    const std::function<void(const BlockRef&)>& only) {
  if (SameShape()) return;
  const Index& other = IndexOf(!inA);
  Numbered(inA ? a_ : b_, [&](const BlockInfo& b, int k) {
    const auto it = other.at.find(b.name.Key());
    if (it != other.at.end() &&
        static_cast<std::size_t>(k) <= it->second.size())
      return;
    only({b.name.Str(), k, b});
    ++reported_;
  });
}

void Differ::Changed(const std::function<void(const BlockDiff&)>& changed) {
  const auto report = [&](const BlockInfo& a, int k, const BlockInfo& b) {
    BlockDiff d;
    d.name = a.name.Str();
    d.occurrence = k;
    d.a = a;
    d.b = b;
    if (!Compare(d)) return;
    changed(d);
    ++reported_;
  };
  if (SameShape()) {
    ChainWalk wb(b_);
    BlockInfo b;
    wb.Next(b);  // the header
    Numbered(a_, [&](const BlockInfo& a, int k) {
      if (wb.Next(b)) report(a, k, b);
    });
    return;
  }
  const Index& inB = IndexOf(false);
  Numbered(a_, [&](const BlockInfo& a, int k) {
    const auto it = inB.at.find(a.name.Key());
    if (it == inB.at.end() || static_cast<std::size_t>(k) > it->second.size())
      return;
    const std::int32_t at = it->second[static_cast<std::size_t>(k) - 1];
    IdView id;
    if (at == inB.last.address)
      report(a, k, inB.last);
    else if (ReadId(b_, at, id))
      report(a, k, BlockAt(b_, id));
  });
}

bool Differ::Compare(BlockDiff& d) {
  d.versionDiffers = d.a.version != d.b.version;
  const bool okA = d.a.mark == BlockMark::Ok, okB = d.b.mark == BlockMark::Ok;
  if (d.a.mark != d.b.mark || (!okA && d.a.endAddress != d.b.endAddress)) {
    d.damageA = okA ? "sound" : MarkText(d.a, a_.Size());
    d.damageB = okB ? "sound" : MarkText(d.b, b_.Size());
  }
  const std::int64_t startA = std::int64_t{d.a.address} + kIdBlockSize;
  const std::int64_t startB = std::int64_t{d.b.address} + kIdBlockSize;
  std::int64_t endA = d.a.endAddress, endB = d.b.endAddress;
  if (okA && okB) {
    // Both lie before the first differing byte: the same bytes.
    if (d.a.address == d.b.address && endA == endB && endA <= first_.offset)
      return d.versionDiffers || !d.damageA.empty();
  } else if (okA || okB || d.a.mark == BlockMark::Truncated ||
             d.b.mark == BlockMark::Truncated) {
    return d.versionDiffers || !d.damageA.empty();
  } else {
    d.toEnd = true;  // neither chain goes on: what follows is data
    endA = a_.Size();
    endB = b_.Size();
  }
  const std::int64_t sizeA = endA - startA, sizeB = endB - startB;
  const std::int64_t common = std::min(sizeA, sizeB);
  const std::int64_t first = Mismatch(a_, startA, b_, startB, common);
  if (first < common || sizeA != sizeB) {
    d.dataDiffer = true;
    d.offset = first;
    d.bytesA = BytesAt(a_, startA + first, endA);
    d.bytesB = BytesAt(b_, startB + first, endB);
  }
  return d.versionDiffers || !d.damageA.empty() || d.dataDiffer;
}

}  // namespace qvnf
