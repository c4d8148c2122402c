// FailingAlloc.h - allocations that fail on demand. The test program that
// links FailingAlloc.cpp replaces operator new (and, outside the address
// sanitizer, which keeps malloc for itself, malloc, calloc and realloc),
// so that the Nth allocation from the moment of arming fails, once or
// from there on.
#ifndef QVBASE_TESTS_ALLOC_FAILINGALLOC_H
#define QVBASE_TESTS_ALLOC_FAILINGALLOC_H

#include <cstddef>

// Set under the address sanitizer, whose runtime keeps malloc for itself.
#if defined(__SANITIZE_ADDRESS__)
#define QV_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QV_TEST_ASAN 1
#endif
#endif

namespace qvtest::alloc {

/// Counts allocations from now on and fails the nth (1-based), and with
/// `onward` every one after it too.
void Arm(long nth, bool onward);
/// Stops failing; allocations succeed again.
void Disarm();
/// Fails again as armed before, counting on from where Disarm stopped.
void Resume();
/// Allocations refused since Arm.
long Refused();
/// Blocks allocated and not yet freed through the replaced functions;
/// balanced before and after an operation when it leaks nothing (counted
/// only where malloc itself is replaced).
long Live();
/// Whether malloc, calloc and realloc are replaced too.
bool CoversMalloc();

}  // namespace qvtest::alloc

#endif  // QVBASE_TESTS_ALLOC_FAILINGALLOC_H
