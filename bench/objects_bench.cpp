// Id manager under a random mix of DelId and GetNewId with n live ids,
// beside a std::set free list and a plain byte-by-byte scan that follow the
// same smallest-free rule. Each iteration frees a random live id and asks
// for a new one (two operations); the new id is the one just freed, so the
// scan after it runs over every used id above it.
//
// Drawable objects made and destroyed on 1 and on 4 threads, beside the
// same allocations of a plain object of the same size: the time per round
// on 4 threads over that on 1 shows what the list names cost when threads
// meet (2.0 on two cores is ideal).
#include <QvBase/QvDrawableObj.h>
#include <QvBase/QvIdManager.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
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

struct Dot final : QvDrawableObj {
  void Draw() override {}
};

// The same size, a virtual table and nothing behind the constructor.
struct PlainDot {
  virtual ~PlainDot() = default;
  virtual void Draw() {}
  unsigned char attrib[2] = {3, 0};
  float color[4] = {0.0f, 1.0f, 0.0f, 1.0f};
  std::uint32_t name = 1;
};
static_assert(sizeof(PlainDot) == sizeof(Dot), "same allocation size");

// Each round makes 64 objects, then destroys them (no OpenGL context).
template <class T>
void BM_MakeAndDestroy(benchmark::State& state) {
  std::vector<std::unique_ptr<T>> objs(64);
  for (auto _ : state) {
    for (auto& o : objs) o = std::make_unique<T>();
    benchmark::DoNotOptimize(objs.data());
    for (auto& o : objs) o.reset();
  }
  state.SetItemsProcessed(64 * state.iterations());
}

}  // namespace

BENCHMARK_TEMPLATE(BM_MakeAndDestroy, Dot)
    ->Threads(1)
    ->Threads(4)
    ->UseRealTime();
BENCHMARK_TEMPLATE(BM_MakeAndDestroy, PlainDot)
    ->Threads(1)
    ->Threads(4)
    ->UseRealTime();
BENCHMARK(BM_IdManager)->Arg(1000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_StdSetFreeList)->Arg(1000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_PlainByteScan)->Arg(1000)->Arg(100000)->Arg(1000000);

BENCHMARK_MAIN();
