// Speed of the number texts and the word scans, each beside its plain
// C-library baseline:
//   QvWrite(double)          vs snprintf("%.3f") and the same trimming
//   GetValue(pos, double&)   vs a strtod loop over the same text
//   QvGetDouble per word     vs strtod per word
//   CountWord, GetWord loop  vs a strtok_r loop over a copy of the text
#include <QvBase/QvNumberText.h>
#include <QvBase/QvStdString.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchRandom.h"

namespace {

using qvbench::Mix;

// One million values of the kinds a model holds: coordinates of varied
// magnitude with up to six decimals, whole numbers, small fractions.
const std::vector<double>& Values() {
  static const std::vector<double> values = [] {
    std::vector<double> v;
    std::uint64_t s = 42;
    static const double kScale[] = {1, 10, 100, 1000, 1e4, 1e5, 1e6};
    for (int i = 0; i < 1000000; ++i) {
      const double whole = static_cast<double>(Mix(s) % 2000001) - 1000000.0;
      v.push_back(whole / kScale[Mix(s) % 7]);
    }
    return v;
  }();
  return values;
}

// The values as one text of one million decimal words.
const std::string& DecimalText() {
  static const std::string text = [] {
    std::string t;
    char buf[64];
    for (double v : Values()) {
      std::snprintf(buf, sizeof buf, "%.6g ", v);
      t += buf;
    }
    return t;
  }();
  return text;
}

// The same words as separate zero-terminated texts.
const std::vector<std::string>& DecimalWords() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> w;
    const std::string& t = DecimalText();
    std::size_t i = 0;
    while (i < t.size()) {
      const std::size_t end = t.find(' ', i);
      w.push_back(t.substr(i, end - i));
      i = end + 1;
    }
    return w;
  }();
  return words;
}

// 64 MiB of words of 1 to 12 letters between runs of white space.
const QvStdString& BigText() {
  static const QvStdString text = [] {
    std::string t;
    t.reserve(64u << 20);
    std::uint64_t s = 7;
    static const char kGaps[][3] = {" ", " ", " ", "\t", "\n", "  ", "\r\n"};
    while (t.size() < (64u << 20) - 32) {
      const std::uint64_t r = Mix(s);
      const int len = 1 + static_cast<int>(r % 12);
      for (int k = 0; k < len; ++k)
        t += static_cast<char>('a' + (r >> (8 + 2 * k)) % 26);
      t += kGaps[(r >> 40) % 7];
    }
    return QvStdString(t);
  }();
  return text;
}

// ---- Writing ----

void BM_QvWrite(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (double v : Values()) {
      const char* t = QvWrite(v);
      bytes += std::strlen(t);
      benchmark::DoNotOptimize(t);
    }
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
  benchmark::DoNotOptimize(bytes);
}
BENCHMARK(BM_QvWrite)->Unit(benchmark::kMillisecond);

void BM_SnprintfTrim(benchmark::State& state) {
  char buf[100];
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (double v : Values()) {
      const int n = std::snprintf(buf, sizeof buf, "%.3f", v);
      if (std::memchr(buf, '.', static_cast<std::size_t>(n)) != nullptr) {
        int i = n - 1;
        while (i > 0 && (buf[i] == '0' || buf[i] == ' ')) --i;
        if (buf[i] == '.') --i;
        buf[i + 1] = '\0';
      }
      bytes += std::strlen(buf);
      benchmark::DoNotOptimize(buf);
    }
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
  benchmark::DoNotOptimize(bytes);
}
BENCHMARK(BM_SnprintfTrim)->Unit(benchmark::kMillisecond);

// ---- Reading ----

void BM_GetValueDouble(benchmark::State& state) {
  const QvStdString text(DecimalText());
  double sum = 0;
  for (auto _ : state) {
    int pos = 0;
    double v = 0;
    while (text.GetValue(pos, v)) sum += v;
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(text.size()));
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_GetValueDouble)->Unit(benchmark::kMillisecond);

void BM_StrtodText(benchmark::State& state) {
  const std::string& text = DecimalText();
  double sum = 0;
  for (auto _ : state) {
    const char* p = text.c_str();
    char* end = nullptr;
    while (true) {
      const double v = std::strtod(p, &end);
      if (end == p) break;
      sum += v;
      p = end;
    }
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(text.size()));
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_StrtodText)->Unit(benchmark::kMillisecond);

void BM_QvGetDoubleWords(benchmark::State& state) {
  const std::vector<std::string>& words = DecimalWords();
  double sum = 0;
  for (auto _ : state)
    for (const std::string& w : words) sum += QvGetDouble(w.c_str());
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(words.size()));
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_QvGetDoubleWords)->Unit(benchmark::kMillisecond);

void BM_StrtodWords(benchmark::State& state) {
  const std::vector<std::string>& words = DecimalWords();
  double sum = 0;
  for (auto _ : state)
    for (const std::string& w : words) sum += std::strtod(w.c_str(), nullptr);
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(words.size()));
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_StrtodWords)->Unit(benchmark::kMillisecond);

// ---- Word scans ----

void BM_CountWord(benchmark::State& state) {
  const QvStdString& text = BigText();
  int words = 0;
  for (auto _ : state) words = text.CountWord(QvStdString());
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(text.size()));
  state.counters["words"] = words;
}
BENCHMARK(BM_CountWord)->Unit(benchmark::kMillisecond);

void BM_GetWordLoop(benchmark::State& state) {
  const QvStdString& text = BigText();
  const QvStdString white(" \t\n\r");
  std::size_t letters = 0;
  for (auto _ : state) {
    int pos = 0;
    QvStdString word;
    while (text.GetWord(pos, word, white)) letters += word.size();
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(text.size()));
  benchmark::DoNotOptimize(letters);
}
BENCHMARK(BM_GetWordLoop)->Unit(benchmark::kMillisecond);

void BM_StrtokLoop(benchmark::State& state) {
  const QvStdString& text = BigText();
  std::vector<char> copy(text.size() + 1);
  std::size_t letters = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(copy.data(), text.c_str(), text.size() + 1);
    state.ResumeTiming();
    char* save = nullptr;
    for (char* w = strtok_r(copy.data(), " \t\n\r", &save); w != nullptr;
         w = strtok_r(nullptr, " \t\n\r", &save))
      letters += std::strlen(w);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(text.size()));
  benchmark::DoNotOptimize(letters);
}
BENCHMARK(BM_StrtokLoop)->Unit(benchmark::kMillisecond);

// The same with the copy that strtok_r needs counted in.
void BM_StrtokLoopWithCopy(benchmark::State& state) {
  const QvStdString& text = BigText();
  std::vector<char> copy(text.size() + 1);
  std::size_t letters = 0;
  for (auto _ : state) {
    std::memcpy(copy.data(), text.c_str(), text.size() + 1);
    char* save = nullptr;
    for (char* w = strtok_r(copy.data(), " \t\n\r", &save); w != nullptr;
         w = strtok_r(nullptr, " \t\n\r", &save))
      letters += std::strlen(w);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(text.size()));
  benchmark::DoNotOptimize(letters);
}
BENCHMARK(BM_StrtokLoopWithCopy)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
