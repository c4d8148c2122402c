// ListNames.cpp - the process's display-list names: one pool in the
// library's own static storage, never constructed at run time and never
// destroyed.
#include "objects/ListNames.h"

#include <type_traits>

namespace {

// About a million names reused one by one: 4 MiB of zero pages, of which
// only as much is touched as names are in use at once.
using Pool = qv::ListNamePool<1u << 20>;
static_assert(std::is_trivially_default_constructible<Pool>::value &&
                  std::is_trivially_destructible<Pool>::value,
              "zero-initialised at load, nothing to run at exit");
static_assert(std::atomic<std::uint64_t>::is_always_lock_free,
              "the pool relies on 64-bit compare-and-swap");

Pool g_names;

}  // namespace

namespace qv {

std::uint32_t AcquireListName() {
  return g_names.Acquire();
}

void ReleaseListName(std::uint32_t name) {
  g_names.Release(name);
}

}  // namespace qv
