// Speed of the number texts beside the C++ standard library's exact
// conversions, which applications would use instead:
//   QvGetDouble, QvGetFloat per text  vs std::from_chars per text
//   QvGetDouble per text out of a     vs std::from_chars, which leaves
//   double's range                       those unread
//   GetValue(pos, double&) over one text of the same words (vs QvGetDouble)
//   QvWriteDouble("%.Nf"), N = 0..9   vs std::to_chars(fixed, N) and the
//                                        same trimming, in three magnitude
//                                        classes: ordinary, 2^52 to 1e90,
//                                        1e90 and more
// Pairs share a name but for their first word (Qv... / Std...).
#include <QvBase/QvNumberText.h>
#include <QvBase/QvStdString.h>
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchRandom.h"

namespace {

using qvbench::Mix;

// One million texts: short coordinates, 17-digit decimals, exponent forms
// and whole numbers, half of them negative.
const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> t;
    std::uint64_t s = 11;
    char buf[64];
    for (int i = 0; i < 1000000; ++i) {
      const std::uint64_t r = Mix(s);
      const double sign = (r & 1) ? -1.0 : 1.0;
      const double unit = static_cast<double>(Mix(s) >> 11) * 0x1p-53;
      switch ((r >> 1) % 4) {
        case 0:  // a coordinate of up to six decimals
          std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(r >> 8) % 7,
                        sign * unit * 2000.0);
          break;
        case 1:  // a double written in full
          std::snprintf(buf, sizeof buf, "%.17g",
                        sign * unit * std::pow(10.0, (r >> 8) % 12 - 4.0));
          break;
        case 2:  // an exponent form
          std::snprintf(buf, sizeof buf, "%.*e",
                        3 + static_cast<int>(r >> 8) % 7,
                        sign * unit * std::pow(10.0, (r >> 12) % 60 - 30.0));
          break;
        default:  // a whole number
          std::snprintf(buf, sizeof buf, "%lld",
                        static_cast<long long>(sign * unit * 1e6));
      }
      t.emplace_back(buf);
    }
    return t;
  }();
  return texts;
}

// Each reader over a set of a million texts (ordinary, or out of range).
using TextSet = const std::vector<std::string>& (*)();

template <TextSet kTexts>
void BM_QvGetDoubleOf(benchmark::State& state) {
  const std::vector<std::string>& texts = kTexts();
  double sum = 0;
  for (auto _ : state)
    for (const std::string& t : texts) sum += QvGetDouble(t.c_str());
  state.SetItemsProcessed(state.iterations() * 1000000);
  benchmark::DoNotOptimize(sum);
}

template <TextSet kTexts>
void BM_StdGetDoubleOf(benchmark::State& state) {
  const std::vector<std::string>& texts = kTexts();
  double sum = 0;
  for (auto _ : state)
    for (const std::string& t : texts) {
      double v = 0;
      std::from_chars(t.data(), t.data() + t.size(), v);
      sum += v;
    }
  state.SetItemsProcessed(state.iterations() * 1000000);
  benchmark::DoNotOptimize(sum);
}

void BM_QvGetDouble(benchmark::State& state) {
  BM_QvGetDoubleOf<Texts>(state);
}
BENCHMARK(BM_QvGetDouble)->Unit(benchmark::kMillisecond);

void BM_StdGetDouble(benchmark::State& state) {
  BM_StdGetDoubleOf<Texts>(state);
}
BENCHMARK(BM_StdGetDouble)->Unit(benchmark::kMillisecond);

void BM_QvGetFloat(benchmark::State& state) {
  const std::vector<std::string>& texts = Texts();
  float sum = 0;
  for (auto _ : state)
    for (const std::string& t : texts) sum += QvGetFloat(t.c_str());
  state.SetItemsProcessed(state.iterations() * 1000000);
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_QvGetFloat)->Unit(benchmark::kMillisecond);

void BM_StdGetFloat(benchmark::State& state) {
  const std::vector<std::string>& texts = Texts();
  float sum = 0;
  for (auto _ : state)
    for (const std::string& t : texts) {
      float v = 0;
      std::from_chars(t.data(), t.data() + t.size(), v);
      sum += v;
    }
  state.SetItemsProcessed(state.iterations() * 1000000);
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_StdGetFloat)->Unit(benchmark::kMillisecond);

// Texts out of a double's range, half of them negative: short ones just
// past either end, long mantissas with exponents of five digits, and
// 17-digit ones 4 to 100 powers of ten past the range.
const std::vector<std::string>& OutOfRangeTexts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> t;
    std::uint64_t s = 13;
    char buf[160];
    for (int i = 0; i < 1000000; ++i) {
      const std::uint64_t r = Mix(s);
      const char* sign = (r & 1) ? "-" : "";
      const int up = (r >> 1) & 1 ? 1 : -1;
      const auto digits = static_cast<unsigned long long>(Mix(s) >> 8);
      switch ((r >> 2) % 3) {
        case 0:
          std::snprintf(buf, sizeof buf, "%s%d.%de%d", sign,
                        static_cast<int>(r >> 8) % 9 + 1,
                        static_cast<int>(r >> 12) % 1000,
                        up * (330 + static_cast<int>(r >> 24) % 70));
          break;
        case 1:
          std::snprintf(buf, sizeof buf, "%s%llu%llu%llu.%llue%d", sign, digits,
                        digits >> 3, digits >> 5, digits >> 7,
                        up * (10000 + static_cast<int>(r >> 24) % 90000));
          break;
        default:
          std::snprintf(buf, sizeof buf, "%s%d.%016llue%d", sign,
                        static_cast<int>(r >> 8) % 9 + 1,
                        digits % 10000000000000000ull,
                        up * (328 + static_cast<int>(r >> 24) % 80));
      }
      t.emplace_back(buf);
    }
    return t;
  }();
  return texts;
}

