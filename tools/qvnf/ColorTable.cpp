#include "ColorTable.h"

namespace qvnf {
namespace {

constexpr std::int64_t kColorSize = 16;  // four floats

bool ReadCount(const View& v, std::int64_t address, unsigned& count) {
  const std::int64_t at = address + kIdBlockSize;
  if (at < 0 || at >= v.size) return false;
  count = v.data[at];
  return true;
}

}  // namespace

bool IsColorTable(const std::string& name) {
  return name == "ColorTab";
}

ColorTableInfo ReadColorTable(const View& v, const BlockInfo& b) {
  ColorTableInfo t;
  t.address = b.address;
  t.version = b.version;
  if (b.version != kColorTableVersion) {
    t.problems.push_back("colour table of unknown version " +
                         std::to_string(b.version));
    return t;
  }
  if (!ReadCount(v, b.address, t.count)) {
    t.problems.push_back("colour table has no count");
    return t;
  }
  const std::int64_t first = std::int64_t{b.address} + kIdBlockSize + 1;
  const std::int64_t colorsEnd = first + kColorSize * t.count;
  for (unsigned i = 0;
       i < t.count && first + kColorSize * (i + 1) <= b.endAddress; ++i) {
    float c[4];
    bool ok = true;
    for (int k = 0; k < 4; ++k)
      ok = ok && ReadF32(v, first + kColorSize * i + 4 * k, c[k]);
    if (!ok) break;
    t.colors.push_back({c[0], c[1], c[2], c[3]});
  }
  if (t.colors.size() != t.count || colorsEnd + kIdBlockSize != b.endAddress) {
    t.problems.push_back(
        "colour table count " + std::to_string(t.count) +
        " disagrees with its " + std::to_string(b.dataSize) +
        " data bytes (expected " +
        std::to_string(1 + kColorSize * t.count + kIdBlockSize) + ")");
  }
  IdView closing;
  const bool haveNull = colorsEnd + kIdBlockSize <= b.endAddress &&
                        ReadId(v, colorsEnd, closing) && IsNullBlock(closing);
  if (!haveNull)
    t.problems.push_back("colour table lacks its closing null block");
  return t;
}

std::int64_t ColorTableEnd(const View& v, std::int64_t address) {
  IdView id;
  unsigned count = 0;
  if (!ReadId(v, address, id) || id.version != kColorTableVersion ||
      !ReadCount(v, address, count))
    return -1;
  return address + kIdBlockSize + 1 + kColorSize * count + kIdBlockSize;
}

}  // namespace qvnf
