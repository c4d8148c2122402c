// info, blocks, check and colors: the header, the chain, the problems and
// the colour tables of one file, each printed while the file is walked.
#include "ColorTable.h"
#include "Commands.h"
#include "FileReport.h"
#include "Output.h"

namespace qvnf {
namespace {

std::string OrderText(unsigned orderByte) {
  return orderByte == 0
             ? "little-endian (order byte 0)"
             : "big-endian (order byte " + std::to_string(orderByte) + ")";
}

void BlockJson(JsonOut& j, const BlockInfo& b, std::int64_t fileSize) {
  j.Object()
      .Key("address")
      .Int(b.address)
      .Key("data_size")
      .Int(b.dataSize)
      .Key("end_address")
      .Int(b.endAddress)
      .Key("mark")
      .Str(MarkName(b.mark))
      .Key("name")
      .Str(b.name);
  if (b.mark != BlockMark::Ok) j.Key("problem").Str(MarkText(b, fileSize));
  j.Key("version").Int(b.version);
  const std::string date = VersionDate(b.version);
  if (!date.empty()) j.Key("version_date").Str(date);
  j.End();
}

// Runs show on a neutral file, or reports why it is none.
template <typename Show>
int WithFile(const Options& o, Show show) {
  Cursor c;
  if (!c.Open(o.path)) return OpenFailure(c, o.json);
  Out out;
  return show(c, out);
}

}  // namespace

int RunInfo(const Options& o) {
  return WithFile(o, [&o](Cursor& c, Out& out) {
    const HeaderInfo h = ReadHeader(c);
    // The fields that the file holds are shown; a header that the end of
    // the file cuts off is damage, as check reports it.
    const int status = h.complete ? kExitOk : kExitDamaged;
    if (o.json) {
      JsonOut j(out);
      j.Object()
          .Key("byte_order")
          .Str(h.orderByte == 0 ? "little" : "big")
          .Key("file")
          .Str(c.Path())
          .Key("file_size")
          .Int(c.Size())
          .Key("header")
          .Object()
          .Key("date")
          .Str(h.date)
          .Key("end_address")
          .Int(h.endAddress)
          .Key("long_text")
          .Str(h.longText)
          .Key("name")
          .Str(h.name)
          .Key("short_text")
          .Str(h.shortText)
          .Key("version")
          .Int(h.version)
          .End()
          .Key("order_byte")
          .Int(h.orderByte);
      if (!h.complete) j.Key("problem").Str(HeaderCutOff(c.Size()));
      j.End().Finish();
      return status;
    }
    out.Printf("file:        %s\n", c.Path().c_str());
    out.Printf("size:        %lld bytes\n", static_cast<long long>(c.Size()));
    out.Printf("byte order:  %s\n", OrderText(h.orderByte).c_str());
    out.Printf("header:      %s, version %s, end %d\n", h.name.c_str(),
               VersionText(h.version).c_str(), h.endAddress);
    out.Printf("date:        %s\n", h.date.c_str());
    out.Printf("short text:  %s\n", h.shortText.c_str());
    out.Printf("long text:   %s\n", h.longText.c_str());
    if (!h.complete)
      out.Printf("problem:     %s\n", HeaderCutOff(c.Size()).c_str());
    return status;
  });
}

int RunBlocks(const Options& o) {
  return WithFile(o, [&o](Cursor& c, Out& out) {
    JsonOut j(out);
    VersionTexts versions;
    if (o.json)
      j.Object().Key("blocks").Array();
    else
      out.Printf("%10s  %-8s  %-22s  %10s  %10s\n", "address", "name",
                 "version", "end", "data size");
    ChainWalk walk(c);
    for (BlockInfo b; walk.Next(b);) {
      if (o.json) {
        BlockJson(j, b, c.Size());
        continue;
      }
      Fields line(out);
      line.Right(b.address, 10);
      if (b.mark == BlockMark::Truncated) {
        line.Done();
        PutMark(out, b, c.Size());
        out.Put('\n');
        continue;
      }
      line.Text("  ").Name8(b.name);
      BlockColumns(line, versions, b);
      PutMark(out, b, c.Size());
      out.Put('\n');
    }
    if (o.json)
      j.End()
          .Key("file")
          .Str(c.Path())
          .Key("file_size")
          .Int(c.Size())
          .End()
          .Finish();
    return walk.Whole() ? kExitOk : kExitDamaged;
  });
}

int RunCheck(const Options& o) {
  return WithFile(o, [&o](Cursor& c, Out& out) {
    JsonOut j(out);
    if (o.json) j.Object().Key("file").Str(c.Path()).Key("problems").Array();
    std::size_t blocks = 0;
    const std::size_t problems = CheckFile(
        c,
        [&](const std::string& p) {
          if (o.json) {
            j.Str(p);
          } else {
            out.Put(c.Path());
            out.Put(": ");
            out.Put(p);
            out.Put('\n');
          }
        },
        &blocks);
    if (o.json)
      j.End().Key("sound").Bool(problems == 0).End().Finish();
    else if (problems == 0)
      out.Printf("%s: sound (%zu blocks)\n", c.Path().c_str(), blocks);
    return problems == 0 ? kExitOk : kExitDamaged;
  });
}

int RunColors(const Options& o) {
  return WithFile(o, [&o](Cursor& c, Out& out) {
    bool damaged = false, any = false;
    std::string broken;  // where the chain breaks, unless at a colour table
    JsonOut j(out);
    if (o.json) j.Object().Key("color_tables").Array();
    ChainWalk walk(c);
    for (BlockInfo b; walk.Next(b);) {
      const bool table = b.address != 0 && IsColorTable(b.name);
      if (b.mark != BlockMark::Ok && !table)
        broken = "chain broken at " + std::to_string(b.address) + ": " +
                 MarkText(b, c.Size()) + "; no colour table after it is read";
      if (!table) continue;
      // A table whose end address cannot be followed is damaged: its data
      // have no extent (a file cut off inside them, most often).
      ColorTableInfo t;
      if (b.mark == BlockMark::Ok) {
        t = ReadColorTable(c, b);
      } else {
        t.address = b.address;
        t.version = b.version;
        t.problems.push_back(MarkText(b, c.Size()));
      }
      any = true;
      damaged |= !t.problems.empty();
      if (o.json) {
        j.Object().Key("address").Int(t.address).Key("colors").Array();
        for (const auto& rgba : t.colors) {
          j.Array();
          for (float v : rgba) j.Real(v);
          j.End();
        }
        j.End().Key("count").Int(t.count).Key("problems").Array();
        for (const std::string& p : t.problems) j.Str(p);
        j.End().Key("version").Int(t.version).End();
        continue;
      }
      out.Printf("colour table at %d, version %s: %u colours\n", t.address,
                 VersionText(t.version).c_str(), t.count);
      for (std::size_t i = 0; i < t.colors.size(); ++i) {
        const auto& rgba = t.colors[i];
        out.Printf("  %3zu: r %g  g %g  b %g  a %g\n", i, rgba[0], rgba[1],
                   rgba[2], rgba[3]);
      }
      for (const std::string& p : t.problems) out.Printf("  ! %s\n", p.c_str());
    }
    if (o.json) {
      j.End().Key("file").Str(c.Path());
      if (!broken.empty()) j.Key("problem").Str(broken);
      j.End().Finish();
    } else {
      if (!any) out.Printf("no colour table in %s\n", c.Path().c_str());
      if (!broken.empty()) out.Printf("! %s\n", broken.c_str());
    }
    return damaged || !broken.empty() ? kExitDamaged : kExitOk;
  });
}

}  // namespace qvnf
