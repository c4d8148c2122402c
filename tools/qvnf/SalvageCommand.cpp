// salvage: a sound copy of a damaged file, with one line per block.
#include <cstdio>
#include <iostream>

#include "Commands.h"
#include "SafeSave.h"
#include "Salvage.h"

namespace qvnf {

int RunSalvage(const Options& o) {
  if (IsSameFile(o.path, o.second)) {
    std::cerr << "qvnf: " << o.second << " is the input file " << o.path
              << "; salvage never writes over its input\n";
    return kExitUsage;
  }
  const Image in = LoadImage(o.path);
  if (in.status == OpenStatus::IoError || in.status == OpenStatus::TooLarge) {
    OpenFailure(in, o.json);
    return kExitUsage;
  }
  const Salvaged s = Salvage(in);
  std::string error;
  if (!SaveReplacing(s.bytes, o.second, error)) {
    std::cerr << "qvnf: " << o.second << ": " << error << "\n";
    return kExitUsage;
  }
  int counts[3] = {0, 0, 0};
  nlohmann::json entries = nlohmann::json::array();
  for (const SalvageEntry& e : s.entries) {
    ++counts[static_cast<int>(e.action)];
    if (o.json) {
      entries.push_back({{"action", ActionName(e.action)},
                         {"address", e.address},
                         {"size", e.size},
                         {"name", e.name},
                         {"note", e.note},
                         {"out_address", e.outAddress}});
      continue;
    }
    std::printf("%-8s  %10lld  %-8s  %lld bytes%s%s\n", ActionName(e.action),
                static_cast<long long>(e.address),
                e.name.empty() ? "-" : e.name.c_str(),
                static_cast<long long>(e.size), e.note.empty() ? "" : ": ",
                e.note.c_str());
  }
  if (o.json)
    PrintJson({{"in", o.path},
               {"out", o.second},
               {"sound", s.sound},
               {"out_size", s.bytes.size()},
               {"entries", entries}});
  else
    std::printf("%s: %zu bytes; %d kept, %d repaired, %d dropped\n",
                o.second.c_str(), s.bytes.size(), counts[0], counts[1],
                counts[2]);
  return s.sound ? kExitOk : kExitDamaged;
}

}  // namespace qvnf
