#include "ColorTable.h"

namespace qvnf {
namespace {

constexpr std::int64_t kColorSize = 16;  // four floats

bool ReadCount(Cursor& c, std::int64_t address, unsigned& count) {
  const unsigned char* p = c.Get(address + kIdBlockSize, 1);
  if (p == nullptr) return false;
  count = *p;
  return true;
}

}  // namespace

bool IsColorTable(std::string_view name) {
  return name == "ColorTab";
}

ColorTableInfo ReadColorTable(Cursor& c, const BlockInfo& b) {
  ColorTableInfo t;
  t.address = b.address;
  t.version = b.version;
  if (b.version != kColorTableVersion) {
    t.problems.push_back("colour table of unknown version " +
                         std::to_string(b.version));
    return t;
  }
  if (!ReadCount(c, b.address, t.count)) {
    t.problems.push_back("colour table has no count");
    return t;
  }
  const std::int64_t first = std::int64_t{b.address} + kIdBlockSize + 1;
  const std::int64_t colorsEnd = first + kColorSize * t.count;
  for (unsigned i = 0;
       i < t.count && first + kColorSize * (i + 1) <= b.endAddress; ++i) {
    float rgba[4];
    bool ok = true;
    for (int k = 0; k < 4; ++k)
      ok = ok && c.F32(first + kColorSize * i + 4 * k, rgba[k]);
    if (!ok) break;
    t.colors.push_back({rgba[0], rgba[1], rgba[2], rgba[3]});
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
                        ReadId(c, colorsEnd, closing) && IsNullBlock(closing);
  if (!haveNull)
    t.problems.push_back("colour table lacks its closing null block");
  return t;
}

std::int64_t ColorTableEnd(Cursor& c, std::int64_t address) {
  IdView id;
  unsigned count = 0;
  if (!ReadId(c, address, id) || id.version != kColorTableVersion ||
      !ReadCount(c, address, count))
    return -1;
  return address + kIdBlockSize + 1 + kColorSize * count + kIdBlockSize;
}

}  // namespace qvnf
