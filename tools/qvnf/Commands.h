// Commands.h - the qvnf commands, each printing its result as text or
// JSON and returning the exit status. main() only parses the arguments.
#ifndef QVBASE_TOOLS_QVNF_COMMANDS_H
#define QVBASE_TOOLS_QVNF_COMMANDS_H

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "Image.h"

namespace qvnf {

constexpr int kExitOk = 0, kExitDamaged = 1, kExitUsage = 2;

struct Options {
  std::string path, second;  // FILE, or A and B, or IN and OUT
  std::string block, at;     // dump: --block NAME or --at ADDRESS
  std::string as = "hex";    // dump: --as
  bool json = false;
};

int RunInfo(const Options& o);
int RunBlocks(const Options& o);
int RunCheck(const Options& o);
int RunColors(const Options& o);
int RunTree(const Options& o);
int RunDump(const Options& o);
int RunDiff(const Options& o);
int RunSalvage(const Options& o);

// Shared by the commands.

/// Prints JSON; bytes that are not UTF-8 (names from a damaged file)
/// become U+FFFD instead of stopping the output.
void PrintJson(const nlohmann::json& j);
/// "20010104 (2001-01-04)", or the bare number when it is no date.
std::string VersionText(std::uint32_t version);
/// Reports a file that could not be walked (as JSON too when asked);
/// returns 2 for an I/O error, 1 otherwise.
int OpenFailure(const Image& image, bool asJson);
/// Bytes as lowercase hex pairs, separated by sep.
std::string HexBytes(const unsigned char* data, std::size_t n, const char* sep);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_COMMANDS_H
