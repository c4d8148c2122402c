// qvnf - looks inside neutral files: header, block chain and nesting,
// consistency, colour tables and raw data; compares two files and
// salvages a damaged one. Text for people, --json for scripts.
//
// Exit status: 0 success (check: a sound file; diff: the same; salvage:
// the input was sound), 1 a damaged or different file, or one that is not
// a neutral file, 2 a usage or I/O error (output that cannot be written
// too).
#include <QvBase/QvVersion.h>
#include <CLI/CLI.hpp>
#include <cstdio>

#include <string>

#include "Commands.h"

int main(int argc, char** argv) {
  CLI::App app{"qvnf: look inside neutral files"};
  app.require_subcommand(1);
  // Options start with '-' on every system, so that a path such as
  // /data/model.qnf is a file on Windows too.
  app.allow_windows_style_options(false);
  // The library's version is the loaded library's own, which a newer 1.x
  // installed since qvnf was built changes.
  app.set_version_flag(
      "-V,--version",
      std::string("qvnf " QVNF_VERSION "\nQvBase ") + QvBaseVersion(),
      "print the versions of qvnf and of QvBase and exit");
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
      {"tree", "the chain with the blocks nested in each block's data",
       &qvnf::RunTree},
  };
  for (const Single& s : singles)
    command(s.name, s.help, s.run)
        ->add_option("FILE", o.path, "neutral file")
        ->required();

  CLI::App* dump =
      command("dump", "one block's data: hex listing, typed values or text",
              &qvnf::RunDump);
  dump->add_option("FILE", o.path, "neutral file")->required();
  CLI::Option_group* which = dump->add_option_group("block", "the block");
  which->add_option("--block", o.block,
                    "first block of this name (top level first)");
  which->add_option("--at", o.at,
                    "block whose id block starts at ADDRESS (decimal or 0x)");
  which->require_option(1);
  dump->add_option("--as", o.as, "hex (default), i32, u32, f32, f64 or text")
      ->check(CLI::IsMember({"hex", "i32", "u32", "f32", "f64", "text"}));

  CLI::App* diff = command(
      "diff", "compare two files block by block: exit 0 the same, 1 different",
      &qvnf::RunDiff);
  diff->add_option("A", o.path, "first neutral file")->required();
  diff->add_option("B", o.second, "second neutral file")->required();

  CLI::App* salvage = command(
      "salvage",
      "write a sound file of every recoverable block: exit 0 the input was "
      "sound, 1 something was repaired or dropped",
      &qvnf::RunSalvage);
  salvage->add_option("IN", o.path, "damaged neutral file (only read)")
      ->required();
  salvage->add_option("OUT", o.second, "file to write (never IN)")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int rc = app.exit(e);
    return rc == 0 ? qvnf::kExitOk : qvnf::kExitUsage;
  }
  const int status = chosen(o);
  // A listing that could not be written whole (a full disk) is an I/O
  // error, whatever the command found.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("qvnf: cannot write the output\n", stderr);
    return qvnf::kExitUsage;
  }
  return status;
}
