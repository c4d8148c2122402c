#include "FileReport.h"

#include <cstdio>

namespace qvnf {

Report Inspect(const std::string& path) {
  return InspectImage(LoadImage(path));
}

Report InspectImage(const Image& image) {
  Report r;
  r.path = image.path;
  r.status = image.status;
  r.errorText = image.errorText;
  r.fileSize = image.Size();
  if (r.status != OpenStatus::Ok) return r;
  const View v = ViewOf(image);
  HeaderInfo& h = r.header;
  h.complete = r.fileSize >= kHeaderSize;
  h.orderByte = image.bytes[16];
  h.date = ReadText(v, 17, 8);
  h.shortText = ReadText(v, 25, 16);
  h.longText = ReadText(v, 41, 80);
  r.blocks = WalkChain(v);
  const BlockInfo& first = r.blocks.front();  // readable: status Ok
  h.name = first.name;
  h.endAddress = first.endAddress;
  h.version = first.version;
  for (const BlockInfo& b : r.blocks)
    if (b.mark == BlockMark::Ok && b.address != 0 && IsColorTable(b.name))
      r.colorTables.push_back(ReadColorTable(v, b));
  return r;
}

std::vector<std::string> Problems(const Report& r) {
  std::vector<std::string> out;
  const HeaderInfo& h = r.header;
  if (!h.complete)
    out.push_back("header cut off: file is " + std::to_string(r.fileSize) +
                  " bytes, a header needs 121");
  if (h.endAddress != kHeaderSize)
    out.push_back("header end address is " + std::to_string(h.endAddress) +
                  ", not 121");
  if (h.version != kHeaderVersion)
    out.push_back("header version is " + std::to_string(h.version) +
                  ", not 20000701");
  for (const BlockInfo& b : r.blocks)
    if (b.mark != BlockMark::Ok && b.address != 0)
      out.push_back("block at " + std::to_string(b.address) + ": " +
                    MarkText(b, r.fileSize));
  // A header whose end address cannot lead on was already reported above.
  if (!r.blocks.empty() && r.blocks.front().mark != BlockMark::Ok &&
      h.endAddress == kHeaderSize)
    out.push_back("header: " + MarkText(r.blocks.front(), r.fileSize));
  for (const ColorTableInfo& t : r.colorTables)
    for (const std::string& p : t.problems)
      out.push_back("block at " + std::to_string(t.address) + ": " + p);
  return out;
}

std::string StatusMessage(const std::string& path, OpenStatus status,
                          const std::string& errorText, std::int64_t fileSize) {
  switch (status) {
    case OpenStatus::Ok:
      return {};
    case OpenStatus::IoError:
      return path + ": cannot open: " + errorText;
    case OpenStatus::TooShort:
      return path + ": truncated: " + std::to_string(fileSize) +
             " bytes, too short for a neutral file";
    case OpenStatus::NotNeutral:
      return path + ": not a neutral file (first block is not WyNF)";
    case OpenStatus::TooLarge:
      return path + ": too large for a neutral file (over 2^31 - 1 bytes)";
  }
  return {};
}

std::string StatusMessage(const Report& r) {
  return StatusMessage(r.path, r.status, r.errorText, r.fileSize);
}

const char* MarkName(BlockMark mark) {
  switch (mark) {
    case BlockMark::Ok:
      return "ok";
    case BlockMark::Uncompleted:
      return "uncompleted";
    case BlockMark::EndPastFile:
      return "end-out-of-range";
    case BlockMark::EndBackwards:
      return "end-backwards";
    case BlockMark::Loop:
      return "loop";
    case BlockMark::Truncated:
      return "truncated";
  }
  return "?";
}

std::string MarkText(const BlockInfo& b, std::int64_t fileSize) {
  const std::string end = std::to_string(b.endAddress);
  switch (b.mark) {
    case BlockMark::Ok:
      return "ok";
    case BlockMark::Uncompleted:
      return "never completed (end address 0)";
    case BlockMark::EndPastFile:
      return "end address " + end + " is outside the file (size " +
             std::to_string(fileSize) + ")";
    case BlockMark::EndBackwards:
      return "end address " + end + " points backwards";
    case BlockMark::Loop:
      return b.endAddress == 0 ? std::string(
                                     "null block at top level leads back to "
                                     "the header (loop)")
                               : "end address " + end +
                                     " leads back to an earlier block (loop)";
    case BlockMark::Truncated:
      return "id block cut off by the end of the file (" +
             std::to_string(fileSize - b.address) + " bytes left)";
  }
  return {};
}

std::string VersionDate(std::uint32_t v) {
  const unsigned year = v / 10000, month = v / 100 % 100, day = v % 100;
  if (year < 1900 || year > 2199 || month < 1 || month > 12 || day < 1 ||
      day > 31)
    return {};
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u", year, month, day);
  return buf;
}

}  // namespace qvnf
