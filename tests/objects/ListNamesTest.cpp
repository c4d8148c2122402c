// The pool behind the drawable objects' list names, with four slots so
// that the names past the slots are reached.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "objects/ListNames.h"

namespace {

using Pool = qv::ListNamePool<4>;
constexpr std::uint32_t kTop = 0xFFFFFFFEu;

}  // namespace

// Slots first, from the top down; a released slot comes back first; names
// past the slots come back only once none of them is held.
TEST(QvListNames, SlotsThenNamesPastThem) {
  Pool pool{};
  for (std::uint32_t i = 0; i < 6; ++i) EXPECT_EQ(kTop - i, pool.Acquire());
  pool.Release(0);  // never handed out: ignored
  pool.Release(0xFFFFFFFFu);
  pool.Release(kTop - 1);
  pool.Release(kTop - 2);
  EXPECT_EQ(kTop - 2, pool.Acquire());
  EXPECT_EQ(kTop - 1, pool.Acquire());
  pool.Release(kTop - 4);
  EXPECT_EQ(kTop - 6, pool.Acquire());  // kTop - 5 is still held
  pool.Release(kTop - 5);
  pool.Release(kTop - 6);
  EXPECT_EQ(kTop - 4, pool.Acquire());
  EXPECT_EQ(kTop - 5, pool.Acquire());
}

// Four threads take and give back names, each holding up to 24 at a time
// from 16 slots, so that names past the slots come and go too: no name is
// ever held twice.
TEST(QvListNames, ThreadsNeverShareAName) {
  static qv::ListNamePool<16> pool;
  constexpr int kRounds = 20000;
  std::vector<std::atomic<int>> held(16 + 4 * kRounds);  // every index

  std::atomic<bool> clash{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      std::vector<std::uint32_t> mine;
      for (int round = 0; round < kRounds; ++round) {
        if (mine.size() < 24 && (round + t) % 3 != 0) {
          mine.push_back(pool.Acquire());
          const std::uint32_t index = kTop - mine.back();
          if (held.at(index).exchange(1) != 0) clash = true;
        } else if (!mine.empty()) {
          held[kTop - mine.back()] = 0;
          pool.Release(mine.back());
          mine.pop_back();
        }
      }
      for (std::uint32_t name : mine) {
        held[kTop - name] = 0;
        pool.Release(name);
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_FALSE(clash);
  // Everything given back: the 16 slots, then names past them anew.
  std::vector<bool> slots(16);
  for (int i = 0; i < 16; ++i) slots.at(kTop - pool.Acquire()) = true;
  EXPECT_EQ(std::vector<bool>(16, true), slots);
  EXPECT_EQ(kTop - 16, pool.Acquire());
}
