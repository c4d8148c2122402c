// FileReport.h - what info, blocks, check and colors report: the header,
// the top-level chain and the colour tables of one file, and the list of
// its problems. Kept apart from argument parsing and printing so that
// tests and the fuzz target can call it directly.
//
// A damaged file never makes the walk crash or loop: every block address
// is checked against the file size before it is read, and the walk stops
// at the first block whose end address cannot lead on.
#ifndef QVBASE_TOOLS_QVNF_FILEREPORT_H
#define QVBASE_TOOLS_QVNF_FILEREPORT_H

#include <cstdint>
#include <string>
#include <vector>

#include "Chain.h"
#include "ColorTable.h"
#include "Image.h"

namespace qvnf {

struct HeaderInfo {
  std::string name;
  std::int32_t endAddress = 0;
  std::uint32_t version = 0;
  unsigned orderByte = 0;
  bool complete = false;  // all 121 bytes present
  std::string date, shortText, longText;
};

struct Report {
  std::string path;
  OpenStatus status = OpenStatus::IoError;
  std::string errorText;  // for IoError
  std::int64_t fileSize = 0;
  HeaderInfo header;
  std::vector<BlockInfo> blocks;  // top-level chain, header first
  std::vector<ColorTableInfo> colorTables;
};

/// Opens path and walks its header, top-level chain and colour tables.
Report Inspect(const std::string& path);
/// The same for a file already loaded.
Report InspectImage(const Image& image);

/// One line per problem of a file opened with status Ok: header fields,
/// chain marks and the data of the blocks this tool knows. Empty: sound.
std::vector<std::string> Problems(const Report& report);

/// The line that explains a status other than Ok, with the path.
std::string StatusMessage(const std::string& path, OpenStatus status,
                          const std::string& errorText, std::int64_t fileSize);
std::string StatusMessage(const Report& report);

/// Short word for a mark ("ok", "uncompleted", ...) and its explanation.
const char* MarkName(BlockMark mark);
std::string MarkText(const BlockInfo& block, std::int64_t fileSize);

/// A version as "yyyy-mm-dd" when it reads as a date, else "".
std::string VersionDate(std::uint32_t version);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_FILEREPORT_H
