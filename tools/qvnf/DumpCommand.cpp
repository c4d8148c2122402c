// dump: one block's data as a hex listing, typed values or text.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "Commands.h"
#include "Dump.h"
#include "Tree.h"

namespace qvnf {
namespace {

using nlohmann::json;

// A decimal or 0x-prefixed hexadecimal address of at most 2^31 - 1.
bool ParseAddress(const std::string& text, std::int64_t& address) {
  const bool hex =
      text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.size() > 10) return false;
  for (char c : digits)
    if (!(hex ? std::isxdigit(static_cast<unsigned char>(c))
              : std::isdigit(static_cast<unsigned char>(c))))
      return false;
  const long long v = std::strtoll(digits.c_str(), nullptr, hex ? 16 : 10);
  if (v > 0x7fffffffLL) return false;
  address = v;
  return true;
}

void PrintJsonDump(const Options& o, const View& v, const TreeNode& n,
                   std::int64_t from, std::int64_t size, DumpAs as) {
  json j = {{"file", o.path},
            {"name", n.block.name},
            {"address", n.block.address},
            {"version", n.block.version},
            {"data_address", from},
            {"data_size", size},
            {"as", DumpAsName(as)}};
  if (as == DumpAs::Hex) {
    j["hex"] = HexBytes(v.data + from, static_cast<std::size_t>(size), "");
  } else if (as == DumpAs::Text) {
    j["text"] = EscapedText(v, from, size);
  } else {
    json values = json::array();
    j["left_over"] = TypedValues(v, from, size, as, [&](const DumpValue& d) {
      if (as == DumpAs::I32 || as == DumpAs::U32)
        values.push_back(d.integer);
      else
        values.push_back(d.real);
    });
    j["values"] = values;
  }
  PrintJson(j);
}

void PrintTextDump(const View& v, const TreeNode& n, std::int64_t from,
                   std::int64_t size, DumpAs as) {
  std::printf("# %s at %d, version %s: %lld data bytes at %lld\n",
              n.block.name.c_str(), n.block.address,
              VersionText(n.block.version).c_str(),
              static_cast<long long>(size), static_cast<long long>(from));
  if (as == DumpAs::Hex) {
    HexListing(v, from, size, [](const std::string& line) {
      std::printf("%s\n", line.c_str());
    });
  } else if (as == DumpAs::Text) {
    std::printf("%s\n", EscapedText(v, from, size).c_str());
  } else {
    const std::int64_t left =
        TypedValues(v, from, size, as, [as](const DumpValue& d) {
          std::printf("%08llx: %s\n", static_cast<unsigned long long>(d.offset),
                      ValueText(d, as).c_str());
        });
    if (left > 0)
      std::printf("# %lld byte%s left over\n", static_cast<long long>(left),
                  left == 1 ? "" : "s");
  }
}

}  // namespace

int RunDump(const Options& o) {
  DumpAs as = DumpAs::Hex;
  std::int64_t address = -1;
  if (!ParseDumpAs(o.as, as)) {
    std::cerr << "qvnf: --as: not one of hex, i32, u32, f32, f64, text\n";
    return kExitUsage;
  }
  if (!o.at.empty() && !ParseAddress(o.at, address)) {
    std::cerr << "qvnf: --at: not an address: " << o.at << "\n";
    return kExitUsage;
  }
  const Image image = LoadImage(o.path);
  if (image.status != OpenStatus::Ok) return OpenFailure(image, o.json);
  const View v = ViewOf(image);
  const std::vector<TreeNode> tree = BuildTree(v);
  const TreeNode* n =
      o.at.empty() ? FindBlock(tree, o.block) : FindBlockAt(tree, address);
  std::int64_t from = 0, size = 0;
  std::string why =
      o.at.empty() ? "no block named " + o.block : "no block at " + o.at;
  if (n == nullptr || !DataExtent(*n, from, size, why)) {
    if (n != nullptr)
      why = n->block.name + " at " + std::to_string(n->block.address) + ": " +
            why;
    if (o.json) PrintJson({{"file", o.path}, {"error", why}});
    std::cerr << "qvnf: " << o.path << ": " << why << "\n";
    return kExitDamaged;
  }
  if (o.json)
    PrintJsonDump(o, v, *n, from, size, as);
  else
    PrintTextDump(v, *n, from, size, as);
  return kExitOk;
}

}  // namespace qvnf
