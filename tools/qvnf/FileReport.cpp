#include "FileReport.h"

#include <QvBase/QvNeutralFile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

namespace qvnf {
namespace {

constexpr std::int32_t kHeaderSize = 121;
constexpr std::int32_t kIdBlockSize = 16;
constexpr std::uint32_t kHeaderVersion = 20000701;
constexpr std::uint32_t kColorTableVersion = 20010104;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Size of an open file, or -1.
std::int64_t FileSize(std::FILE* f) {
  if (std::fseek(f, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(f);
  std::rewind(f);
  return size;
}

bool ReadBlockAt(QvNeutralFile& nf, std::int32_t address,
                 QvNeutralFile::IdBlock& block) {
  block.m_EndAddress = address;
  return nf.ReadIdBlock(block);
}

std::string ReadText(QvNeutralFile& nf, std::int32_t at, int width) {
  char buf[81] = {};
  if (!nf.GoToFilePosition(at) || !nf.ReadString(buf, width)) return {};
  return buf;
}

void ReadHeader(QvNeutralFile& nf, Report& r) {
  HeaderInfo& h = r.header;
  h.complete = r.fileSize >= kHeaderSize;
  unsigned char order = 0;
  if (nf.GoToFilePosition(16) && nf.ReadUChar(&order)) h.orderByte = order;
  h.date = ReadText(nf, 17, 8);
  h.shortText = ReadText(nf, 25, 16);
  h.longText = ReadText(nf, 41, 80);
}

void WalkChain(QvNeutralFile& nf, Report& r) {
  std::set<std::int32_t> visited;
  std::int32_t address = 0;
  for (;;) {
    if (address != 0 && address == r.fileSize) return;  // clean end
    BlockInfo b;
    b.address = address;
    if (address + static_cast<std::int64_t>(kIdBlockSize) > r.fileSize) {
      b.mark = BlockMark::Truncated;
      r.blocks.push_back(b);
      return;
    }
    QvNeutralFile::IdBlock block;
    if (!ReadBlockAt(nf, address, block)) {
      b.mark = BlockMark::Truncated;
      r.blocks.push_back(b);
      return;
    }
    visited.insert(address);
    b.name = block.m_Name;
    b.version = block.m_Version;
    b.endAddress = block.m_EndAddress;
    const std::int64_t dataStart =
        static_cast<std::int64_t>(address) + kIdBlockSize;
    if (b.endAddress == 0 && b.name == "WyNULL")
      b.mark = BlockMark::Loop;  // a top-level null block leads to the header
    else if (b.endAddress == 0)
      b.mark = BlockMark::Uncompleted;
    else if (b.endAddress < 0 || b.endAddress > r.fileSize)
      b.mark = BlockMark::EndPastFile;
    else if (visited.count(b.endAddress) != 0)
      b.mark = BlockMark::Loop;
    else if (b.endAddress < dataStart)
      b.mark = BlockMark::EndBackwards;
    else
      b.dataSize = b.endAddress - dataStart;
    r.blocks.push_back(b);
    if (b.mark != BlockMark::Ok) return;
    address = b.endAddress;
  }
}

void ReadColorTable(QvNeutralFile& nf, const BlockInfo& b, Report& r) {
  ColorTableInfo t;
  t.address = b.address;
  t.version = b.version;
  if (b.version != kColorTableVersion) {
    t.problems.push_back("colour table of unknown version " +
                         std::to_string(b.version));
    r.colorTables.push_back(t);
    return;
  }
  const std::int64_t dataStart = b.address + kIdBlockSize;
  unsigned char count = 0;
  if (!nf.GoToFilePosition(static_cast<std::int32_t>(dataStart)) ||
      !nf.ReadUChar(&count)) {
    t.problems.push_back("colour table has no count");
    r.colorTables.push_back(t);
    return;
  }
  t.count = count;
  const std::int64_t colorsEnd = dataStart + 1 + 16 * std::int64_t{count};
  for (unsigned i = 0;
       i < count && dataStart + 1 + 16 * (i + 1) <= b.endAddress; ++i) {
    float c[4];
    if (!nf.ReadFloat(c, 4)) break;
    t.colors.push_back({c[0], c[1], c[2], c[3]});
  }
  if (t.colors.size() != count || colorsEnd + kIdBlockSize != b.endAddress) {
    t.problems.push_back("colour table count " + std::to_string(count) +
                         " disagrees with its " + std::to_string(b.dataSize) +
                         " data bytes (expected " +
                         std::to_string(1 + 16 * count + kIdBlockSize) + ")");
  }
  QvNeutralFile::IdBlock closing;
  const bool haveNull =
      colorsEnd + kIdBlockSize <= b.endAddress &&
      ReadBlockAt(nf, static_cast<std::int32_t>(colorsEnd), closing) &&
      std::strcmp(closing.m_Name, "WyNULL") == 0 && closing.m_EndAddress == 0 &&
      closing.m_Version == 0;
  if (!haveNull)
    t.problems.push_back("colour table lacks its closing null block");
  r.colorTables.push_back(t);
}

}  // namespace

Report Inspect(const std::string& path) {
  Report r;
  r.path = path;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    r.errorText = "is a directory";
    return r;
  }
  errno = 0;
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    r.errorText = std::strerror(errno);
    return r;
  }
  r.fileSize = FileSize(f.get());
  if (r.fileSize < 0) {
    r.errorText = "cannot find its size (not a regular file?)";
    return r;
  }
  if (r.fileSize < 17) {
    r.status = OpenStatus::TooShort;
    return r;
  }
  QvNeutralFile nf(f.get());  // borrows the stream; reads the order byte
  QvNeutralFile::IdBlock first;
  if (!ReadBlockAt(nf, 0, first) || std::strcmp(first.m_Name, "WyNF") != 0) {
    r.status = OpenStatus::NotNeutral;
    return r;
  }
  r.status = OpenStatus::Ok;
  r.header.name = first.m_Name;
  r.header.endAddress = first.m_EndAddress;
  r.header.version = first.m_Version;
  ReadHeader(nf, r);
  WalkChain(nf, r);
  for (const BlockInfo& b : r.blocks)
    if (b.mark == BlockMark::Ok && b.name == "ColorTab")
      ReadColorTable(nf, b, r);
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

std::string StatusMessage(const Report& r) {
  switch (r.status) {
    case OpenStatus::Ok:
      return {};
    case OpenStatus::IoError:
      return r.path + ": cannot open: " + r.errorText;
    case OpenStatus::TooShort:
      return r.path + ": truncated: " + std::to_string(r.fileSize) +
             " bytes, too short for a neutral file";
    case OpenStatus::NotNeutral:
      return r.path + ": not a neutral file (first block is not WyNF)";
  }
  return {};
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
