// Saving a 64 MiB object: WriteNF (write in place) beside SaveNF (write a
// temporary file, force it to storage, rename it over the target). The
// difference is the sync, so the ratio depends on the storage beneath the
// temporary folder.
#include <benchmark/benchmark.h>

#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvWritableObj.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kCount = 16 << 20;  // 64 MiB of ints

class Big : public QvWritableObj {
 public:
  Big() : values(kCount, 7) {}
  std::vector<int> values;
  const char* IdString() const override { return "BigData"; }
  unsigned int Version() const override { return 20260101; }
  bool WriteDataBlock(QvNeutralFile& f) const override {
    return f.WriteInt(values.data(), kCount);
  }
  bool ReadDataBlock(QvNeutralFile&, unsigned int) override { return false; }
};

std::string Target() {
  return (std::filesystem::temp_directory_path() / "qvbench-save.qnf").string();
}

template <bool kSafe>
void Save(benchmark::State& state) {
  const Big big;
  const std::string path = Target();
  for (auto _ : state) {
    if (!(kSafe ? big.SaveNF(path.c_str()) : big.WriteNF(path.c_str())))
      std::abort();
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t{4} * kCount);
  std::remove(path.c_str());
}

void BM_WriteNF(benchmark::State& state) {
  Save<false>(state);
}
void BM_SaveNF(benchmark::State& state) {
  Save<true>(state);
}

}  // namespace

BENCHMARK(BM_WriteNF)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveNF)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
