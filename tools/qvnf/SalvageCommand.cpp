// salvage: a sound copy of a damaged file, with one line per block,
// printed while the copy is written.
#include <iostream>

#include "Commands.h"
#include "Output.h"
#include "SafeSave.h"
#include "Salvage.h"

namespace qvnf {

int RunSalvage(const Options& o) {
  if (IsSameFile(o.path, o.second)) {
    std::cerr << "qvnf: " << o.second << " is the input file " << o.path
              << "; salvage never writes over its input\n";
    return kExitUsage;
  }
  Cursor in;
  in.Open(o.path);
  if (in.Status() == OpenStatus::IoError ||
      in.Status() == OpenStatus::TooLarge) {
    OpenFailure(in, o.json);
    return kExitUsage;
  }
  SafeWriter file;
  std::string error;
  if (!file.Open(o.second, error)) {
    std::cerr << "qvnf: " << o.second << ": " << error << "\n";
    return kExitUsage;
  }
  Out out;
  JsonOut j(out);
  if (o.json) j.Object().Key("entries").Array();
  const SalvageResult r = Salvage(
      in,
      [&file](const unsigned char* data, std::size_t n) {
        return file.Write(data, n);
      },
      [&](const SalvageEntry& e) {
        if (o.json) {
          j.Object()
              .Key("action")
              .Str(ActionName(e.action))
              .Key("address")
              .Int(e.address)
              .Key("name")
              .Str(e.name)
              .Key("note")
              .Str(e.note)
              .Key("out_address")
              .Int(e.outAddress)
              .Key("size")
              .Int(e.size)
              .End();
          return;
        }
        // The action's word with the two spaces after its column.
        static constexpr std::string_view kActions[] = {
            "kept      ", "repaired  ", "dropped   "};
        Fields(out)
            .Text(kActions[static_cast<int>(e.action)])
            .Right(e.address, 10)
            .Text("  ")
            .Name8(e.name.size == 0 ? BlockName("-") : e.name)
            .Text("  ")
            .Int(e.size)
            .Text(" bytes")
            .Done();
        if (!e.note.empty()) {
          out.Put(": ");
          out.Put(e.note);
        }
        out.Put('\n');
      });
  if (r.readFailed) error = "cannot read " + o.path + " to its end";
  const bool saved = !r.readFailed && file.Commit(error);
  if (o.json) {
    j.End();
    if (!saved) j.Key("error").Str(o.second + ": " + error);
    j.Key("in").Str(o.path).Key("out").Str(o.second);
    if (saved) j.Key("out_size").Int(r.outSize);
    j.Key("sound").Bool(r.sound).End().Finish();
  } else if (saved) {
    out.Printf("%s: %lld bytes; %d kept, %d repaired, %d dropped\n",
               o.second.c_str(), static_cast<long long>(r.outSize), r.counts[0],
               r.counts[1], r.counts[2]);
  }
  if (!saved) {
    out.Flush();
    std::cerr << "qvnf: " << o.second << ": " << error << "\n";
    return kExitUsage;
  }
  return r.sound ? kExitOk : kExitDamaged;
}

}  // namespace qvnf
