// Commands.h - the qvnf commands, each printing its result as text or
// JSON and returning the exit status. main() only parses the arguments.
#ifndef QVBASE_TOOLS_QVNF_COMMANDS_H
#define QVBASE_TOOLS_QVNF_COMMANDS_H

#include <cstdint>
#include <string>

#include "Cursor.h"

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

/// "20010104 (2001-01-04)", or the bare number when it is no date. Keeps
/// the last text made, since a listing repeats a few versions.
class VersionTexts {
 public:
  const std::string& Of(std::uint32_t version);

 private:
  std::uint32_t last_ = 0;
  std::string text_;
  bool any_ = false;
};
std::string VersionText(std::uint32_t version);

class Fields;
class Out;
struct BlockInfo;
/// Ends the columns of a block's line in a listing: version, end address
/// and data size (line is done after them).
void BlockColumns(Fields& line, VersionTexts& versions, const BlockInfo& b);
/// "  ! " and the explanation of b's mark when it is not Ok; nothing else.
void PutMark(Out& out, const BlockInfo& b, std::int64_t fileSize);
/// Reports a file that could not be opened as a neutral file (as JSON too
/// when asked); returns 2 for an I/O error, 1 otherwise.
int OpenFailure(const Cursor& c, bool asJson);
/// Prints {"error": why, "file": path} when asked, and "qvnf: " and line
/// on stderr.
void PrintError(const std::string& path, const std::string& why, bool asJson,
                const std::string& line);
/// Bytes as lowercase hex pairs, separated by sep.
std::string HexBytes(const unsigned char* data, std::size_t n, const char* sep);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_COMMANDS_H
