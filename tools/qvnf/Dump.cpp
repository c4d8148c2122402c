#include "Dump.h"

#include <algorithm>
#include <cstdio>

namespace qvnf {
namespace {

struct AsName {
  DumpAs as;
  const char* name;
};
constexpr AsName kNames[] = {{DumpAs::Hex, "hex"}, {DumpAs::I32, "i32"},
                             {DumpAs::U32, "u32"}, {DumpAs::F32, "f32"},
                             {DumpAs::F64, "f64"}, {DumpAs::Text, "text"}};

template <typename Match>
const TreeNode* FindIn(const std::vector<TreeNode>& nodes, Match match) {
  const TreeNode* found = nullptr;
  ForEachNode(nodes, [&](const TreeNode& n) {
    if (found == nullptr && match(n)) found = &n;
  });
  return found;
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

const TreeNode* FindBlock(const std::vector<TreeNode>& tree,
                          const std::string& name) {
  const std::string stored = name.substr(0, 8);
  for (const TreeNode& n : tree)
    if (n.block.name == stored) return &n;
  return FindIn(
      tree, [&stored](const TreeNode& n) { return n.block.name == stored; });
}

const TreeNode* FindBlockAt(const std::vector<TreeNode>& tree,
                            std::int64_t address) {
  return FindIn(tree, [address](const TreeNode& n) {
    return n.block.address == address && n.block.mark != BlockMark::Truncated;
  });
}

bool DataExtent(const TreeNode& node, std::int64_t& from, std::int64_t& size,
                std::string& why) {
  from = std::int64_t{node.block.address} + kIdBlockSize;
  if (node.isNull) {
    size = 0;
    return true;
  }
  if (node.block.mark != BlockMark::Ok) {
    why = "its end address " + std::to_string(node.block.endAddress) +
          " gives its data no end";
    return false;
  }
  size = node.block.dataSize;
  return true;
}

void HexListing(const View& v, std::int64_t from, std::int64_t size,
                const std::function<void(const std::string&)>& line) {
  const std::int64_t end = std::min(from + size, v.size);
  for (std::int64_t at = from; at < end; at += 16) {
    char buf[96];
    int n = std::snprintf(buf, sizeof buf,
                          "%08llx:", static_cast<unsigned long long>(at));
    std::string ascii;
    for (std::int64_t i = at; i < at + 16; ++i) {
      if (i < end) {
        const unsigned char c = v.data[i];
        n += std::snprintf(buf + n, sizeof buf - n, " %02x", c);
        ascii += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '.';
      } else {
        n += std::snprintf(buf + n, sizeof buf - n, "   ");
      }
    }
    line(std::string(buf) + "  " + ascii);
  }
}

std::int64_t TypedValues(const View& v, std::int64_t from, std::int64_t size,
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
      ok = ReadI32(v, at, i);
      d.integer = i;
    } else if (as == DumpAs::U32) {
      std::uint32_t u = 0;
      ok = ReadU32(v, at, u);
      d.integer = u;
    } else if (as == DumpAs::F32) {
      float f = 0;
      ok = ReadF32(v, at, f);
      d.real = f;
    } else if (as == DumpAs::F64) {
      ok = ReadF64(v, at, d.real);
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

std::string EscapedText(const View& v, std::int64_t from, std::int64_t size) {
  std::string out;
  const std::int64_t end = std::min(from + size, v.size);
  for (std::int64_t i = std::max<std::int64_t>(from, 0); i < end; ++i) {
    const unsigned char c = v.data[i];
    if (c == '\\') {
      out += "\\\\";
    } else if ((c >= 0x20 && c < 0x7f) || c == '\n' || c == '\t') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    }
  }
  return out;
}

}  // namespace qvnf
