// ListNames.h - display-list names for drawable objects.
//
// Names come from 0xBFFFFFFF downward, to 0x80000000 at the lowest: far
// above the small names that glGenLists gives the application first, and
// far enough below the top of the range that an implementation that gives
// glGenLists the names above the highest one in use (Mesa does) still has
// room there. An object takes its name when it compiles its first list, so
// in a context the first list of all has the highest name, and every name
// handed out later is below it: glGenLists then never gives the
// application a name that an object holds or will get. Released names are
// handed out again, so the names in use stay within the top million of
// the range however many objects come and go, as long as fewer than that
// live at once.
//
// Lock-free and safe from any thread. The bookkeeping is plain static data
// with no constructor or destructor to run, so names may be taken and given
// back at any moment of the process's life, the exit handlers included, and
// unloading the library takes it away with nothing left behind.
#ifndef QVBASE_SRC_OBJECTS_LISTNAMES_H
#define QVBASE_SRC_OBJECTS_LISTNAMES_H

#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>
#include <type_traits>

namespace qv {

/// The range the names come from (see QvDrawableObj.h).
constexpr std::uint32_t kHighestListName = 0xBFFFFFFFu;
constexpr std::uint32_t kLowestListName = 0x80000000u;

/// A name in the range that no live holder has; 0 when every name of the
/// range is held or waits for the last of its group to come back.
std::uint32_t AcquireListName();
/// Gives a name from AcquireListName back; names outside the range are
/// ignored.
void ReleaseListName(std::uint32_t name);

/// The bookkeeping behind the two functions. Names kTop, kTop - 1, ...,
/// kTop - kSlots + 1 have a slot each and are reused one by one through
/// lock-free stacks of released slots (Treiber stacks whose heads carry a
/// change count, so that a slot popped and pushed back in between cannot
/// fool a pop). Each thread gives names back to a stack of its own among
/// sixteen, and takes names from it first, then never-used slots (a cache
/// line of links at a time, the rest put on its stack), then the other
/// stacks: threads that run at once seldom touch the same cache line.
/// Past the slots, while every slot is held, names go on downward from a
/// counter, to the lowest of the kNames names; they are reused together
/// once none of them is held any more. Until then a name is never handed
/// out twice: once the counter has reached the lowest name, Acquire gives
/// 0.
///
/// Zero bytes are the empty pool: static storage needs no constructor, and
/// `ListNamePool<n> pool{}` makes one elsewhere.
template <std::uint32_t kSlots,
          std::uint32_t kNames = kHighestListName - kLowestListName + 1>
class ListNamePool {
 public:
  static_assert(kSlots < kNames && kNames <= kHighestListName, "");
  static constexpr std::uint32_t kTop = kHighestListName;
  static constexpr std::uint32_t kLowest = kTop - (kNames - 1);
  static constexpr std::uint32_t kPastSlots = kNames - kSlots;

  std::uint32_t Acquire() {
    const std::uint32_t own = Own();
    std::uint32_t slot = 0;
    if (Pop(own, slot) || TakeNeverUsed(own, slot)) return kTop - slot;
    for (std::uint32_t i = 1; i < kStacks; ++i)
      if (Pop((own + i) % kStacks, slot)) return kTop - slot;
    std::uint64_t state = past_.load(std::memory_order_relaxed);
    do {
      // Every name past the slots handed out, and some still held.
      if (Low(state) >= kPastSlots) return 0;
    } while (!past_.compare_exchange_weak(state,
                                          Pack(High(state) + 1, Low(state) + 1),
                                          std::memory_order_relaxed));
    return kTop - kSlots - Low(state);
  }

