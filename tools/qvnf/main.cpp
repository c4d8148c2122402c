// qvnf - looks inside neutral files: header, block chain, consistency and
// colour tables, as text or as JSON for scripts.
//
// Exit status: 0 success (for check: a sound file), 1 a damaged file or one
// that is not a neutral file, 2 a usage or I/O error.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <string>

#include "FileReport.h"

namespace {

using nlohmann::json;

constexpr int kOk = 0, kDamaged = 1, kUsage = 2;

std::string OrderText(unsigned orderByte) {
  return orderByte == 0
             ? "little-endian (order byte 0)"
             : "big-endian (order byte " + std::to_string(orderByte) + ")";
}

std::string VersionText(std::uint32_t v) {
  const std::string date = qvnf::VersionDate(v);
  return date.empty() ? std::to_string(v)
                      : std::to_string(v) + " (" + date + ")";
}

json BlockJson(const qvnf::BlockInfo& b, std::int64_t fileSize) {
  json j = {{"address", b.address},    {"name", b.name},
            {"version", b.version},    {"end_address", b.endAddress},
            {"data_size", b.dataSize}, {"mark", qvnf::MarkName(b.mark)}};
  const std::string date = qvnf::VersionDate(b.version);
  if (!date.empty()) j["version_date"] = date;
  if (b.mark != qvnf::BlockMark::Ok) j["problem"] = qvnf::MarkText(b, fileSize);
  return j;
}

// Reports a file that could not be walked; returns the exit status.
int OpenFailure(const qvnf::Report& r, bool asJson) {
  const int status = r.status == qvnf::OpenStatus::IoError ? kUsage : kDamaged;
  if (asJson)
    std::cout << json{{"file", r.path}, {"error", qvnf::StatusMessage(r)}}.dump(
                     2)
              << "\n";
  std::cerr << "qvnf: " << qvnf::StatusMessage(r) << "\n";
  return status;
}

int Info(const qvnf::Report& r, bool asJson) {
  const qvnf::HeaderInfo& h = r.header;
  if (asJson) {
    std::cout << json{{"file", r.path},
                      {"file_size", r.fileSize},
                      {"byte_order", h.orderByte == 0 ? "little" : "big"},
                      {"order_byte", h.orderByte},
                      {"header",
                       {{"name", h.name},
                        {"end_address", h.endAddress},
                        {"version", h.version},
                        {"date", h.date},
                        {"short_text", h.shortText},
                        {"long_text", h.longText}}}}
                     .dump(2)
              << "\n";
    return kOk;
  }
  std::printf("file:        %s\n", r.path.c_str());
  std::printf("size:        %lld bytes\n", static_cast<long long>(r.fileSize));
  std::printf("byte order:  %s\n", OrderText(h.orderByte).c_str());
  std::printf("header:      %s, version %s, end %d\n", h.name.c_str(),
              VersionText(h.version).c_str(), h.endAddress);
  std::printf("date:        %s\n", h.date.c_str());
  std::printf("short text:  %s\n", h.shortText.c_str());
  std::printf("long text:   %s\n", h.longText.c_str());
  return kOk;
}

int Blocks(const qvnf::Report& r, bool asJson) {
  bool damaged = false;
  json list = json::array();
  if (!asJson)
    std::printf("%10s  %-8s  %-22s  %10s  %10s\n", "address", "name", "version",
                "end", "data size");
  for (const qvnf::BlockInfo& b : r.blocks) {
    damaged |= b.mark != qvnf::BlockMark::Ok;
    if (asJson) {
      list.push_back(BlockJson(b, r.fileSize));
      continue;
    }
    if (b.mark == qvnf::BlockMark::Truncated) {
      std::printf("%10d  %s\n", b.address,
                  ("! " + qvnf::MarkText(b, r.fileSize)).c_str());
      continue;
    }
    std::printf("%10d  %-8s  %-22s  %10d  %10lld", b.address, b.name.c_str(),
                VersionText(b.version).c_str(), b.endAddress,
                static_cast<long long>(b.dataSize));
    if (b.mark != qvnf::BlockMark::Ok)
      std::printf("  ! %s", qvnf::MarkText(b, r.fileSize).c_str());
    std::printf("\n");
  }
  if (asJson)
    std::cout << json{{"file", r.path},
                      {"file_size", r.fileSize},
                      {"blocks", list}}
                     .dump(2)
              << "\n";
  return damaged ? kDamaged : kOk;
}

int Check(const qvnf::Report& r, bool asJson) {
  const std::vector<std::string> problems = qvnf::Problems(r);
  if (asJson) {
    std::cout << json{{"file", r.path},
                      {"sound", problems.empty()},
                      {"problems", problems}}
                     .dump(2)
              << "\n";
  } else if (problems.empty()) {
    std::printf("%s: sound (%zu blocks)\n", r.path.c_str(), r.blocks.size());
  } else {
    for (const std::string& p : problems)
      std::printf("%s: %s\n", r.path.c_str(), p.c_str());
  }
  return problems.empty() ? kOk : kDamaged;
}

int Colors(const qvnf::Report& r, bool asJson) {
  bool damaged = false;
  json list = json::array();
  for (const qvnf::ColorTableInfo& t : r.colorTables) {
    damaged |= !t.problems.empty();
    if (asJson) {
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
    for (const std::string& p : t.problems) std::printf("  ! %s\n", p.c_str());
  }
  if (asJson)
    std::cout << json{{"file", r.path}, {"color_tables", list}}.dump(2) << "\n";
  else if (r.colorTables.empty())
    std::printf("no colour table in %s\n", r.path.c_str());
  return damaged ? kDamaged : kOk;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"qvnf: look inside neutral files"};
  app.require_subcommand(1);
  // Options start with '-' on every system, so that a path such as
  // /data/model.qnf is a file on Windows too.
  app.allow_windows_style_options(false);
  std::string path;
  bool asJson = false;
  struct Command {
    const char* name;
    const char* help;
    int (*run)(const qvnf::Report&, bool);
  };
  const Command commands[] = {
      {"info", "header fields, byte order and file size", &Info},
      {"blocks", "the top-level block chain, with damage marked", &Blocks},
      {"check",
       "exit 0 for a sound file, 1 with one line per problem, 2 on error",
       &Check},
      {"colors", "the colour tables in the file, decoded", &Colors},
  };
  const Command* chosen = nullptr;
  for (const Command& c : commands) {
    CLI::App* sub = app.add_subcommand(c.name, c.help);
    sub->add_option("FILE", path, "neutral file")->required();
    sub->add_flag("--json", asJson, "print JSON");
    sub->callback([&chosen, &c] { chosen = &c; });
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int rc = app.exit(e);
    return rc == 0 ? kOk : kUsage;
  }
  const qvnf::Report report = qvnf::Inspect(path);
  if (report.status != qvnf::OpenStatus::Ok) return OpenFailure(report, asJson);
  return chosen->run(report, asJson);
}
