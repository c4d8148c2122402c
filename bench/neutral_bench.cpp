// Value transfer of the neutral file beside the plain C library: array
// writes vs one fwrite, every array read vs one fread of the same bytes
// (stored little-endian and most significant byte first), single values
// vs fread and fwrite of one value, and buffer mode vs memcpy. The files
// are temporary and page-cached: the figures are the library's own cost.
#include <benchmark/benchmark.h>

#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kCount = 1 << 20;
constexpr std::size_t kBytes = sizeof(float) * kCount;
// Single values move this many at a time between rewinds.
constexpr int kSingles = 1 << 16;

std::vector<float> Values() {
  std::vector<float> v(kCount);
  for (int i = 0; i < kCount; ++i) v[i] = static_cast<float>(i) * 0.5f;
  return v;
}

// A temporary file holding `copies` runs of the values' bytes, rewound
// for each round.
struct TempFile {
  explicit TempFile(int copies = 1) : f(std::tmpfile()) {
    const std::vector<float> v = Values();
    if (f == nullptr) std::abort();
    for (int i = 0; i < copies; ++i)
      if (std::fwrite(v.data(), 1, kBytes, f) != kBytes) std::abort();
    std::fflush(f);
  }
  ~TempFile() { std::fclose(f); }
  std::FILE* f;
};

void Finish(benchmark::State& state, bool ok, std::size_t bytes = kBytes) {
  if (!ok) state.SkipWithError("transfer failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes));
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

// One fread of range(0) bytes: the baseline of the array reads.
void BM_RawFread(benchmark::State& state) {
  const auto bytes = static_cast<std::size_t>(state.range(0));
  std::vector<char> v(bytes);
  TempFile file(static_cast<int>(bytes / kBytes));
  bool ok = true;
  for (auto _ : state) {
    std::rewind(file.f);
    ok &= std::fread(v.data(), 1, bytes, file.f) == bytes;
    benchmark::DoNotOptimize(v.data());
  }
  float third;
  std::memcpy(&third, v.data() + 12, 4);
  Finish(state, ok && third == 1.5f, bytes);
}

// One array read of kCount values of T through `read`; range(0) sets the
// byte-order flag.
template <typename T, bool (QvNeutralFile::*Read)(T*, int)>
void BM_ReadArray(benchmark::State& state) {
  const bool reversed = state.range(0) != 0;
  std::vector<T> v(kCount);
  TempFile file(static_cast<int>(sizeof(T) / sizeof(float)));
  QvNeutralFile nf(file.f);
  nf.SetL2R(reversed);
  bool ok = true;
  for (auto _ : state) {
    std::rewind(file.f);
    ok &= (nf.*Read)(v.data(), kCount);
    benchmark::DoNotOptimize(v.data());
  }
  float third;
  std::memcpy(&third, reinterpret_cast<const char*>(v.data()) + 12, 4);
  Finish(state, ok && (reversed || third == 1.5f), sizeof(T) * kCount);
}

void BM_ReadFloat(benchmark::State& state) {
  BM_ReadArray<float, &QvNeutralFile::ReadFloat>(state);
}
void BM_ReadDouble(benchmark::State& state) {
  BM_ReadArray<double, &QvNeutralFile::ReadDouble>(state);
}
void BM_ReadIntArray(benchmark::State& state) {
  BM_ReadArray<int, &QvNeutralFile::ReadInt>(state);
}
void BM_ReadLongArray(benchmark::State& state) {
  BM_ReadArray<std::int32_t, &QvNeutralFile::ReadLong>(state);
}
void BM_ReadUIntArray(benchmark::State& state) {
  BM_ReadArray<unsigned int, &QvNeutralFile::ReadUInt>(state);
}

// kSingles values read one call each, after one rewind.
template <typename Op>
void Singles(benchmark::State& state, std::size_t width, Op op) {
  TempFile file;
  QvNeutralFile nf(file.f);
  bool ok = true;
  for (auto _ : state) {
    std::rewind(file.f);
    for (int i = 0; i < kSingles; ++i) ok &= op(nf, file.f);
  }
  Finish(state, ok, width * kSingles);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                          kSingles);
}

void BM_RawFreadSingle(benchmark::State& state) {
  unsigned int u = 0;
  Singles(state, 4, [&](QvNeutralFile&, std::FILE* f) {
    benchmark::DoNotOptimize(u);
    return std::fread(&u, 1, 4, f) == 4;
  });
}

void BM_ReadUIntSingle(benchmark::State& state) {
  unsigned int u = 0;
  Singles(state, 4, [&](QvNeutralFile& nf, std::FILE*) {
    benchmark::DoNotOptimize(u);
    return nf.ReadUInt(u);
  });
}

void BM_ReadFloatOne(benchmark::State& state) {
  float x = 0;
  Singles(state, 4, [&](QvNeutralFile& nf, std::FILE*) {
    benchmark::DoNotOptimize(x);
    return nf.ReadFloat(&x, 1);
  });
}

void BM_ReadDoubleOne(benchmark::State& state) {
  double x = 0;
  Singles(state, 8, [&](QvNeutralFile& nf, std::FILE*) {
    benchmark::DoNotOptimize(x);
    return nf.ReadDouble(&x, 1);
  });
}

void BM_RawFwriteSingle(benchmark::State& state) {
  const unsigned int u = 0x01020304u;
  Singles(state, 4, [&](QvNeutralFile&, std::FILE* f) {
    return std::fwrite(&u, 1, 4, f) == 4;
  });
}

void BM_WriteUIntSingle(benchmark::State& state) {
  const unsigned int u = 0x01020304u;
  Singles(state, 4,
          [&](QvNeutralFile& nf, std::FILE*) { return nf.WriteUInt(u); });
}

void BM_WriteFloatSingle(benchmark::State& state) {
  const float x = 1.5f;
  Singles(state, 4,
          [&](QvNeutralFile& nf, std::FILE*) { return nf.WriteFloat(x); });
}

void BM_WriteDoubleSingle(benchmark::State& state) {
  const double x = 1.5;
  Singles(state, 8,
          [&](QvNeutralFile& nf, std::FILE*) { return nf.WriteDouble(x); });
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

BENCHMARK(BM_RawFwrite);
BENCHMARK(BM_WriteFloat);
BENCHMARK(BM_RawFread)->ArgName("bytes")->Arg(kBytes)->Arg(2 * kBytes);
BENCHMARK(BM_ReadFloat)->ArgName("reversed")->Arg(0)->Arg(1);
BENCHMARK(BM_ReadDouble)->ArgName("reversed")->Arg(0)->Arg(1);
BENCHMARK(BM_ReadIntArray)->ArgName("reversed")->Arg(0)->Arg(1);
BENCHMARK(BM_ReadLongArray)->ArgName("reversed")->Arg(0)->Arg(1);
BENCHMARK(BM_ReadUIntArray)->ArgName("reversed")->Arg(0)->Arg(1);
BENCHMARK(BM_RawFreadSingle);
BENCHMARK(BM_ReadUIntSingle);
BENCHMARK(BM_ReadFloatOne);
BENCHMARK(BM_ReadDoubleOne);
BENCHMARK(BM_RawFwriteSingle);
BENCHMARK(BM_WriteUIntSingle);
BENCHMARK(BM_WriteFloatSingle);
BENCHMARK(BM_WriteDoubleSingle);
BENCHMARK(BM_Memcpy);
BENCHMARK(BM_BufferWriteFloat);
BENCHMARK(BM_BufferReadFloat);

}  // namespace

BENCHMARK_MAIN();
