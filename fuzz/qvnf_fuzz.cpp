// The qvnf inspector on arbitrary files: the walk and checks, the tree,
// dumps of the blocks it finds, a diff of the file with itself and with
// its salvage, and the salvage itself, whose output must always pass
// check.
#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Diff.h"
#include "Dump.h"
#include "FileReport.h"
#include "FuzzUtil.h"
#include "Salvage.h"
#include "Tree.h"

namespace {

void CheckReport(const qvnf::Report& report, std::size_t size) {
  QV_FUZZ_CHECK(report.fileSize == static_cast<std::int64_t>(size));
  qvnf::Problems(report);
  // Every walked block lies inside the file, each is walked once, and only
  // the last one may carry a mark that ends the walk.
  std::set<std::int32_t> seen;
  for (std::size_t i = 0; i < report.blocks.size(); ++i) {
    const qvnf::BlockInfo& b = report.blocks[i];
    QV_FUZZ_CHECK(b.address >= 0 && b.address < report.fileSize);
    QV_FUZZ_CHECK(seen.insert(b.address).second);
    QV_FUZZ_CHECK(b.dataSize >= 0);
    if (b.mark == qvnf::BlockMark::Ok)
      QV_FUZZ_CHECK(b.endAddress <= report.fileSize);
    else
      QV_FUZZ_CHECK(i + 1 == report.blocks.size() ||
                    b.mark == qvnf::BlockMark::Uncompleted);
    qvnf::MarkText(b, report.fileSize);
    qvnf::VersionDate(b.version);
  }
  for (const qvnf::ColorTableInfo& t : report.colorTables) {
    QV_FUZZ_CHECK(t.address >= 0 && t.address < report.fileSize);
    QV_FUZZ_CHECK(t.colors.size() <= t.count);
  }
}

// Nested blocks lie inside their parent's data, in order, one per
// address, no deeper than the limit; returns the number of nodes.
std::size_t CheckLevel(const std::vector<qvnf::TreeNode>& level,
                       std::int64_t from, std::int64_t to, int depth,
                       std::set<std::int64_t>& seen) {
  QV_FUZZ_CHECK(depth <= qvnf::kMaxDepth + 1);
  std::size_t count = 0;
  for (const qvnf::TreeNode& n : level) {
    const qvnf::BlockInfo& b = n.block;
    QV_FUZZ_CHECK(seen.insert(b.address).second);
    ++count;
    if (depth == 0) continue;  // the chain was checked with the report
    QV_FUZZ_CHECK(b.address == from && b.address + 16 <= to);
    if (!n.isNull) QV_FUZZ_CHECK(b.endAddress <= to);
    from = n.isNull ? b.address + 16 : b.endAddress;
  }
  for (const qvnf::TreeNode& n : level)
    count += CheckLevel(n.children, n.block.address + 16, n.block.endAddress,
                        depth + 1, seen);
  return count;
}

void CheckDumps(const qvnf::View& v, const std::vector<qvnf::TreeNode>& tree) {
  int dumped = 0;
  qvnf::ForEachNode(tree, [&](const qvnf::TreeNode& n) {
    std::int64_t from = 0, size = 0;
    std::string why;
    if (++dumped > 8 || !qvnf::DataExtent(n, from, size, why)) return;
    QV_FUZZ_CHECK(from >= 0 && size >= 0 && from + size <= v.size);
    QV_FUZZ_CHECK(qvnf::FindBlockAt(tree, n.block.address) != nullptr);
    QV_FUZZ_CHECK(qvnf::FindBlock(tree, n.block.name) != nullptr);
    std::int64_t lines = 0;
    qvnf::HexListing(v, from, size, [&lines](const std::string&) { ++lines; });
    QV_FUZZ_CHECK(lines == (size + 15) / 16);
    for (qvnf::DumpAs as : {qvnf::DumpAs::I32, qvnf::DumpAs::U32,
                            qvnf::DumpAs::F32, qvnf::DumpAs::F64}) {
      std::int64_t values = 0;
      const std::int64_t left =
          qvnf::TypedValues(v, from, size, as, [&](const qvnf::DumpValue& d) {
            QV_FUZZ_CHECK(d.offset >= from && d.offset < from + size);
            qvnf::ValueText(d, as);
            ++values;
          });
      const std::int64_t width = as == qvnf::DumpAs::F64 ? 8 : 4;
      QV_FUZZ_CHECK(values * width + left == size && left < width);
    }
    qvnf::EscapedText(v, from, size);
  });
}

// The salvage's output passes check, is its own salvage, and is the input
// itself exactly when the input passed check.
void CheckSalvage(const qvnf::Image& in, bool inSound) {
  const qvnf::Salvaged s = qvnf::Salvage(in);
  QV_FUZZ_CHECK(s.sound == inSound);
  if (s.sound) QV_FUZZ_CHECK(s.bytes == in.bytes);
  QV_FUZZ_CHECK(s.bytes.size() <= std::max<std::size_t>(in.bytes.size(), 121));
  // The entries cover the input from its start, in order, without gaps.
  std::int64_t covered = 0;
  for (const qvnf::SalvageEntry& e : s.entries) {
    QV_FUZZ_CHECK(e.address == covered && (e.size > 0 || covered == 0));
    covered += e.size;
  }
  QV_FUZZ_CHECK(covered == in.Size());
  const std::string& outPath =
      qvfuzz::WriteScratch(1, std::string(s.bytes.begin(), s.bytes.end()));
  const qvnf::Report out = qvnf::Inspect(outPath);
  QV_FUZZ_CHECK(out.status == qvnf::OpenStatus::Ok);
  QV_FUZZ_CHECK(qvnf::Problems(out).empty());
  const qvnf::Image outImage = qvnf::LoadImage(outPath);
  const qvnf::Salvaged again = qvnf::Salvage(outImage);
  QV_FUZZ_CHECK(again.sound && again.bytes == s.bytes);
  if (in.status == qvnf::OpenStatus::Ok) {
    const qvnf::DiffResult d = qvnf::Diff(in, outImage);
    if (s.bytes == in.bytes) QV_FUZZ_CHECK(d.Same());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string& path = qvfuzz::WriteScratch(0, bytes);
  const qvnf::Report report = qvnf::Inspect(path);
  const qvnf::Image image =
      qvnf::ImageOf(path, std::vector<unsigned char>(data, data + size));
  QV_FUZZ_CHECK(image.status == report.status);
  if (report.status != qvnf::OpenStatus::Ok) {
    QV_FUZZ_CHECK(!qvnf::StatusMessage(report).empty());
    CheckSalvage(image, false);
    return 0;
  }
  CheckReport(report, size);
  const qvnf::View v = qvnf::ViewOf(image);
  const std::vector<qvnf::TreeNode> tree = qvnf::BuildTree(v);
  QV_FUZZ_CHECK(tree.size() == report.blocks.size());
  std::set<std::int64_t> seen;
  QV_FUZZ_CHECK(CheckLevel(tree, 0, image.Size(), 0, seen) <= size / 16 + 1);
  CheckDumps(v, tree);
  QV_FUZZ_CHECK(qvnf::Diff(image, image).Same());
  CheckSalvage(image, qvnf::Problems(report).empty());
  return 0;
}
