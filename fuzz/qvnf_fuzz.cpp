// The qvnf inspector's walk and checks on arbitrary files.
#include <cstdint>
#include <set>
#include <string>

#include "FileReport.h"
#include "FuzzUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const qvnf::Report report = qvnf::Inspect(qvfuzz::WriteScratch(0, bytes));
  if (report.status != qvnf::OpenStatus::Ok) {
    QV_FUZZ_CHECK(!qvnf::StatusMessage(report).empty());
    return 0;
  }
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
  return 0;
}
