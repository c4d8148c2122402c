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
  // the call would cost the fast paths a good part of their lead.
  unsigned short control;
  __asm__ volatile("fnstcw %0" : "=m"(control));
  return (control & 0xc00) == 0;
#else
  return std::fegetround() == FE_TONEAREST;
#endif
}

}  // namespace qv::text

#endif  // QVBASE_SRC_TEXT_ROUNDINGMODE_H
