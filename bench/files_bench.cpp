// Reading a large vertex text by lines and words, beside the plain C
// library loop that does the same (fgets + strtok_r, with strtod for the
// numbers); and looking keys up in a local message file of 10,000 lines,
// beside a plain rewind + fgets + strstr loop; and one long line cut into
// strings and words, beside reading it by lines and as cat reads it.
#include <QvBase/QvFile.h>
#include <QvBase/QvNumberText.h>
#include <QvBase/QvProgress.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Read = const char* (QvFile::*)();

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

void BM_QvFileWordsGetDouble(benchmark::State& state) {
  QvFile file(VertexText().Path().c_str());
  double sum = 0;
  for (auto _ : state) {
    file.OpenToRead(true);
    sum = 0;
    while (file.GetLine() != nullptr) {
      file.GetFirstWord();  // the "v"
      while (const char* w = file.GetNextWord()) sum += QvGetDouble(w);
    }
    file.Close();
    benchmark::DoNotOptimize(sum);
  }
  if (sum == 0) state.SkipWithError("no numbers read");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kTextBytes));
}
BENCHMARK(BM_QvFileWordsGetDouble)->Unit(benchmark::kMillisecond);

// One line of 256 MiB of words such as "-2.345678", read whole by each
// reader: GetLine (pieces of 1023 characters, at fgets speed) is the
// baseline of GetString and GetNextString, which cut the same bytes into
// strings and words.
constexpr std::size_t kLineBytes = 256u << 20;

const BenchFile& OneLineText() {
  static const BenchFile file = [] {
    BenchFile f("qv-one-line");
    std::FILE* out = std::fopen(f.Path().c_str(), "wb");
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> coord(-9.0, 9.0);
    std::size_t written = 0;
    char word[64];
    while (written < kLineBytes) {
      const int n = std::snprintf(word, sizeof word, "%.6f ", coord(rng));
      std::fwrite(word, 1, static_cast<std::size_t>(n), out);
      written += static_cast<std::size_t>(n);
    }
    std::fputc('\n', out);
    std::fclose(out);
    return f;
  }();
  return file;
}

template <Read read>
void BM_OneLine(benchmark::State& state) {
  QvFile file(OneLineText().Path().c_str());
  std::size_t pieces = 0;
  for (auto _ : state) {
    file.OpenToRead(true);
    pieces = 0;
    while (const char* s = (file.*read)()) {
      benchmark::DoNotOptimize(s);
      ++pieces;
    }
    file.Close();
  }
  if (pieces == 0) state.SkipWithError("nothing read");
  state.counters["pieces"] = static_cast<double>(pieces);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kLineBytes));
}
// The same file as cat reads it: unbuffered fread of 128 KiB pieces, the
// floor of any reader of the file.
void BM_OneLineCat(benchmark::State& state) {
  const std::string& path = OneLineText().Path();
  std::vector<char> chunk(128 * 1024);
  std::size_t total = 0;
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) break;
    std::setvbuf(f, nullptr, _IONBF, 0);
    total = 0;
    for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), f)) > 0;)
      total += n;
    std::fclose(f);
  }
  if (total <= kLineBytes) state.SkipWithError("file cut short");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kLineBytes));
}
BENCHMARK(BM_OneLineCat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneLine<&QvFile::GetLine>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneLine<&QvFile::GetString>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneLine<&QvFile::GetNextString>)->Unit(benchmark::kMillisecond);

// Lookups. A message file of 10,000 lines such as
//   MSG_00042,\t"Message number 42: the operation could not finish."
constexpr int kMessageLines = 10000;

const BenchFile& MessageFile() {
  static const BenchFile file = [] {
    BenchFile f("qv-messages");
    std::FILE* out = std::fopen(f.Path().c_str(), "wb");
    for (int i = 1; i <= kMessageLines; ++i)
      std::fprintf(out,
                   "MSG_%05d,\t\"Message number %d: the operation could "
                   "not finish.\"\n",
                   i, i);
    std::fclose(out);
    return f;
  }();
  return file;
}

const char* KeyFor(int line) {
  return line == 2 ? "MSG_00002" : "MSG_09999";
}

// The plain loop: rewind, then fgets and strstr until the key turns up.
void BM_FgetsStrstrLookup(benchmark::State& state) {
  std::FILE* f = std::fopen(MessageFile().Path().c_str(), "r");
  const char* key = KeyFor(static_cast<int>(state.range(0)));
  const std::size_t len = std::strlen(key);
  std::string text;
  for (auto _ : state) {
    std::rewind(f);
    char piece[1024];
    while (std::fgets(piece, sizeof piece, f) != nullptr) {
      if (const char* m = std::strstr(piece, key)) {
        text.assign(m + len);
        break;
      }
    }
    benchmark::DoNotOptimize(text.data());
  }
  std::fclose(f);
  if (text.empty()) state.SkipWithError("key not found");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_FgetsStrstrLookup)->Arg(2)->Arg(kMessageLines - 1);

void BM_GetLocalMsg(benchmark::State& state) {
  QvProgress reporter;
  reporter.OpenLocalMessageFile(MessageFile().Path().c_str());
  const QvStdString key(KeyFor(static_cast<int>(state.range(0))));
  QvStdString text;
  bool found = false;
  for (auto _ : state) {
    found = reporter.GetLocalMsg(key, text);
    benchmark::DoNotOptimize(text.data());
  }
  if (!found) state.SkipWithError("key not found");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_GetLocalMsg)->Arg(2)->Arg(kMessageLines - 1);

}  // namespace

BENCHMARK_MAIN();
