// info, blocks, check and colors: the header, the chain, the problems and
// the colour tables of one file.
#include <cstdio>

#include "Commands.h"
#include "FileReport.h"

namespace qvnf {
namespace {

using nlohmann::json;

std::string OrderText(unsigned orderByte) {
  return orderByte == 0
             ? "little-endian (order byte 0)"
             : "big-endian (order byte " + std::to_string(orderByte) + ")";
}

json BlockJson(const BlockInfo& b, std::int64_t fileSize) {
  json j = {{"address", b.address},    {"name", b.name},
            {"version", b.version},    {"end_address", b.endAddress},
            {"data_size", b.dataSize}, {"mark", MarkName(b.mark)}};
  const std::string date = VersionDate(b.version);
  if (!date.empty()) j["version_date"] = date;
  if (b.mark != BlockMark::Ok) j["problem"] = MarkText(b, fileSize);
  return j;
}

// Runs show on the report of a neutral file, or reports why there is none.
template <typename Show>
int WithReport(const Options& o, Show show) {
  const Image image = LoadImage(o.path);
  if (image.status != OpenStatus::Ok) return OpenFailure(image, o.json);
  return show(InspectImage(image));
}

}  // namespace

int RunInfo(const Options& o) {
  return WithReport(o, [&o](const Report& r) {
    const HeaderInfo& h = r.header;
    if (o.json) {
      PrintJson({{"file", r.path},
                 {"file_size", r.fileSize},
                 {"byte_order", h.orderByte == 0 ? "little" : "big"},
                 {"order_byte", h.orderByte},
                 {"header",
                  {{"name", h.name},
                   {"end_address", h.endAddress},
                   {"version", h.version},
                   {"date", h.date},
                   {"short_text", h.shortText},
                   {"long_text", h.longText}}}});
      return kExitOk;
    }
    std::printf("file:        %s\n", r.path.c_str());
    std::printf("size:        %lld bytes\n",
                static_cast<long long>(r.fileSize));
    std::printf("byte order:  %s\n", OrderText(h.orderByte).c_str());
    std::printf("header:      %s, version %s, end %d\n", h.name.c_str(),
                VersionText(h.version).c_str(), h.endAddress);
    std::printf("date:        %s\n", h.date.c_str());
    std::printf("short text:  %s\n", h.shortText.c_str());
    std::printf("long text:   %s\n", h.longText.c_str());
    return kExitOk;
  });
}

int RunBlocks(const Options& o) {
  return WithReport(o, [&o](const Report& r) {
    json list = json::array();
    if (!o.json)
      std::printf("%10s  %-8s  %-22s  %10s  %10s\n", "address", "name",
                  "version", "end", "data size");
    for (const BlockInfo& b : r.blocks) {
      if (o.json) {
        list.push_back(BlockJson(b, r.fileSize));
        continue;
      }
      if (b.mark == BlockMark::Truncated) {
        std::printf("%10d  ! %s\n", b.address, MarkText(b, r.fileSize).c_str());
        continue;
      }
      std::printf("%10d  %-8s  %-22s  %10d  %10lld", b.address, b.name.c_str(),
                  VersionText(b.version).c_str(), b.endAddress,
                  static_cast<long long>(b.dataSize));
      if (b.mark != BlockMark::Ok)
        std::printf("  ! %s", MarkText(b, r.fileSize).c_str());
      std::printf("\n");
    }
    if (o.json)
      PrintJson(
          {{"file", r.path}, {"file_size", r.fileSize}, {"blocks", list}});
    return IsWholeChain(r.blocks) ? kExitOk : kExitDamaged;
  });
}

int RunCheck(const Options& o) {
  return WithReport(o, [&o](const Report& r) {
    const std::vector<std::string> problems = Problems(r);
    if (o.json) {
      PrintJson({{"file", r.path},
                 {"sound", problems.empty()},
                 {"problems", problems}});
    } else if (problems.empty()) {
      std::printf("%s: sound (%zu blocks)\n", r.path.c_str(), r.blocks.size());
    } else {
      for (const std::string& p : problems)
        std::printf("%s: %s\n", r.path.c_str(), p.c_str());
    }
    return problems.empty() ? kExitOk : kExitDamaged;
  });
}

int RunColors(const Options& o) {
  return WithReport(o, [&o](const Report& r) {
    bool damaged = false;
    json list = json::array();
    for (const ColorTableInfo& t : r.colorTables) {
      damaged |= !t.problems.empty();
      if (o.json) {
        list.push_back({{"address", t.address},
                        {"version", t.version},
                        {"count", t.count},
                        {"colors", t.colors},
                        {"problems", t.problems}});
        continue;
      }
      std::printf("colour table at %d, version %s: %u colours\n", t.address,
                  VersionText(t.version).c_str(), t.count);
      for (std::size_t i = 0; i < t.colors.size(); ++i) {
        const auto& c = t.colors[i];
        std::printf("  %3zu: r %g  g %g  b %g  a %g\n", i, c[0], c[1], c[2],
                    c[3]);
      }
      for (const std::string& p : t.problems)
        std::printf("  ! %s\n", p.c_str());
    }
    if (o.json)
      PrintJson({{"file", r.path}, {"color_tables", list}});
    else if (r.colorTables.empty())
      std::printf("no colour table in %s\n", r.path.c_str());
    return damaged ? kExitDamaged : kExitOk;
  });
}

}  // namespace qvnf