void BM_QvGetDoubleOutOfRange(benchmark::State& state) {
  BM_QvGetDoubleOf<OutOfRangeTexts>(state);
}
BENCHMARK(BM_QvGetDoubleOutOfRange)->Unit(benchmark::kMillisecond);

void BM_StdGetDoubleOutOfRange(benchmark::State& state) {
  BM_StdGetDoubleOf<OutOfRangeTexts>(state);
}
BENCHMARK(BM_StdGetDoubleOutOfRange)->Unit(benchmark::kMillisecond);

// The same texts as the words of one line; compare with BM_QvGetDouble.
void BM_QvGetValueDouble(benchmark::State& state) {
  std::string joined;
  for (const std::string& t : Texts()) joined += t + ' ';
  const QvStdString text(joined);
  double sum = 0;
  for (auto _ : state) {
    int pos = 0;
    double v = 0;
    while (text.GetValue(pos, v)) sum += v;
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_QvGetValueDouble)->Unit(benchmark::kMillisecond);

// ---- Writing "%.Nf" ----

// Values of one magnitude class: 0 ordinary (coordinates below 1e6 with up
// to six decimals), 1 from 2^52 to 1e90, 2 from 1e90 to the largest double.
// Fewer of the long ones, which take longer each.
const std::vector<double>& Values(int kind) {
  static const std::vector<std::vector<double>> classes = [] {
    std::vector<std::vector<double>> c(3);
    std::uint64_t s = 42;
    static const double kScale[] = {1, 10, 100, 1000, 1e4, 1e5, 1e6};
    for (int i = 0; i < 1000000; ++i) {
      const double whole = static_cast<double>(Mix(s) % 2000001) - 1000000.0;
      c[0].push_back(whole / kScale[Mix(s) % 7]);
    }
    const double lo[] = {0, std::log2(4503599627370496.0), std::log2(1e90)};
    const double hi[] = {0, std::log2(1e90), 1024};
    for (int k = 1; k < 3; ++k)
      for (int i = 0; i < (k == 1 ? 100000 : 20000); ++i) {
        const double unit = static_cast<double>(Mix(s) >> 11) * 0x1p-53;
        double v = std::exp2(lo[k] + unit * (hi[k] - lo[k]));
        if (!std::isfinite(v)) v = 1.7976931348623157e308;
        c[k].push_back((Mix(s) & 1) ? -v : v);
      }
    return c;
  }();
  return classes[static_cast<std::size_t>(kind)];
}

void SetLabel(benchmark::State& state, std::size_t count) {
  static const char* const kKind[] = {"ordinary", "2^52..1e90", ">=1e90"};
  state.SetLabel(kKind[state.range(1)]);
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(count));
}

void BM_QvWriteFixed(benchmark::State& state) {
  const std::vector<double>& values = Values(static_cast<int>(state.range(1)));
  char format[8];
  std::snprintf(format, sizeof format, "%%.%df",
                static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state)
    for (double v : values)
      bytes += std::strlen(QvWriteDouble(format, v, true));
  SetLabel(state, values.size());
  benchmark::DoNotOptimize(bytes);
}

void BM_StdWriteFixed(benchmark::State& state) {
  const std::vector<double>& values = Values(static_cast<int>(state.range(1)));
  const int precision = static_cast<int>(state.range(0));
  char buf[512];
  std::size_t bytes = 0;
  for (auto _ : state)
    for (double v : values) {
      const auto r = std::to_chars(buf, buf + sizeof buf - 1, v,
                                   std::chars_format::fixed, precision);
      std::size_t n = static_cast<std::size_t>(r.ptr - buf);
      buf[n] = '\0';
      if (std::memchr(buf, '.', n) != nullptr) {
        std::size_t i = n - 1;
        while (i > 0 && (buf[i] == '0' || buf[i] == ' ')) --i;
        if (buf[i] == '.') --i;
        buf[i + 1] = '\0';
      }
      bytes += std::strlen(buf);
      benchmark::DoNotOptimize(buf);
    }
  SetLabel(state, values.size());
  benchmark::DoNotOptimize(bytes);
}

// Each case right beside its baseline, so that both see the same load.
const bool kFixedRegistered = [] {
  for (int kind = 0; kind < 3; ++kind)
    for (int n = 0; n <= 9; ++n)
      for (auto* b :
           {benchmark::RegisterBenchmark("BM_QvWriteFixed", BM_QvWriteFixed),
            benchmark::RegisterBenchmark("BM_StdWriteFixed", BM_StdWriteFixed)})
        b->ArgNames({"N", "class"})
            ->Args({n, kind})
            ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
