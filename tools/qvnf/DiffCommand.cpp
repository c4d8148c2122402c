// diff: what differs between two neutral files, block by block, printed
// while the files are walked.
#include <utility>

#include "Commands.h"
#include "Diff.h"
#include "Output.h"

namespace qvnf {
namespace {

std::string Hex(const std::vector<unsigned char>& b) {
  return HexBytes(b.data(), b.size(), " ");
}

// Bytes as the text shows them: "(end)" for none, at the end of a file.
std::string ShownHex(const std::vector<unsigned char>& b) {
  return b.empty() ? "(end)" : Hex(b);
}

std::string RefText(const BlockRef& r) {
  return r.name + " #" + std::to_string(r.occurrence) + " at " +
         std::to_string(r.block.address);
}

std::string ChangeText(const BlockDiff& c) {
  std::string t = c.name + " #" + std::to_string(c.occurrence) + " (at " +
                  std::to_string(c.a.address) + " | " +
                  std::to_string(c.b.address) + "):";
  std::string sep = " ";
  if (c.versionDiffers) {
    t += sep + "version " + std::to_string(c.a.version) + " | " +
         std::to_string(c.b.version);
    sep = "; ";
  }
  if (!c.damageA.empty()) {
    t += sep + "damage " + c.damageA + " | " + c.damageB;
    sep = "; ";
  }
  if (c.dataDiffer) {
    if (c.toEnd)
      t += sep + "data to the end of the file";
    else if (c.a.dataSize != c.b.dataSize)
      t += sep + "data size " + std::to_string(c.a.dataSize) + " | " +
           std::to_string(c.b.dataSize) + ",";
    else
      t += sep + "data";
    t += " first difference at offset " + std::to_string(c.offset) + ": " +
         ShownHex(c.bytesA) + " | " + ShownHex(c.bytesB);
  }
  return t;
}

void RefJson(JsonOut& j, const BlockRef& r) {
  j.Object()
      .Key("address")
      .Int(r.block.address)
      .Key("name")
      .Str(r.name)
      .Key("occurrence")
      .Int(r.occurrence)
      .End();
}

void ChangeJson(JsonOut& j, const BlockDiff& c) {
  j.Object()
      .Key("address_a")
      .Int(c.a.address)
      .Key("address_b")
      .Int(c.b.address);
  if (c.dataDiffer)
    j.Key("bytes_a").Str(Hex(c.bytesA)).Key("bytes_b").Str(Hex(c.bytesB));
  if (!c.damageA.empty())
    j.Key("damage_a").Str(c.damageA).Key("damage_b").Str(c.damageB);
  j.Key("data_size_a").Int(c.a.dataSize).Key("data_size_b").Int(c.b.dataSize);
  if (c.dataDiffer) j.Key("first_difference").Int(c.offset);
  j.Key("name").Str(c.name).Key("occurrence").Int(c.occurrence);
  if (c.toEnd) j.Key("to_end").Bool(true);
  j.Key("version_a").Int(c.a.version).Key("version_b").Int(c.b.version).End();
}

void PrintJson(Differ& d, const Cursor& a, const Cursor& b, Out& out) {
  JsonOut j(out);
  const bool same = d.Same();
  j.Object().Key("a").Str(a.Path()).Key("b").Str(b.Path());
  j.Key("changed").Array();
  if (!same) d.Changed([&j](const BlockDiff& c) { ChangeJson(j, c); });
  j.End().Key("header").Array();
  if (!same)
    d.Header([&j](const FieldDiff& f) {
      j.Object()
          .Key("a")
          .Str(f.a)
          .Key("b")
          .Str(f.b)
          .Key("field")
          .Str(f.field)
          .End();
    });
  j.End();
  for (const bool inA : {true, false}) {
    j.Key(inA ? "only_in_a" : "only_in_b").Array();
    if (!same) d.OnlyIn(inA, [&j](const BlockRef& r) { RefJson(j, r); });
    j.End();
  }
  if (!same && d.Reported() == 0) {
    const ByteDiff& f = d.FirstDifference();
    j.Key("other_difference")
        .Object()
        .Key("bytes_a")
        .Str(Hex(f.a))
        .Key("bytes_b")
        .Str(Hex(f.b))
        .Key("offset")
        .Int(f.offset)
        .End();
  }
  j.Key("same").Bool(same).End().Finish();
}

void PrintText(Differ& d, const Cursor& a, const Cursor& b, Out& out) {
  if (d.Same()) {
    out.Printf("%s and %s: the same\n", a.Path().c_str(), b.Path().c_str());
    return;
  }
  d.Header([&out](const FieldDiff& f) {
    out.Printf("header %s: %s | %s\n", f.field.c_str(), f.a.c_str(),
               f.b.c_str());
  });
  for (const Cursor* c : {&a, &b})
    d.OnlyIn(c == &a, [&out, c](const BlockRef& r) {
      out.Printf("only in %s: %s\n", c->Path().c_str(), RefText(r).c_str());
    });
  d.Changed([&out](const BlockDiff& c) {
    out.Put(ChangeText(c));
    out.Put('\n');
  });
  if (d.Reported() == 0) {
    const ByteDiff& f = d.FirstDifference();
    out.Printf("other bytes first differ at offset %lld: %s | %s\n",
               static_cast<long long>(f.offset), ShownHex(f.a).c_str(),
               ShownHex(f.b).c_str());
  }
}

}  // namespace

int RunDiff(const Options& o) {
  Cursor a, b;
  for (auto [c, path] : {std::pair(&a, &o.path), std::pair(&b, &o.second)})
    if (!c->Open(*path)) {
      OpenFailure(*c, o.json);
      return kExitUsage;  // no comparison could be made
    }
  Differ d(a, b);
  Out out;
  if (o.json)
    PrintJson(d, a, b, out);
  else
    PrintText(d, a, b, out);
  return d.Same() ? kExitOk : kExitDamaged;
}

}  // namespace qvnf