  void Release(std::uint32_t name) {
    if (name < kLowest || name > kTop) return;
    const std::uint32_t index = kTop - name;
    if (index < kSlots) {
      Push(Own(), index, index);
      return;
    }
    // One name past the slots fewer held; the last one restarts them.
    std::uint64_t state = past_.load(std::memory_order_relaxed);
    std::uint64_t after;
    do {
      if (High(state) == 0) return;
      after = High(state) == 1 ? 0 : state - (1ull << 32);
    } while (
        !past_.compare_exchange_weak(state, after, std::memory_order_relaxed));
  }

 private:
  static constexpr int kStackBits = 4;
  static constexpr std::uint32_t kStacks = 1u << kStackBits;
  static constexpr std::uint32_t kRun = 16;  // links in a cache line

  // The calling thread's stack: its id's bits, spread by a multiplication.
  static std::uint32_t Own() {
    static_assert(std::is_trivially_copyable<std::thread::id>::value, "");
    const std::thread::id id = std::this_thread::get_id();
    std::uint64_t bits = 0;
    std::memcpy(&bits, &id, sizeof id < sizeof bits ? sizeof id : sizeof bits);
    return static_cast<std::uint32_t>((bits * 0x9E3779B97F4A7C15ull) >>
                                      (64 - kStackBits));
  }
  static std::uint32_t Low(std::uint64_t v) {
    return static_cast<std::uint32_t>(v);
  }
  static std::uint32_t High(std::uint64_t v) {
    return static_cast<std::uint32_t>(v >> 32);
  }
  static std::uint64_t Pack(std::uint32_t high, std::uint32_t low) {
    return (std::uint64_t{high} << 32) | low;
  }

  bool Pop(std::uint32_t stack, std::uint32_t& slot) {
    std::atomic<std::uint64_t>& top = stacks_[stack].top;
    std::uint64_t head = top.load(std::memory_order_acquire);
    while (Low(head) != 0) {
      const std::uint32_t below =
          next_[Low(head) - 1].load(std::memory_order_relaxed);
      if (top.compare_exchange_weak(head, Pack(High(head) + 1, below),
                                    std::memory_order_acquire)) {
        slot = Low(head) - 1;
        return true;
      }
    }
    return false;
  }

  // Puts first..last, linked from first to last already, on the stack.
  void Push(std::uint32_t stack, std::uint32_t first, std::uint32_t last) {
    std::atomic<std::uint64_t>& top = stacks_[stack].top;
    std::uint64_t head = top.load(std::memory_order_relaxed);
    do {
      next_[last].store(Low(head), std::memory_order_relaxed);
    } while (!top.compare_exchange_weak(head, Pack(High(head) + 1, first + 1),
                                        std::memory_order_release,
                                        std::memory_order_relaxed));
  }

  // Takes the next run of never-used slots: the first for the caller, the
  // others onto the stack in order.
  bool TakeNeverUsed(std::uint32_t stack, std::uint32_t& slot) {
    std::uint32_t begin = fresh_.load(std::memory_order_relaxed), end;
    do {
      if (begin >= kSlots) return false;
      end = kSlots - begin < kRun ? kSlots : begin + kRun;
    } while (
        !fresh_.compare_exchange_weak(begin, end, std::memory_order_relaxed));
    for (std::uint32_t i = begin + 1; i + 1 < end; ++i)
      next_[i].store(i + 2, std::memory_order_relaxed);
    if (begin + 1 < end) Push(stack, begin + 1, end - 1);
    slot = begin;
    return true;
  }

  // Per stack, change count : top released slot + 1 (0 when none).
  struct alignas(64) Stack {
    std::atomic<std::uint64_t> top;
  };
  Stack stacks_[kStacks];
  // The first slot never handed out.
  alignas(64) std::atomic<std::uint32_t> fresh_;
  // Names past the slots held : next of them to hand out, from kTop - kSlots.
  std::atomic<std::uint64_t> past_;
  // Per released slot: the slot below it on its stack, + 1.
  alignas(64) std::atomic<std::uint32_t> next_[kSlots];
};

}  // namespace qv

#endif  // QVBASE_SRC_OBJECTS_LISTNAMES_H
