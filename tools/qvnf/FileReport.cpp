#include "FileReport.h"

#include <cstdio>

#include "ColorTable.h"
#include "Nest.h"

namespace qvnf {

namespace {

// The problems of one block of the chain beyond its end address: a colour
// table's data, and nested blocks whose end addresses are wrong. Each
// goes to problem when there is one; returns how many.
std::size_t BlockProblems(
    Cursor& c, const BlockInfo& b,
    const std::function<void(const std::string&)>* problem) {
  if (b.mark != BlockMark::Ok || b.address == 0) return 0;
  std::size_t n = 0;
  const auto where = [&b] {
    return "block at " + std::to_string(b.address) + ": ";
  };
  if (IsColorTable(b.name))
    for (const std::string& p : ReadColorTable(c, b).problems) {
      if (problem != nullptr) (*problem)(where() + p);
      ++n;
    }
  if (b.dataSize < kIdBlockSize) return n;  // too small to hold a block
  NestWalk nest(c, std::int64_t{b.address} + kIdBlockSize, b.endAddress,
                kNoDepthLimit);
  for (NestItem item; nest.Next(item);) {
    if (item.kind != NestItem::Broken) continue;
    if (problem != nullptr)
      (*problem)(where() + "nested block " + item.id.name.Str() + " at " +
                 std::to_string(item.id.address) + ": end address " +
                 std::to_string(item.id.endAddress) +
                 " lies past its parent's data, which end at " +
                 std::to_string(item.limit));
    ++n;
  }
  return n;
}

}  // namespace

HeaderInfo ReadHeader(Cursor& c) {
  HeaderInfo h;
  h.complete = c.Size() >= kHeaderSize;
  const unsigned char* order = c.Get(16, 1);
  h.orderByte = order != nullptr ? *order : 0;
  h.date = c.Text(17, 8);
  h.shortText = c.Text(25, 16);
  h.longText = c.Text(41, 80);
  IdView id;
  if (ReadId(c, 0, id)) {
    h.name = id.name.Str();
    h.endAddress = id.endAddress;
    h.version = id.version;
  }
  return h;
}

std::string HeaderCutOff(std::int64_t fileSize) {
  return "header cut off: file is " + std::to_string(fileSize) +
         " bytes, a header needs 121";
}

std::size_t CheckFile(Cursor& c,
                      const std::function<void(const std::string&)>& problem,
                      std::size_t* blocks) {
  std::size_t n = 0;
  const auto add = [&](const std::string& p) {
    problem(p);
    ++n;
  };
  const HeaderInfo h = ReadHeader(c);
  if (!h.complete) add(HeaderCutOff(c.Size()));
  if (h.endAddress != kHeaderSize)
    add("header end address is " + std::to_string(h.endAddress) + ", not 121");
  if (h.version != kHeaderVersion)
    add("header version is " + std::to_string(h.version) + ", not 20000701");
  // The mark that ends the chain comes before the problems of the blocks
  // on it, which a second walk gives only when there are any.
  BlockInfo b, first, last;  // last: the block that ends the walk, if any
  std::size_t count = 0, inner = 0;
  // Only a colour table, or a block with room for a nested one, can have
  // problems beyond its end address.
  const auto mayHaveProblems = [](const BlockInfo& b) {
    return b.dataSize >= kIdBlockSize || IsColorTable(b.name);
  };
  for (ChainWalk walk(c); walk.Next(b);) {
    if (count++ == 0) first = b;
    if (b.mark != BlockMark::Ok) last = b;
    if (mayHaveProblems(b)) inner += BlockProblems(c, b, nullptr);
  }
  if (blocks != nullptr) *blocks = count;
  if (last.mark != BlockMark::Ok && last.address != 0)
    add("block at " + std::to_string(last.address) + ": " +
        MarkText(last, c.Size()));
  // A header whose end address cannot lead on was already reported above.
  if (first.mark != BlockMark::Ok && h.endAddress == kHeaderSize)
    add("header: " + MarkText(first, c.Size()));
  if (inner > 0)
    for (ChainWalk walk(c); walk.Next(b);)
      if (mayHaveProblems(b)) n += BlockProblems(c, b, &problem);
  return n;
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

std::string StatusMessage(const Cursor& c) {
  return StatusMessage(c.Path(), c.Status(), c.ErrorText(), c.Size());
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
