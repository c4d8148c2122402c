// BitScan.h - lowest set bit of a 64-bit word, for the id summary.
#ifndef QVBASE_SRC_OBJECTS_BITSCAN_H
#define QVBASE_SRC_OBJECTS_BITSCAN_H

#include <cstdint>

namespace qv {

/// Index (0..63) of the lowest set bit of word; word must be nonzero.
inline unsigned LowestSetBit(std::uint64_t word) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<unsigned>(__builtin_ctzll(word));
#else
  // De Bruijn multiplication on the isolated lowest bit.
  static const unsigned char kTable[64] = {
      0,  1,  48, 2,  57, 49, 28, 3,  61, 58, 50, 42, 38, 29, 17, 4,
      62, 55, 59, 36, 53, 51, 43, 22, 45, 39, 33, 30, 24, 18, 12, 5,
      63, 47, 56, 27, 60, 41, 37, 16, 54, 35, 52, 21, 44, 32, 23, 11,
      46, 26, 40, 15, 34, 20, 31, 10, 25, 14, 19, 9,  13, 8,  7,  6};
  const std::uint64_t lowest = word & (0 - word);
  return kTable[(lowest * 0x03F79D71B4CB0A89ULL) >> 58];
#endif
}

}  // namespace qv

#endif  // QVBASE_SRC_OBJECTS_BITSCAN_H
