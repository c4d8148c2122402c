// Encoding.h - fixed-width little-endian values as the neutral file stores
// them. Stores and loads are written with shifts, so they give the same
// bytes on every host; compilers turn them into single moves.
#ifndef QVBASE_SRC_NEUTRAL_ENCODING_H
#define QVBASE_SRC_NEUTRAL_ENCODING_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace qv {

// The neutral file's remembered stream position when the stream has none
// at all (a pipe), and when it is past offset 2^31 - 1, where no write may
// go; -1 there means: not known.
constexpr std::int32_t kNoPosition = -2;
constexpr std::int32_t kPastLimit = -3;

// A stream offset as a neutral file keeps it (64-bit, so that a position
// past 2 GiB reads as such where long is 32 bits): kNoPosition when the
// stream has none, kPastLimit past 2^31 - 1.
inline std::int32_t CodeOffset(bool known, std::int64_t at) {
  if (!known || at < 0) return kNoPosition;
  return at > INT32_MAX ? kPastLimit : static_cast<std::int32_t>(at);
}

static_assert(std::numeric_limits<float>::is_iec559 && sizeof(float) == 4,
              "floats are stored as IEEE 754 single bit patterns");
static_assert(std::numeric_limits<double>::is_iec559 && sizeof(double) == 8,
              "doubles are stored as IEEE 754 double bit patterns");
static_assert(sizeof(int) == 4 && sizeof(unsigned int) == 4,
              "int and unsigned int are stored as 4 bytes");

// Whether the host is known to keep integers least significant byte first.
// Only the bulk paths use it, to skip a conversion that would change
// nothing; an unknown host takes the portable path, which is always right.
#if defined(_WIN32) || \
    (defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__)
constexpr bool kHostLittleEndian = true;
#else
constexpr bool kHostLittleEndian = false;
#endif

inline void EncodeFixed32(unsigned char* dst, std::uint32_t v) {
  dst[0] = static_cast<unsigned char>(v);
  dst[1] = static_cast<unsigned char>(v >> 8);
  dst[2] = static_cast<unsigned char>(v >> 16);
  dst[3] = static_cast<unsigned char>(v >> 24);
}

inline void EncodeFixed64(unsigned char* dst, std::uint64_t v) {
  EncodeFixed32(dst, static_cast<std::uint32_t>(v));
  EncodeFixed32(dst + 4, static_cast<std::uint32_t>(v >> 32));
}

inline std::uint32_t DecodeFixed32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) |
         (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) |
         (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t DecodeFixed64(const unsigned char* p) {
  return static_cast<std::uint64_t>(DecodeFixed32(p)) |
         (static_cast<std::uint64_t>(DecodeFixed32(p + 4)) << 32);
}

// Most significant byte first: how a file with a non-zero order byte
// stores its values.
inline std::uint32_t DecodeFixed32Reversed(const unsigned char* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) |
         (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) |
         static_cast<std::uint32_t>(p[3]);
}

inline std::uint64_t DecodeFixed64Reversed(const unsigned char* p) {
  return (static_cast<std::uint64_t>(DecodeFixed32Reversed(p)) << 32) |
         static_cast<std::uint64_t>(DecodeFixed32Reversed(p + 4));
}

inline std::uint32_t ByteSwap32(std::uint32_t v) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_bswap32(v);
#else
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
#endif
}

inline std::uint64_t ByteSwap64(std::uint64_t v) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_bswap64(v);
#else
  return (static_cast<std::uint64_t>(ByteSwap32(static_cast<std::uint32_t>(v)))
          << 32) |
         ByteSwap32(static_cast<std::uint32_t>(v >> 32));
#endif
}

inline std::uint32_t FloatBits(float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, sizeof v);
  return v;
}

inline float FloatFromBits(std::uint32_t v) {
  float f;
  std::memcpy(&f, &v, sizeof f);
  return f;
}

inline std::uint64_t DoubleBits(double d) {
  std::uint64_t v;
  std::memcpy(&v, &d, sizeof v);
  return v;
}

inline double DoubleFromBits(std::uint64_t v) {
  double d;
  std::memcpy(&d, &v, sizeof d);
  return d;
}

// Swaps byte i with byte size - 1 - i: the whole run reversed.
inline void ReverseBytes(unsigned char* p, std::size_t size) {
  for (std::size_t i = 0, j = size; i + 1 < j; ++i) {
    --j;
    const unsigned char t = p[i];
    p[i] = p[j];
    p[j] = t;
  }
}

}  // namespace qv

#endif  // QVBASE_SRC_NEUTRAL_ENCODING_H
