// RoundingMode.h - whether the number texts may take their fast paths.
#ifndef QVBASE_SRC_TEXT_ROUNDINGMODE_H
#define QVBASE_SRC_TEXT_ROUNDINGMODE_H

#include <cfenv>
#include <cstdint>
#include <cstring>

namespace qv::text {

/// The parts of the floating-point environment that the fast paths depend
/// on, read together: the rounding fields of the units that the C library
/// and the fast readers' arithmetic go by, and the flags that flush
/// subnormals to zero or read them as zero (FTZ / DAZ on the SSE unit, FZ
/// on AArch64), as -ffast-math start-up code and much SIMD code set.
struct FloatMode {
  unsigned bits;  // those fields as they are; 0 in the default mode

  /// Rounding to nearest, and nothing flushed.
  bool Default() const { return bits == 0; }
  /// Rounding to nearest in every unit.
  bool Nearest() const { return (bits & kRounding) == 0; }

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  // The x87 rounding field (bits 10-11) beside the SSE unit's MXCSR
  // fields: rounding (bits 13-14), FTZ (bit 15) and DAZ (bit 6).
  static constexpr unsigned kRounding = 0x6c00, kFlush = 0x8040;
#elif defined(__GNUC__) && defined(__aarch64__)
  // FPCR: the rounding field (bits 22-23) and FZ (bit 24).
  static constexpr unsigned kRounding = 3u << 22, kFlush = 1u << 24;
#else
  static constexpr unsigned kRounding = 1, kFlush = 0;
#endif
};

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// What fegetround reads on x86 under glibc and MinGW-w64 - the rounding
// field of the x87 control word - without a call into the math library:
// the call would cost the fast paths a good part of their lead. The SSE
// unit has a rounding field of its own, which SIMD code may set alone
// (_MM_SET_ROUNDING_MODE); the fast readers' arithmetic runs there, while
// the C library goes by the x87 field, so both must round to nearest.
inline unsigned X87Control() {
  unsigned short control;
  __asm__ volatile("fnstcw %0" : "=m"(control));
  return control;
}
#if defined(__SSE2__)
inline unsigned SseControl() {
  unsigned int sse;
  __asm__ volatile("stmxcsr %0" : "=m"(sse));
  return sse;
}
#else
inline unsigned SseControl() {
  return 0;
}
#endif
#endif

inline FloatMode CurrentFloatMode() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  return {(X87Control() & 0xc00u) | (SseControl() & 0xe040u)};
#elif defined(__GNUC__) && defined(__aarch64__)
  std::uint64_t fpcr;
  __asm__ volatile("mrs %0, fpcr" : "=r"(fpcr));
  return {static_cast<unsigned>(fpcr) &
          (FloatMode::kRounding | FloatMode::kFlush)};
#else
  return {std::fegetround() == FE_TONEAREST ? 0u : 1u};
#endif
}

/// True when the floating-point environment rounds to nearest. The fast
/// readers and writers round as the C library does in that mode only; in a
/// directed mode the C library's own conversions give the result.
inline bool RoundsToNearest() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  return (X87Control() & 0xc00u) == 0 && (SseControl() & 0x6000u) == 0;
#else
  return CurrentFloatMode().Nearest();
#endif
}

/// True for a subnormal `value`, told by its bits: a comparison would
/// take it for zero where subnormal inputs are read as zero.
inline bool IsSubnormal(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  bits &= ~(std::uint64_t{1} << 63);
  return bits != 0 && bits < (std::uint64_t{1} << 52);
}

}  // namespace qv::text

#endif  // QVBASE_SRC_TEXT_ROUNDINGMODE_H
