// qvnf - looks inside neutral files: header, block chain, consistency and
// colour tables, as text or as JSON for scripts.
//
// Exit status: 0 success (for check: a sound file), 1 a damaged file or one
// that is not a neutral file, 2 a usage or I/O error.
#include <CLI/CLI.hpp>

#include "Commands.h"

int main(int argc, char** argv) {
  CLI::App app{"qvnf: look inside neutral files"};
  app.require_subcommand(1);
  // Options start with '-' on every system, so that a path such as
  // /data/model.qnf is a file on Windows too.
  app.allow_windows_style_options(false);
  qvnf::Options o;
  int (*chosen)(const qvnf::Options&) = nullptr;
  auto command = [&](const char* name, const char* help,
                     int (*run)(const qvnf::Options&)) {
    CLI::App* sub = app.add_subcommand(name, help);
    sub->add_flag("--json", o.json, "print JSON");
    sub->callback([&chosen, run] { chosen = run; });
    return sub;
  };
  struct Single {
    const char* name;
    const char* help;
    int (*run)(const qvnf::Options&);
  };
  const Single singles[] = {
      {"info", "header fields, byte order and file size", &qvnf::RunInfo},
      {"blocks", "the top-level block chain, with damage marked",
       &qvnf::RunBlocks},
      {"check",
       "exit 0 for a sound file, 1 with one line per problem, 2 on error",
       &qvnf::RunCheck},
      {"colors", "the colour tables in the file, decoded", &qvnf::RunColors},
  };
  for (const Single& s : singles)
    command(s.name, s.help, s.run)
        ->add_option("FILE", o.path, "neutral file")
        ->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int rc = app.exit(e);
    return rc == 0 ? qvnf::kExitOk : qvnf::kExitUsage;
  }
  return chosen(o);
}
