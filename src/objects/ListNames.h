// ListNames.h - display-list names for drawable objects.
//
// Names come from the top of the 32-bit range downward, far from the small
// names that glGenLists gives the application: 0xFFFFFFFE first, while
// 0xFFFFFFFF is kept for the context marker (see QvDrawableObj.cpp). A
// released name is handed out again before a new one, so the names in use
// stay near the top however many objects come and go.
//
// Lock-free and safe from any thread. The bookkeeping is plain static data
// with no constructor or destructor to run, so names may be taken and given
// back at any moment of the process's life, the exit handlers included, and
// unloading the library takes it away with nothing left behind.
#ifndef QVBASE_SRC_OBJECTS_LISTNAMES_H
#define QVBASE_SRC_OBJECTS_LISTNAMES_H

#include <atomic>
#include <cstdint>

namespace qv {

/// Compiled (empty) in every context where an object compiles a list;
/// never an object's name.
constexpr std::uint32_t kMarkerListName = 0xFFFFFFFFu;

/// A nonzero name that no live holder has.
std::uint32_t AcquireListName();
/// Gives a name from AcquireListName back; 0 is ignored.
void ReleaseListName(std::uint32_t name);

/// The bookkeeping behind the two functions. Names kTop, kTop - 1, ...,
/// kTop - kSlots + 1 have a slot each and are reused one by one through a
/// lock-free stack of released slots (a Treiber stack whose head carries a
/// change count, so that a slot popped and pushed back in between cannot
/// fool a pop). Past those, while every slot is held, names go on downward
/// from a counter; they are reused together once none of them is held any
/// more, and the counter starts again at kSlots after 2^31 names, the
/// lowest name being 0x80000000.
///
/// Zero bytes are the empty pool: static storage needs no constructor, and
/// `ListNamePool<n> pool{}` makes one elsewhere.
template <std::uint32_t kSlots>
class ListNamePool {
 public:
  static constexpr std::uint32_t kTop = kMarkerListName - 1;
  static constexpr std::uint32_t kLastIndex = kTop - 0x80000000u;

  std::uint32_t Acquire() {
    std::uint64_t head = free_.load(std::memory_order_acquire);
    while (Low(head) != 0) {
      const std::uint32_t slot = Low(head) - 1;
      const std::uint32_t below = next_[slot].load(std::memory_order_relaxed);
      if (free_.compare_exchange_weak(head, Pack(High(head) + 1, below),
                                      std::memory_order_acquire))
        return kTop - slot;
    }
    // No released slot: a slot never used, or a name past the slots.
    std::uint64_t state = counter_.load(std::memory_order_relaxed);
    for (;;) {
      std::uint32_t index = Low(state);
      std::uint64_t after = state + 1;
      if (index >= kSlots) {
        if (index > kLastIndex) index = kSlots;
        after = Pack(High(state) + 1, index + 1);
      }
      if (counter_.compare_exchange_weak(state, after,
                                         std::memory_order_relaxed))
        return kTop - index;
    }
  }

  void Release(std::uint32_t name) {
    if (name == 0 || name > kTop) return;
    const std::uint32_t index = kTop - name;
    if (index < kSlots) {
      std::uint64_t head = free_.load(std::memory_order_relaxed);
      do {
        next_[index].store(Low(head), std::memory_order_relaxed);
      } while (!free_.compare_exchange_weak(
          head, Pack(High(head) + 1, index + 1), std::memory_order_release,
          std::memory_order_relaxed));
      return;
    }
    // One name past the slots fewer; the last one restarts the counter.
    std::uint64_t state = counter_.load(std::memory_order_relaxed);
    std::uint64_t after;
    do {
      if (High(state) == 0) return;
      after = High(state) == 1 ? Pack(0, kSlots) : state - (1ull << 32);
    } while (!counter_.compare_exchange_weak(state, after,
                                             std::memory_order_relaxed));
  }

 private:
  static std::uint32_t Low(std::uint64_t v) {
    return static_cast<std::uint32_t>(v);
  }
  static std::uint32_t High(std::uint64_t v) {
    return static_cast<std::uint32_t>(v >> 32);
  }
  static std::uint64_t Pack(std::uint32_t high, std::uint32_t low) {
    return (std::uint64_t{high} << 32) | low;
  }

  // Change count : top released slot + 1 (0 when none).
  alignas(64) std::atomic<std::uint64_t> free_;
  // Names past the slots held : next index never handed out.
  alignas(64) std::atomic<std::uint64_t> counter_;
  // Per released slot: the slot below it on the stack, + 1.
  alignas(64) std::atomic<std::uint32_t> next_[kSlots];
};

}  // namespace qv

#endif  // QVBASE_SRC_OBJECTS_LISTNAMES_H
