// diff: what differs between two neutral files, block by block.
#include <cstdio>

#include "Commands.h"
#include "Diff.h"

namespace qvnf {
namespace {

using nlohmann::json;

std::string Hex(const std::vector<unsigned char>& b) {
  return HexBytes(b.data(), b.size(), " ");
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
    if (c.a.dataSize != c.b.dataSize)
      t += sep + "data size " + std::to_string(c.a.dataSize) + " | " +
           std::to_string(c.b.dataSize) + ",";
    else
      t += sep + "data";
    t += " first difference at offset " + std::to_string(c.offset) + ": " +
         (c.bytesA.empty() ? "(end)" : Hex(c.bytesA)) + " | " +
         (c.bytesB.empty() ? "(end)" : Hex(c.bytesB));
  }
  return t;
}

json RefJson(const BlockRef& r) {
  return {{"name", r.name},
          {"occurrence", r.occurrence},
          {"address", r.block.address}};
}

json ChangeJson(const BlockDiff& c) {
  json j = {{"name", c.name},
            {"occurrence", c.occurrence},
            {"address_a", c.a.address},
            {"address_b", c.b.address},
            {"version_a", c.a.version},
            {"version_b", c.b.version},
            {"data_size_a", c.a.dataSize},
            {"data_size_b", c.b.dataSize}};
  if (!c.damageA.empty()) {
    j["damage_a"] = c.damageA;
    j["damage_b"] = c.damageB;
  }
  if (c.dataDiffer) {
    j["first_difference"] = c.offset;
    j["bytes_a"] = Hex(c.bytesA);
    j["bytes_b"] = Hex(c.bytesB);
  }
  return j;
}

}  // namespace

int RunDiff(const Options& o) {
  const Image a = LoadImage(o.path), b = LoadImage(o.second);
  for (const Image* im : {&a, &b})
    if (im->status != OpenStatus::Ok) {
      OpenFailure(*im, o.json);
      return kExitUsage;  // no comparison could be made
    }
  const DiffResult d = Diff(a, b);
  if (o.json) {
    json header = json::array(), onlyA = json::array(), onlyB = json::array(),
         changed = json::array();
    for (const FieldDiff& f : d.header)
      header.push_back({{"field", f.field}, {"a", f.a}, {"b", f.b}});
    for (const BlockRef& r : d.onlyA) onlyA.push_back(RefJson(r));
    for (const BlockRef& r : d.onlyB) onlyB.push_back(RefJson(r));
    for (const BlockDiff& c : d.changed) changed.push_back(ChangeJson(c));
    PrintJson({{"a", a.path},
               {"b", b.path},
               {"same", d.Same()},
               {"header", header},
               {"only_in_a", onlyA},
               {"only_in_b", onlyB},
               {"changed", changed}});
  } else if (d.Same()) {
    std::printf("%s and %s: the same\n", a.path.c_str(), b.path.c_str());
  } else {
    for (const FieldDiff& f : d.header)
      std::printf("header %s: %s | %s\n", f.field.c_str(), f.a.c_str(),
                  f.b.c_str());
    for (const BlockRef& r : d.onlyA)
      std::printf("only in %s: %s\n", a.path.c_str(), RefText(r).c_str());
    for (const BlockRef& r : d.onlyB)
      std::printf("only in %s: %s\n", b.path.c_str(), RefText(r).c_str());
    for (const BlockDiff& c : d.changed)
      std::printf("%s\n", ChangeText(c).c_str());
  }
  return d.Same() ? kExitOk : kExitDamaged;
}

}  // namespace qvnf
