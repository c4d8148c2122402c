// SeparatorSet.h - a set of separator bytes as a 256-bit map, built once
// per scan so that each character test is a shift and a mask.
#ifndef QVBASE_SRC_TEXT_SEPARATORSET_H
#define QVBASE_SRC_TEXT_SEPARATORSET_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// Eight bytes are tested at once where the loaded word's lowest byte is the
// first in memory and the compiler counts trailing zeros.
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && \
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define QV_TEXT_WORD_AT_A_TIME 1
#endif

namespace qv::text {

class SeparatorSet {
 public:
  explicit SeparatorSet(const std::string& chars)
      : SeparatorSet(chars.data(), chars.size()) {}
  constexpr SeparatorSet(const char* chars, std::size_t n) {
    // Built in registers: sets are made once per scan call, and updates
    // through memory would stall on each other.
    std::uint64_t b0 = 0, b1 = 0, b2 = 0, b3 = 0;
    unsigned highest = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const auto u = static_cast<unsigned char>(chars[i]);
      const std::uint64_t bit = std::uint64_t{1} << (u & 63);
      const unsigned quarter = u >> 6;
      b0 |= quarter == 0 ? bit : 0;
      b1 |= quarter == 1 ? bit : 0;
      b2 |= quarter == 2 ? bit : 0;
      b3 |= quarter == 3 ? bit : 0;
      highest = u > highest ? u : highest;
    }
    bits_[0] = b0;
    bits_[1] = b1;
    bits_[2] = b2;
    bits_[3] = b3;
    // The eight-at-a-time test needs every separator below a bound of at
    // most 128.
    bound_ = n > 0 && highest < 128 ? highest + 1 : 0;
  }

  /// The white-space set " \t\n\r".
  static SeparatorSet White();
  /// The set of the characters of `chars`; the white-space set, the usual
  /// one, is recognised and taken ready-made.
  static SeparatorSet Of(const std::string& chars);

  bool Has(char c) const {
    const auto u = static_cast<unsigned char>(c);
    return (bits_[u >> 6] >> (u & 63)) & 1u;
  }

  /// Index of the first character at or after `from` that is (or, with
  /// `isSep` false, is not) a separator; `n` when there is none.
  std::size_t Find(const char* s, std::size_t from, std::size_t n,
                   bool isSep) const {
    if (isSep) return FindSeparator(s, from, n);
    while (from < n && Has(s[from])) ++from;
    return from;
  }

  /// Index of the first separator at or after `from`, or `n`. When every
  /// separator is a low byte (white space, commas) eight characters at a
  /// time are tested for a byte below the bound, and only a candidate so
  /// found is looked up in the map.
  std::size_t FindSeparator(const char* s, std::size_t from,
                            std::size_t n) const {
#if defined(QV_TEXT_WORD_AT_A_TIME)
    if (bound_ != 0) {
      constexpr std::uint64_t kOnes = 0x0101010101010101ull;
      constexpr std::uint64_t kHigh = 0x8080808080808080ull;
      const std::uint64_t below = kOnes * bound_;
      while (from + 8 <= n) {
        std::uint64_t x;
        std::memcpy(&x, s + from, sizeof x);
        // The lowest flagged byte is the first one below the bound.
        const std::uint64_t low = (x - below) & ~x & kHigh;
        if (low == 0) {
          from += 8;
          continue;
        }
        const std::size_t at =
            from + static_cast<std::size_t>(__builtin_ctzll(low) >> 3);
        if (Has(s[at])) return at;
        from = at + 1;
      }
    }
#endif
    while (from < n && !Has(s[from])) ++from;
    return from;
  }

 private:
  std::uint64_t bits_[4] = {0, 0, 0, 0};
  unsigned bound_ = 0;  // 0: test one byte at a time
};

inline constexpr SeparatorSet kWhiteSet(" \t\n\r", 4);

inline SeparatorSet SeparatorSet::White() {
  return kWhiteSet;
}

inline SeparatorSet SeparatorSet::Of(const std::string& chars) {
  if (chars.size() == 4 && std::memcmp(chars.data(), " \t\n\r", 4) == 0)
    return kWhiteSet;
  return SeparatorSet(chars);
}

/// Bounds of a word found by ScanWord: [begin, end) and where the scan
/// position moves to (-1 when the word ends the text).
struct WordSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
  int next = -1;
};

/// The word scan behind GetWord: the next run of non-separators at or after
/// `pos`. False when `pos` is negative or only separators remain.
inline bool ScanWord(const std::string& text, int pos, const SeparatorSet& seps,
                     WordSpan* span) {
  if (pos < 0) return false;
  const std::size_t n = text.size();
  const char* s = text.data();
  const std::size_t begin =
      seps.Find(s, static_cast<std::size_t>(pos), n, false);
  if (begin >= n) return false;
  const std::size_t end = seps.FindSeparator(s, begin + 1, n);
  span->begin = begin;
  span->end = end;
  span->next = end >= n ? -1 : static_cast<int>(end);
  return true;
}

}  // namespace qv::text

#endif  // QVBASE_SRC_TEXT_SEPARATORSET_H
