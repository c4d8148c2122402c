// Time stamps and stopwatches beside the C library calls they stand for:
// the text form against ctime + snprintf, the 64-bit stream form against
// snprintf/sscanf, and a stopwatch lap against two timespec_get calls.
#include <QvBase/QvStopWatch.h>
#include <QvBase/QvTime.h>
#include <benchmark/benchmark.h>

#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <sstream>
#include <string>

namespace {

constexpr std::int64_t kStamp = INT64_C(315626635123000);

void BM_QvTimeText(benchmark::State& state) {
  const QvTime t(kStamp);
  std::string text;
  for (auto _ : state) {
    t.Get(text);
    benchmark::DoNotOptimize(text.data());
  }
  if (text.size() != 32) state.SkipWithError("unexpected text");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QvTimeText);

void BM_CTimeText(benchmark::State& state) {
  const std::time_t sec = kStamp / 1000000;
  char out[64];
  for (auto _ : state) {
    const char* ct = std::ctime(&sec);
    std::snprintf(out, sizeof out, "%.19s.%3lu %s", ct,
                  static_cast<unsigned long>(kStamp % 1000000), ct + 20);
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CTimeText);

// Writes 1000 values, then reads them back.
void BM_QvInt64Stream(benchmark::State& state) {
  for (auto _ : state) {
    std::stringstream s;
    for (std::int64_t v = -500; v < 500; ++v) operator<<(s, v * 1000003);
    std::int64_t sum = 0, v = 0;
    for (int i = 0; i < 1000; ++i) {
      operator>>(s, v);
      sum += v;
    }
    if (sum != -500 * 1000003) state.SkipWithError("wrong sum");
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_QvInt64Stream);

void BM_CInt64Text(benchmark::State& state) {
  std::string text;
  for (auto _ : state) {
    text.clear();
    char buf[32];
    for (std::int64_t v = -500; v < 500; ++v) {
      const int n = std::snprintf(buf, sizeof buf, "%" PRId64 " ", v * 1000003);
      text.append(buf, static_cast<std::size_t>(n));
    }
    std::int64_t sum = 0, v = 0;
    const char* p = text.c_str();
    int used = 0;
    while (std::sscanf(p, "%" SCNd64 "%n", &v, &used) == 1) {
      sum += v;
      p += used;
    }
    if (sum != -500 * 1000003) state.SkipWithError("wrong sum");
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_CInt64Text);

void BM_QvStopWatchLap(benchmark::State& state) {
  QvStopWatch watch(false);
  for (auto _ : state) {
    watch.Start();
    benchmark::DoNotOptimize(watch.Stop());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QvStopWatchLap);

void BM_TimespecGetLap(benchmark::State& state) {
  std::timespec a{}, b{};
  for (auto _ : state) {
    std::timespec_get(&a, TIME_UTC);
    std::timespec_get(&b, TIME_UTC);
    benchmark::DoNotOptimize((b.tv_sec - a.tv_sec) +
                             (b.tv_nsec - a.tv_nsec) * 1e-9);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TimespecGetLap);

}  // namespace

BENCHMARK_MAIN();
