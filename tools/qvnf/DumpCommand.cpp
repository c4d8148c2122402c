// dump: one block's data as a hex listing, typed values or text, written
// while the data are read.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "Commands.h"
#include "Dump.h"
#include "Output.h"

namespace qvnf {
namespace {

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

// The escaped text as the content of a JSON string.
void JsonEscaped(Out& out, std::string_view text) {
  for (const char ch : text) {
    if (ch == '\\' || ch == '"') out.Put('\\');
    if (ch == '\n') {
      out.Put("\\n");
    } else if (ch == '\t') {
      out.Put("\\t");
    } else {
      out.Put(ch);
    }
  }
}

void PrintJsonDump(const Options& o, Cursor& c, Out& out, const FoundBlock& f,
                   std::int64_t from, std::int64_t size, DumpAs as) {
  JsonOut j(out);
  j.Object()
      .Key("address")
      .Int(f.block.address)
      .Key("as")
      .Str(DumpAsName(as))
      .Key("data_address")
      .Int(from)
      .Key("data_size")
      .Int(size)
      .Key("file")
      .Str(o.path);
  if (as == DumpAs::Hex) {
    j.Key("hex").Raw("\"");
    for (std::int64_t at = from; at < from + size;) {
      std::size_t got = 0;
      const unsigned char* data = c.GetSome(at, got);
      if (data == nullptr) break;
      const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(
          static_cast<std::int64_t>(got), from + size - at));
      out.Put(HexBytes(data, n, ""));
      at += static_cast<std::int64_t>(n);
    }
    out.Put('"');
  } else if (as != DumpAs::Text) {
    const std::int64_t width = as == DumpAs::F64 ? 8 : 4;
    j.Key("left_over").Int(size % width);
  }
  j.Key("name").Str(f.block.name);
  if (as == DumpAs::Text) {
    j.Key("text").Raw("\"");
    EscapedText(c, from, size,
                [&out](std::string_view piece) { JsonEscaped(out, piece); });
    out.Put('"');
  } else if (as != DumpAs::Hex) {
    j.Key("values").Array();
    TypedValues(c, from, size, as, [&](const DumpValue& d) {
      if (as == DumpAs::I32 || as == DumpAs::U32)
        j.Int(d.integer);
      else
        j.Real(d.real);
    });
    j.End();
  }
  j.Key("version").Int(f.block.version).End().Finish();
}

void PrintTextDump(Cursor& c, Out& out, const FoundBlock& f, std::int64_t from,
                   std::int64_t size, DumpAs as) {
  out.Printf("# %s at %d, version %s: %lld data bytes at %lld\n",
             f.block.name.Str().c_str(), f.block.address,
             VersionText(f.block.version).c_str(), static_cast<long long>(size),
             static_cast<long long>(from));
  if (as == DumpAs::Hex) {
    HexListing(c, from, size, out);
  } else if (as == DumpAs::Text) {
    EscapedText(c, from, size,
                [&out](std::string_view piece) { out.Put(piece); });
    out.Put('\n');
  } else {
    const std::int64_t left =
        TypedValues(c, from, size, as, [&](const DumpValue& d) {
          out.Hex(static_cast<std::uint64_t>(d.offset), 8);
          out.Put(": ");
          out.Put(ValueText(d, as));
          out.Put('\n');
        });
    if (left > 0)
      out.Printf("# %lld byte%s left over\n", static_cast<long long>(left),
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
  Cursor c;
  if (!c.Open(o.path)) return OpenFailure(c, o.json);
  FoundBlock f;
  const bool found =
      o.at.empty() ? FindBlock(c, o.block, f) : FindBlockAt(c, address, f);
  std::int64_t from = 0, size = 0;
  std::string why =
      o.at.empty() ? "no block named " + o.block : "no block at " + o.at;
  if (!found || !DataExtent(f, from, size, why)) {
    if (found)
      why = f.block.name.Str() + " at " + std::to_string(f.block.address) +
            ": " + why;
    PrintError(o.path, why, o.json, o.path + ": " + why);
    return kExitDamaged;
  }
  Out out;
  if (o.json)
    PrintJsonDump(o, c, out, f, from, size, as);
  else
    PrintTextDump(c, out, f, from, size, as);
  return kExitOk;
}

}  // namespace qvnf
