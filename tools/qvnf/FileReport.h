// FileReport.h - what info and check report: the header of one file, and
// its problems. Kept apart from argument parsing and printing so that
// tests and the fuzz target can call it directly.
//
// A damaged file never makes a walk crash or loop: every address is
// checked against the file size before it is read, and the chain walk
// stops at the first block whose end address cannot lead on.
#ifndef QVBASE_TOOLS_QVNF_FILEREPORT_H
#define QVBASE_TOOLS_QVNF_FILEREPORT_H

#include <cstdint>
#include <functional>
#include <string>

#include "Chain.h"
#include "Cursor.h"

namespace qvnf {

struct HeaderInfo {
  std::string name;
  std::int32_t endAddress = 0;
  std::uint32_t version = 0;
  unsigned orderByte = 0;
  bool complete = false;  // all 121 bytes present
  std::string date, shortText, longText;
};

/// The header of a file opened with status Ok: its first 121 bytes only.
HeaderInfo ReadHeader(Cursor& c);
/// The problem of a header that the end of the file cuts off.
std::string HeaderCutOff(std::int64_t fileSize);

/// Hands each problem of a file opened with status Ok to problem, one line
/// each: header fields, the mark that ends the chain, the colour tables'
/// data and the nests whose inner end addresses are wrong. Returns the
/// number of problems (0: sound); blocks gets the number of blocks in the
/// chain, header included.
std::size_t CheckFile(Cursor& c,
                      const std::function<void(const std::string&)>& problem,
                      std::size_t* blocks = nullptr);

/// The line that explains a status other than Ok, with the path.
std::string StatusMessage(const std::string& path, OpenStatus status,
                          const std::string& errorText, std::int64_t fileSize);
std::string StatusMessage(const Cursor& c);

/// Short word for a mark ("ok", "uncompleted", ...) and its explanation.
const char* MarkName(BlockMark mark);
std::string MarkText(const BlockInfo& block, std::int64_t fileSize);

/// A version as "yyyy-mm-dd" when it reads as a date, else "".
std::string VersionDate(std::uint32_t version);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_FILEREPORT_H
