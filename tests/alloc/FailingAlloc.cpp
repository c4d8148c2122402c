// Replaced allocation functions for the allocation-failure test. Under the
// address sanitizer only operator new is replaced (its runtime owns
// malloc, and its leak checker tells what is left over); elsewhere (glibc)
// the malloc family is replaced as well, forwarding to the C library's own
// entry points, so that the C library's allocations (a stream's buffer, a
// formatting area) fail too.
#include "alloc/FailingAlloc.h"

#include <cerrno>
#include <cstdlib>
#include <new>

namespace qvtest::alloc {
namespace {

// Plain globals: allocation functions run before any constructor does.
bool g_armed = false;
bool g_onward = false;
long g_nth = 0;
long g_counted = 0;
long g_refused = 0;
long g_live = 0;

// Whether this allocation is to fail; a refusal sets errno as the C
// library's own does.
bool Refuse() {
  if (!g_armed) return false;
  ++g_counted;
  if (g_counted == g_nth || (g_onward && g_counted > g_nth)) {
    ++g_refused;
    errno = ENOMEM;
    return true;
  }
  return false;
}

}  // namespace

void Arm(long nth, bool onward) {
  g_counted = 0;
  g_refused = 0;
  g_nth = nth;
  g_onward = onward;
  g_armed = true;
}

void Disarm() {
  g_armed = false;
}

void Resume() {
  g_armed = true;
}

long Refused() {
  return g_refused;
}

long Live() {
  return g_live;
}

bool CoversMalloc() {
#if defined(QV_TEST_ASAN)
  return false;
#else
  return true;
#endif
}

}  // namespace qvtest::alloc

namespace alloc = qvtest::alloc;

#if defined(QV_TEST_ASAN)

namespace {

void* NewOrNull(std::size_t size) {
  if (alloc::Refuse()) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void* NewOrThrow(std::size_t size) {
  void* p = NewOrNull(size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

void* operator new(std::size_t size) {
  return NewOrThrow(size);
}
void* operator new[](std::size_t size) {
  return NewOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return NewOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return NewOrNull(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}

#else  // glibc: the malloc family, which operator new goes through

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void __libc_free(void* p);

void* malloc(std::size_t size) {
  if (alloc::Refuse()) return nullptr;
  void* p = __libc_malloc(size);
  if (p != nullptr) ++alloc::g_live;
  return p;
}

void* calloc(std::size_t count, std::size_t size) {
  if (alloc::Refuse()) return nullptr;
  void* p = __libc_calloc(count, size);
  if (p != nullptr) ++alloc::g_live;
  return p;
}

void* realloc(void* old, std::size_t size) {
  if (old == nullptr) return malloc(size);
  if (size == 0) {
    free(old);
    return nullptr;
  }
  if (alloc::Refuse()) return nullptr;
  return __libc_realloc(old, size);
}

void free(void* p) {
  if (p != nullptr) --alloc::g_live;
  __libc_free(p);
}
}  // extern "C"

#endif
