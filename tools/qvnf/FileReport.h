// FileReport.h - the walking and checking behind the qvnf tool, kept apart
// from argument parsing and printing so that tests can call it directly.
//
// Everything is read through QvNeutralFile on a stream the module opens
// itself; files with a non-zero order byte are read with reversed values.
// A damaged file never makes the walk crash or loop: every block address is
// checked against the file size before it is read, and the walk stops at
// the first block whose end address cannot lead on.
#ifndef QVBASE_TOOLS_QVNF_FILEREPORT_H
#define QVBASE_TOOLS_QVNF_FILEREPORT_H

#include <cstdint>
#include <string>
#include <vector>

namespace qvnf {

/// How far a file could be opened.
enum class OpenStatus {
  Ok,          // a neutral file (its header may still have problems)
  IoError,     // missing or unreadable: errorText says why
  TooShort,    // shorter than an id block plus the order byte
  NotNeutral,  // first block is not named "WyNF"
};

struct HeaderInfo {
  std::string name;
  std::int32_t endAddress = 0;
  std::uint32_t version = 0;
  unsigned orderByte = 0;
  bool complete = false;  // all 121 bytes present
  std::string date, shortText, longText;
};

/// Why a block ends the walk, if it does.
enum class BlockMark {
  Ok,
  Uncompleted,   // end address 0: never completed (or a top-level null block)
  EndPastFile,   // end address beyond the end of the file, or negative
  EndBackwards,  // end address before the end of its own id block
  Loop,          // leads back to a block already walked
  Truncated,     // the id block itself is cut off by the end of the file
};

struct BlockInfo {
  std::int32_t address = 0;
  std::string name;
  std::uint32_t version = 0;
  std::int32_t endAddress = 0;
  std::int64_t dataSize = 0;  // end address - (address + 16); 0 if marked
  BlockMark mark = BlockMark::Ok;
};

struct ColorTableInfo {
  std::int32_t address = 0;
  std::uint32_t version = 0;
  unsigned count = 0;  // as stored
  std::vector<std::vector<float>> colors;
  std::vector<std::string> problems;
};

struct Report {
  std::string path;
  OpenStatus status = OpenStatus::IoError;
  std::string errorText;  // for IoError
  std::int64_t fileSize = 0;
  HeaderInfo header;
  std::vector<BlockInfo> blocks;  // top-level chain after the header
  std::vector<ColorTableInfo> colorTables;
};

/// Opens path and walks its header, top-level chain and colour tables.
Report Inspect(const std::string& path);

/// One line per problem of a file opened with status Ok: header fields,
/// chain marks and the data of the blocks this tool knows. Empty: sound.
std::vector<std::string> Problems(const Report& report);

/// The line that explains a status other than Ok, with the path.
std::string StatusMessage(const Report& report);

/// Short word for a mark ("ok", "uncompleted", ...) and its explanation.
const char* MarkName(BlockMark mark);
std::string MarkText(const BlockInfo& block, std::int64_t fileSize);

/// A version as "yyyy-mm-dd" when it reads as a date, else "".
std::string VersionDate(std::uint32_t version);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_FILEREPORT_H
