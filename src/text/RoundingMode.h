// RoundingMode.h - whether the number texts may take their fast paths.
#ifndef QVBASE_SRC_TEXT_ROUNDINGMODE_H
#define QVBASE_SRC_TEXT_ROUNDINGMODE_H

#include <cfenv>

namespace qv::text {

/// True when the floating-point environment rounds to nearest. The fast
/// readers and writers round as the C library does in that mode only; in a
/// directed mode the C library's own conversions give the result.
inline bool RoundsToNearest() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  // What fegetround reads on x86 under glibc and MinGW-w64 - the rounding
  // field of the x87 control word - without a call into the math library:
  // the call would cost the fast paths a good part of their lead. The SSE
  // unit has a rounding field of its own, which SIMD code may set alone
  // (_MM_SET_ROUNDING_MODE); the fast readers' arithmetic runs there, while
  // the C library goes by the x87 field, so both must round to nearest.
  unsigned short control;
  __asm__ volatile("fnstcw %0" : "=m"(control));
#if defined(__SSE2__)
  unsigned int sse;
  __asm__ volatile("stmxcsr %0" : "=m"(sse));
  return (control & 0xc00) == 0 && (sse & 0x6000) == 0;
#else
  return (control & 0xc00) == 0;
#endif
#else
  return std::fegetround() == FE_TONEAREST;
#endif
}

}  // namespace qv::text

#endif  // QVBASE_SRC_TEXT_ROUNDINGMODE_H
