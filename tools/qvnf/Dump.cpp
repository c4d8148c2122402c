#include "Dump.h"

#include <algorithm>
#include <cstdio>

#include "Nest.h"

namespace qvnf {
namespace {

struct AsName {
  DumpAs as;
  const char* name;
};
constexpr AsName kNames[] = {{DumpAs::Hex, "hex"}, {DumpAs::I32, "i32"},
                             {DumpAs::U32, "u32"}, {DumpAs::F32, "f32"},
                             {DumpAs::F64, "f64"}, {DumpAs::Text, "text"}};

constexpr char kHexDigits[] = "0123456789abcdef";

FoundBlock FoundTop(const BlockInfo& b) {
  FoundBlock f;
  f.block = b;
  f.isNull = IsNullBlock(b);
  return f;
}

FoundBlock FoundNested(const NestItem& item) {
  FoundBlock f;
  f.isNull = item.kind == NestItem::Null;
  f.block = BlockFromId(item.id, !f.isNull);
  return f;
}

// The first block nested in b, as tree shows them, that match accepts.
template <typename Match>
bool FindNested(Cursor& c, const BlockInfo& b, Match match, FoundBlock& found) {
  if (b.mark != BlockMark::Ok || b.address == 0) return false;
  NestWalk nest(c, std::int64_t{b.address} + kIdBlockSize, b.endAddress,
                kMaxDepth);
  for (NestItem item; nest.Next(item);)
    if ((item.kind == NestItem::Block || item.kind == NestItem::Null) &&
        match(item.id)) {
      found = FoundNested(item);
      return true;
    }
  return false;
}

}  // namespace

bool ParseDumpAs(const std::string& word, DumpAs& as) {
  for (const AsName& n : kNames)
    if (word == n.name) {
      as = n.as;
      return true;
    }
  return false;
}

const char* DumpAsName(DumpAs as) {
  for (const AsName& n : kNames)
    if (n.as == as) return n.name;
  return "?";
}

bool FindBlock(Cursor& c, const std::string& name, FoundBlock& found) {
  const BlockName stored(name);
  ChainWalk top(c);
  for (BlockInfo b; top.Next(b);)
    if (b.name == stored) {
      found = FoundTop(b);
      return true;
    }
  ChainWalk walk(c);
  for (BlockInfo b; walk.Next(b);)
    if (FindNested(
            c, b, [&stored](const IdView& id) { return id.name == stored; },
            found))
      return true;
  return false;
}

bool FindBlockAt(Cursor& c, std::int64_t address, FoundBlock& found) {
  ChainWalk walk(c);
  for (BlockInfo b; walk.Next(b) && b.address <= address;) {
    if (b.address == address) {
      found = FoundTop(b);
      return b.mark != BlockMark::Truncated;
    }
    if (b.mark == BlockMark::Ok && address < b.endAddress)
      return FindNested(
          c, b, [address](const IdView& id) { return id.address == address; },
          found);
  }
  return false;
}

bool DataExtent(const FoundBlock& f, std::int64_t& from, std::int64_t& size,
                std::string& why) {
  from = std::int64_t{f.block.address} + kIdBlockSize;
  if (f.isNull) {
    size = 0;
    return true;
  }
  if (f.block.mark != BlockMark::Ok) {
    why = "its end address " + std::to_string(f.block.endAddress) +
          " gives its data no end";
    return false;
  }
  size = f.block.dataSize;
  return true;
}

std::int64_t HexListing(Cursor& c, std::int64_t from, std::int64_t size,
                        Out& out) {
  const std::int64_t end = std::min(from + size, c.Size());
  std::int64_t lines = 0;
  for (std::int64_t at = from; at < end;) {
    std::size_t got = 0;
    const unsigned char* data = c.GetSome(at, got);
    if (data == nullptr) break;
    const std::int64_t stop =
        std::min(at + static_cast<std::int64_t>(got), end);
    for (; at < stop; at += 16, data += 16, ++lines) {
      const int n = static_cast<int>(std::min<std::int64_t>(16, stop - at));
      char* p = out.Reserve(96);
      char* const line = p;
      for (int shift = 28; shift >= 0; shift -= 4)
        *p++ = kHexDigits[(at >> shift) & 15];
      *p++ = ':';
      for (int i = 0; i < 16; ++i) {
        *p++ = ' ';
        *p++ = i < n ? kHexDigits[data[i] >> 4] : ' ';
        *p++ = i < n ? kHexDigits[data[i] & 15] : ' ';
      }
      *p++ = ' ';
      *p++ = ' ';
      for (int i = 0; i < n; ++i)
        *p++ = data[i] >= 0x20 && data[i] < 0x7f ? static_cast<char>(data[i])
                                                 : '.';
      *p++ = '\n';
      out.Commit(static_cast<std::size_t>(p - line));
    }
  }
  return lines;
}

std::int64_t TypedValues(Cursor& c, std::int64_t from, std::int64_t size,
                         DumpAs as,
                         const std::function<void(const DumpValue&)>& value) {
  const std::int64_t width = as == DumpAs::F64 ? 8 : 4;
  std::int64_t at = from;
  for (; at + width <= from + size; at += width) {
    DumpValue d;
    d.offset = at;
    bool ok = false;
    if (as == DumpAs::I32) {
      std::int32_t i = 0;
      ok = c.I32(at, i);
      d.integer = i;
    } else if (as == DumpAs::U32) {
      std::uint32_t u = 0;
      ok = c.U32(at, u);
      d.integer = u;
    } else if (as == DumpAs::F32) {
      float f = 0;
      ok = c.F32(at, f);
      d.real = f;
    } else if (as == DumpAs::F64) {
      ok = c.F64(at, d.real);
    }
    if (!ok) break;
    value(d);
  }
  return from + size - at;
}

std::string ValueText(const DumpValue& d, DumpAs as) {
  char buf[64];
  if (as == DumpAs::I32 || as == DumpAs::U32)
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(d.integer));
  else
    std::snprintf(buf, sizeof buf, as == DumpAs::F32 ? "%.9g" : "%.17g",
                  d.real);
  return buf;
}

void EscapedText(Cursor& c, std::int64_t from, std::int64_t size,
                 const std::function<void(std::string_view)>& piece) {
  const std::int64_t end = std::min(from + size, c.Size());
  std::string text;
  for (std::int64_t at = std::max<std::int64_t>(from, 0); at < end;) {
    std::size_t got = 0;
    const unsigned char* data = c.GetSome(at, got);
    if (data == nullptr) break;
    const std::size_t n = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(got), end - at));
    text.clear();
    for (std::size_t i = 0; i < n; ++i) {
      const unsigned char ch = data[i];
      if (ch == '\\') {
        text += "\\\\";
      } else if ((ch >= 0x20 && ch < 0x7f) || ch == '\n' || ch == '\t') {
        text += static_cast<char>(ch);
      } else {
        text += "\\x";
        text += kHexDigits[ch >> 4];
        text += kHexDigits[ch & 15];
      }
    }
    piece(text);
    at += static_cast<std::int64_t>(n);
  }
}

}  // namespace qvnf
