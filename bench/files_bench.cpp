// Reading a large vertex text by lines and words, beside the plain C
// library loop that does the same (fgets + strtok_r, with strtod for the
// numbers).
#include <QvBase/QvFile.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kTextBytes = 64u << 20;

// A generated file in the temp folder, removed when the program ends.
class BenchFile {
 public:
  explicit BenchFile(const std::string& name)
      : m_Path((fs::temp_directory_path() /
                (name + "-" + std::to_string(std::random_device{}())))
                   .string()) {}
  ~BenchFile() {
    std::error_code ec;
    fs::remove(m_Path, ec);
  }
  const std::string& Path() const { return m_Path; }

 private:
  std::string m_Path;
};

// Lines such as "v 1.234567 -2.345678 3.456789", 64 MiB of them.
const BenchFile& VertexText() {
  static const BenchFile file = [] {
    BenchFile f("qv-vertices");
    std::FILE* out = std::fopen(f.Path().c_str(), "wb");
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> coord(-9.0, 9.0);
    std::size_t written = 0;
    char line[128];
    while (written < kTextBytes) {
      const int n = std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n",
                                  coord(rng), coord(rng), coord(rng));
      std::fwrite(line, 1, static_cast<std::size_t>(n), out);
      written += static_cast<std::size_t>(n);
    }
    std::fclose(out);
    return f;
  }();
  return file;
}

const char kSeparators[] = " \t\n\r";

void BM_FgetsStrtok(benchmark::State& state) {
  const std::string& path = VertexText().Path();
  std::size_t words = 0;
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    char buf[1024];
    char* save = nullptr;
    words = 0;
    while (std::fgets(buf, sizeof buf, f) != nullptr) {
      for (char* w = strtok_r(buf, kSeparators, &save); w != nullptr;
           w = strtok_r(nullptr, kSeparators, &save)) {
        benchmark::DoNotOptimize(w);
        ++words;
      }
    }
    std::fclose(f);
  }
  if (words == 0) state.SkipWithError("no words read");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kTextBytes));
}
BENCHMARK(BM_FgetsStrtok)->Unit(benchmark::kMillisecond);

void BM_QvFileWords(benchmark::State& state) {
  QvFile file(VertexText().Path().c_str());
  std::size_t words = 0;
  for (auto _ : state) {
    file.OpenToRead(true);
    words = 0;
    while (file.GetLine() != nullptr) {
      for (const char* w = file.GetFirstWord(); w != nullptr;
           w = file.GetNextWord()) {
        benchmark::DoNotOptimize(w);
        ++words;
      }
    }
    file.Close();
  }
  if (words == 0) state.SkipWithError("no words read");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kTextBytes));
}
BENCHMARK(BM_QvFileWords)->Unit(benchmark::kMillisecond);

void BM_FgetsStrtokStrtod(benchmark::State& state) {
  const std::string& path = VertexText().Path();
  double sum = 0;
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    char buf[1024];
    char* save = nullptr;
    sum = 0;
    while (std::fgets(buf, sizeof buf, f) != nullptr) {
      char* w = strtok_r(buf, kSeparators, &save);  // the "v"
      while ((w = strtok_r(nullptr, kSeparators, &save)) != nullptr)
        sum += std::strtod(w, nullptr);
    }
    std::fclose(f);
    benchmark::DoNotOptimize(sum);
  }
  if (sum == 0) state.SkipWithError("no numbers read");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kTextBytes));
}
BENCHMARK(BM_FgetsStrtokStrtod)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
