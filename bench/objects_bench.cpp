// Id manager under a random mix of DelId and GetNewId with n live ids,
// beside a std::set free list and a plain byte-by-byte scan that follow the
// same smallest-free rule. Each iteration frees a random live id and asks
// for a new one (two operations); the new id is the one just freed, so the
// scan after it runs over every used id above it.
#include <QvBase/QvIdManager.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <set>
#include <vector>

namespace {

// Small fast generator, so the random ids cost little beside the work.
struct XorShift {
  std::uint64_t state = 0x9E3779B97F4A7C15ULL;
  unsigned Below(unsigned n) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<unsigned>(state % n);
  }
};

void BM_IdManager(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  QvIdManager ids;
  for (unsigned i = 0; i < n; ++i) ids.GetNewId();
  XorShift rng;
  for (auto _ : state) {
    const unsigned id = rng.Below(n);
    ids.DelId(id);
    if (ids.GetNewId() != id) state.SkipWithError("wrong id");
  }
  state.SetItemsProcessed(2 * state.iterations());
}

// Baseline: the free ids in an ordered set, new ids past the end.
void BM_StdSetFreeList(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  std::set<unsigned> freeIds;
  unsigned end = n;
  XorShift rng;
  for (auto _ : state) {
    const unsigned id = rng.Below(n);
    freeIds.insert(id);
    unsigned got;
    if (freeIds.empty()) {
      got = end++;
    } else {
      got = *freeIds.begin();
      freeIds.erase(freeIds.begin());
    }
    if (got != id) state.SkipWithError("wrong id");
  }
  state.SetItemsProcessed(2 * state.iterations());
}

// Baseline: flags and a byte-by-byte scan after each handed-out id.
void BM_PlainByteScan(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  std::vector<unsigned char> used(n, 1);
  unsigned next = n;
  XorShift rng;
  for (auto _ : state) {
    const unsigned id = rng.Below(n);
    used[id] = 0;
    if (next > id) next = id;
    const unsigned got = next;
    used[got] = 1;
    while (next < used.size() && used[next] == 1) ++next;
    if (got != id) state.SkipWithError("wrong id");
  }
  state.SetItemsProcessed(2 * state.iterations());
}

}  // namespace

BENCHMARK(BM_IdManager)->Arg(1000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_StdSetFreeList)->Arg(1000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_PlainByteScan)->Arg(1000)->Arg(100000)->Arg(1000000);

BENCHMARK_MAIN();
