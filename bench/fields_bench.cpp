// Fields of one long separated line: GetCSWord over every field beside
// GetWord over the same line and a strtok_r loop over a copy of it. Each
// call should cost what its field does, so the time per field stays flat
// from 50,000 to 400,000 fields.
#include <QvBase/QvStdString.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// "12345," repeated: range(0) fields, the last one quoted, on one line.
QvStdString Line(std::int64_t fields) {
  std::string text;
  text.reserve(static_cast<std::size_t>(fields) * 6 + 8);
  for (std::int64_t i = 1; i < fields; ++i) text += "12345,";
  text += "\"1,2\"";
  return QvStdString(text);
}

void Finish(benchmark::State& state, const QvStdString& line,
            std::int64_t got) {
  if (got != state.range(0)) state.SkipWithError("wrong field count");
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(line.size()));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_GetCSWord(benchmark::State& state) {
  const QvStdString line = Line(state.range(0));
  const QvStdString comma(std::string(","));
  std::int64_t fields = 0;
  for (auto _ : state) {
    fields = 0;
    QvStdString field;
    int pos = 0;
    while (pos >= 0)
      if (line.GetCSWord(pos, field, comma)) ++fields;
  }
  Finish(state, line, fields);
}

void BM_GetWord(benchmark::State& state) {
  const QvStdString line = Line(state.range(0));
  const QvStdString comma(std::string(","));
  std::int64_t fields = 0;
  for (auto _ : state) {
    fields = 0;
    QvStdString word;
    int pos = 0;
    while (line.GetWord(pos, word, comma)) ++fields;
  }
  // The quoted last field holds a separator: one word more.
  Finish(state, line, fields - 1);
}

void BM_StrtokWithCopy(benchmark::State& state) {
  const QvStdString line = Line(state.range(0));
  std::vector<char> copy(line.size() + 1);
  std::int64_t fields = 0;
  for (auto _ : state) {
    fields = 0;
    std::memcpy(copy.data(), line.c_str(), line.size() + 1);
    char* save = nullptr;
    for (char* w = strtok_r(copy.data(), ",", &save); w != nullptr;
         w = strtok_r(nullptr, ",", &save))
      ++fields;
  }
  Finish(state, line, fields - 1);
}

#define QV_FIELD_COUNTS \
  ArgName("fields")->Arg(50000)->Arg(100000)->Arg(200000)->Arg(400000)
BENCHMARK(BM_GetCSWord)->QV_FIELD_COUNTS->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetWord)->QV_FIELD_COUNTS->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrtokWithCopy)->QV_FIELD_COUNTS->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
