// Value transfer of the neutral file beside the plain C library: WriteFloat
// vs one fwrite, ReadFloat vs one fread (stored little-endian and most
// significant byte first), buffer mode vs memcpy, and single-value writes
// vs one small fwrite each.
#include <benchmark/benchmark.h>

#include <QvBase/QvNeutralFile.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kCount = 1 << 20;
constexpr std::size_t kBytes = sizeof(float) * kCount;

std::vector<float> Values() {
  std::vector<float> v(kCount);
  for (int i = 0; i < kCount; ++i) v[i] = static_cast<float>(i) * 0.5f;
  return v;
}

// A temporary file holding the values' bytes, rewound for each round.
struct TempFile {
  TempFile() : f(std::tmpfile()) {
    const std::vector<float> v = Values();
    if (f == nullptr || std::fwrite(v.data(), 1, kBytes, f) != kBytes)
      std::abort();
    std::fflush(f);
  }
  ~TempFile() { std::fclose(f); }
  std::FILE* f;
};

void Finish(benchmark::State& state, bool ok) {
  if (!ok) state.SkipWithError("transfer failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kBytes));
}

void BM_RawFwrite(benchmark::State& state) {
  const std::vector<float> v = Values();
  TempFile file;
  bool ok = true;
  for (auto _ : state) {
    std::rewind(file.f);
    ok &= std::fwrite(v.data(), 1, kBytes, file.f) == kBytes;
  }
  Finish(state, ok);
}

void BM_WriteFloat(benchmark::State& state) {
  const std::vector<float> v = Values();
  TempFile file;
  QvNeutralFile nf(file.f);
  bool ok = true;
  for (auto _ : state) {
    std::rewind(file.f);
    ok &= nf.WriteFloat(v.data(), kCount);
  }
  Finish(state, ok);
}

void BM_RawFread(benchmark::State& state) {
  std::vector<float> v(kCount);
  TempFile file;
  bool ok = true;
  for (auto _ : state) {
    std::rewind(file.f);
    ok &= std::fread(v.data(), 1, kBytes, file.f) == kBytes;
    benchmark::DoNotOptimize(v.data());
  }
  Finish(state, ok && v[3] == 1.5f);
}

void BM_ReadFloat(benchmark::State& state) {
  const bool reversed = state.range(0) != 0;
  std::vector<float> v(kCount);
  TempFile file;
  QvNeutralFile nf(file.f);
  nf.SetL2R(reversed);
  bool ok = true;
  for (auto _ : state) {
    std::rewind(file.f);
    ok &= nf.ReadFloat(v.data(), kCount);
    benchmark::DoNotOptimize(v.data());
  }
  Finish(state, ok && (reversed || v[3] == 1.5f));
}

void BM_Memcpy(benchmark::State& state) {
  const std::vector<float> v = Values();
  std::vector<char> buf(kBytes);
  for (auto _ : state) {
    std::memcpy(buf.data(), v.data(), kBytes);
    benchmark::DoNotOptimize(buf.data());
  }
  Finish(state, true);
}

void BM_BufferWriteFloat(benchmark::State& state) {
  const std::vector<float> v = Values();
  std::vector<char> buf(kBytes);
  QvNeutralFile nf;
  bool ok = true;
  for (auto _ : state) {
    nf.SetBuf(buf.data(), buf.size());
    ok &= nf.WriteFloat(v.data(), kCount);
    benchmark::DoNotOptimize(buf.data());
  }
  Finish(state, ok);
}

void BM_BufferReadFloat(benchmark::State& state) {
  const std::vector<float> src = Values();
  std::vector<char> buf(kBytes);
  std::memcpy(buf.data(), src.data(), kBytes);
  std::vector<float> v(kCount);
  QvNeutralFile nf;
  bool ok = true;
  for (auto _ : state) {
    nf.SetBuf(buf.data(), buf.size());
    ok &= nf.ReadFloat(v.data(), kCount);
    benchmark::DoNotOptimize(v.data());
  }
  Finish(state, ok && v[3] == 1.5f);
}

// Single values, kSingles a round: the per-call cost of the stream writes.
constexpr int kSingles = 16384;

void FinishSingles(benchmark::State& state, bool ok) {
  if (!ok) state.SkipWithError("write failed");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                          kSingles);
}

void BM_RawFwriteSingle(benchmark::State& state) {
  const unsigned char bytes[4] = {1, 2, 3, 4};
  TempFile file;
  bool ok = true;
  for (auto _ : state) {
    std::rewind(file.f);
    for (int i = 0; i < kSingles; ++i)
      ok &= std::fwrite(bytes, 1, sizeof bytes, file.f) == sizeof bytes;
  }
  FinishSingles(state, ok);
}

void BM_WriteIntSingle(benchmark::State& state) {
  TempFile file;
  QvNeutralFile nf(file.f);
  bool ok = true;
  for (auto _ : state) {
    nf.GoToFileBegin();
    for (int i = 0; i < kSingles; ++i) ok &= nf.WriteInt(i);
  }
  FinishSingles(state, ok);
}

void BM_WriteDoubleSingle(benchmark::State& state) {
  TempFile file;
  QvNeutralFile nf(file.f);
  bool ok = true;
  for (auto _ : state) {
    nf.GoToFileBegin();
    for (int i = 0; i < kSingles; ++i) ok &= nf.WriteDouble(i * 0.5);
  }
  FinishSingles(state, ok);
}

BENCHMARK(BM_RawFwrite);
BENCHMARK(BM_WriteFloat);
BENCHMARK(BM_RawFread);
BENCHMARK(BM_ReadFloat)->ArgName("reversed")->Arg(0)->Arg(1);
BENCHMARK(BM_Memcpy);
BENCHMARK(BM_BufferWriteFloat);
BENCHMARK(BM_BufferReadFloat);
BENCHMARK(BM_RawFwriteSingle);
BENCHMARK(BM_WriteIntSingle);
BENCHMARK(BM_WriteDoubleSingle);

}  // namespace

BENCHMARK_MAIN();
