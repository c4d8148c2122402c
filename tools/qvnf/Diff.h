// Diff.h - two neutral files compared, as `qvnf diff` reports them.
//
// The files are the same exactly when their bytes are. When they are not,
// the report names what differs: header fields, blocks found in one file
// only, and matched blocks whose version, end-address damage or data
// differ, with the first differing data offset and the bytes there. Top-
// level blocks are matched by name and place: the n-th block of a name in
// one file with the n-th block of that name in the other. Where a chain
// breaks, a block's data are compared up to the end of the file. When
// nothing of that shows the difference (bytes that no block compared
// covers), the report gives the first differing offset of the files.
//
// Each part of the report is made by walks of the two chains that keep
// only the two blocks compared; only two chains whose names differ in
// order make it keep the address of each block (4 bytes a block).
#ifndef QVBASE_TOOLS_QVNF_DIFF_H
#define QVBASE_TOOLS_QVNF_DIFF_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Chain.h"
#include "Cursor.h"

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
  bool toEnd = false;        // neither is sound: data compared to the end
  std::int64_t offset = -1;  // first differing offset in the data
  std::vector<unsigned char> bytesA, bytesB;  // up to 8 bytes from there
};

/// The first differing offset of two files, with up to 8 bytes from there
/// in each (fewer at the end of a file).
struct ByteDiff {
  std::int64_t offset = -1;
  std::vector<unsigned char> a, b;
};

/// Compares two files opened with status Ok. Each call walks what it
/// needs; Same comes first.
class Differ {
 public:
  Differ(Cursor& a, Cursor& b);
  ~Differ();
  /// True when the files hold the same bytes.
  bool Same();
  void Header(const std::function<void(const FieldDiff&)>& diff);
  /// The blocks of one file that the other lacks, in chain order.
  void OnlyIn(bool inA, const std::function<void(const BlockRef&)>& only);
  /// The matched blocks that differ, in the chain order of the first file.
  void Changed(const std::function<void(const BlockDiff&)>& changed);
  /// Where the files first differ; for a report in which nothing else
  /// showed the difference (Reported() is 0).
  const ByteDiff& FirstDifference() const { return first_; }
  /// How many differences the calls so far handed out.
  std::size_t Reported() const { return reported_; }

 private:
  struct Index;
  bool SameShape();
  const Index& IndexOf(bool ofA);
  bool Compare(BlockDiff& d);

  Cursor &a_, &b_;
  ByteDiff first_;
  int same_ = -1;   // -1 not compared yet, 0 differ, 1 the same bytes
  int shape_ = -1;  // -1 not known yet, 0 differ, 1 the same names in order
  std::unique_ptr<Index> indexA_, indexB_;
  std::size_t reported_ = 0;
};

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_DIFF_H
