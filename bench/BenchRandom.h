// BenchRandom.h - the generator the benchmarks draw their data from
// (splitmix64): fixed seeds give the same data on every run and platform.
#ifndef QVBASE_BENCH_BENCHRANDOM_H
#define QVBASE_BENCH_BENCHRANDOM_H

#include <cstdint>

namespace qvbench {

/// The next value of the sequence whose state is `state`.
inline std::uint64_t Mix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace qvbench

#endif  // QVBASE_BENCH_BENCHRANDOM_H
