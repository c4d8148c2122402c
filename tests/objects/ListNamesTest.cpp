// The pool behind the drawable objects' list names, small enough that the
// names past its slots are reached.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "objects/ListNames.h"

// Four threads take and give back names, each holding up to 24 at a time
// from 16 slots, so that names past the slots come and go too: no name is
// ever held twice, and once all are given back the slots come first again,
// then the names past them from their start. 0 and 0xFFFFFFFF, never
// handed out, are ignored.
TEST(QvListNames, ThreadsNeverShareAName) {
  constexpr std::uint32_t kTop = 0xFFFFFFFEu;
  constexpr int kRounds = 20000;
  static qv::ListNamePool<16> pool;
  std::vector<std::atomic<int>> held(16 + 4 * kRounds);  // every index
  std::atomic<bool> clash{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      std::vector<std::uint32_t> mine;
      for (int round = 0; round < kRounds; ++round) {
        if (mine.size() < 24 && (round + t) % 3 != 0) {
          mine.push_back(pool.Acquire());
          if (held.at(kTop - mine.back()).exchange(1) != 0) clash = true;
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
  pool.Release(0);
  pool.Release(0xFFFFFFFFu);
  std::vector<bool> slots(16);
  for (int i = 0; i < 16; ++i) slots.at(kTop - pool.Acquire()) = true;
  EXPECT_EQ(std::vector<bool>(16, true), slots);
  EXPECT_EQ(kTop - 16, pool.Acquire());
  EXPECT_EQ(kTop - 17, pool.Acquire());
}
