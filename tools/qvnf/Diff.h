// Diff.h - two neutral files compared block by block, as `qvnf diff`
// reports them.
//
// Top-level blocks are matched by name and place: the n-th block of a
// name in one file with the n-th block of that name in the other. Only
// what differs is listed: header fields, blocks found in one file only,
// and matched blocks whose version, end-address damage or data differ,
// with the first differing data offset and the bytes there.
#ifndef QVBASE_TOOLS_QVNF_DIFF_H
#define QVBASE_TOOLS_QVNF_DIFF_H

#include <cstdint>
#include <string>
#include <vector>

#include "Chain.h"
#include "Image.h"

namespace qvnf {

struct FieldDiff {
  std::string field;  // "end_address", "version", "order_byte", "date", ...
  std::string a, b;
};

/// A block as diff names it: its name, which of that name it is (1 for
/// the first), and where it lies.
struct BlockRef {
  std::string name;
  int occurrence = 0;
  BlockInfo block;
};

struct BlockDiff {
  std::string name;
  int occurrence = 0;
  BlockInfo a, b;
  bool versionDiffers = false;
  std::string damageA, damageB;  // mark texts when the marks differ
  bool dataDiffer = false;
  std::int64_t offset = -1;  // first differing offset in the data
  std::vector<unsigned char> bytesA, bytesB;  // up to 8 bytes from there
};

struct DiffResult {
  std::vector<FieldDiff> header;
  std::vector<BlockRef> onlyA, onlyB;
  std::vector<BlockDiff> changed;
  bool Same() const {
    return header.empty() && onlyA.empty() && onlyB.empty() && changed.empty();
  }
};

/// Compares two images of status Ok.
DiffResult Diff(const Image& a, const Image& b);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_DIFF_H
