// ColorTable.h - the colour-table block ("ColorTab", version 20010104):
// its colours decoded and its layout checked.
#ifndef QVBASE_TOOLS_QVNF_COLORTABLE_H
#define QVBASE_TOOLS_QVNF_COLORTABLE_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Chain.h"
#include "Cursor.h"

namespace qvnf {

constexpr std::uint32_t kColorTableVersion = 20010104;

struct ColorTableInfo {
  std::int32_t address = 0;
  std::uint32_t version = 0;
  unsigned count = 0;  // as stored
  std::vector<std::vector<float>> colors;
  std::vector<std::string> problems;
};

/// True for the name a colour table is stored under.
bool IsColorTable(std::string_view name);

/// Decodes the colour table of a block whose extent is sound (mark Ok).
ColorTableInfo ReadColorTable(Cursor& c, const BlockInfo& block);

/// The end address that the table's own count gives the colour table
/// whose id block is at address (33 + 16 * count bytes further on), or -1
/// when the count cannot be read or the version is not one known here.
std::int64_t ColorTableEnd(Cursor& c, std::int64_t address);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_COLORTABLE_H
