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
// then the names past them from their start. Names outside the range,
// never handed out, are ignored.
TEST(QvListNames, ThreadsNeverShareAName) {
  constexpr std::uint32_t kTop = 0xBFFFFFFFu;
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
  for (std::uint32_t outside : {0u, 0x7FFFFFFFu, kTop + 1, 0xFFFFFFFFu})
    pool.Release(outside);
  std::vector<bool> slots(16);
  for (int i = 0; i < 16; ++i) slots.at(kTop - pool.Acquire()) = true;
  EXPECT_EQ(std::vector<bool>(16, true), slots);
  EXPECT_EQ(kTop - 16, pool.Acquire());
  EXPECT_EQ(kTop - 17, pool.Acquire());
}

// A pool of 40 names, 16 of them slots: once all are handed out it gives
// 0, and a name past the slots comes back only when none of them is held
// any more, however many were made; a slot comes back at once.
TEST(QvListNames, NoNameTwiceWhileHeld) {
  constexpr std::uint32_t kTop = 0xBFFFFFFFu;
  static qv::ListNamePool<16, 40> pool;
  std::vector<std::uint32_t> held;
  for (int i = 0; i < 40; ++i) held.push_back(pool.Acquire());
  EXPECT_EQ(kTop - 39, held.back());
  EXPECT_EQ(0u, pool.Acquire());
  pool.Release(kTop - 39 - 1);  // below the range: ignored
  pool.Release(held[20]);
  EXPECT_EQ(0u, pool.Acquire());  // 23 others past the slots still held
  pool.Release(held[3]);
  EXPECT_EQ(held[3], pool.Acquire());
  for (int i = 16; i < 40; ++i)
    if (i != 20) pool.Release(held[i]);
  EXPECT_EQ(kTop - 16, pool.Acquire());
}
