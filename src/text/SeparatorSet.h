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

  /// Index of the first separator at or after `from`, or `n`.
  std::size_t FindSeparator(const char* s, std::size_t from,
                            std::size_t n) const;

  /// True when this is the white-space set, for which the scans use a
  /// test that the compiler sees whole.
  bool IsWhite() const {
    return bits_[0] == kWhiteBits && (bits_[1] | bits_[2] | bits_[3]) == 0;
  }
  unsigned Bound() const { return bound_; }

  static constexpr std::uint64_t kWhiteBits =
      (std::uint64_t{1} << ' ') | (std::uint64_t{1} << '\t') |
      (std::uint64_t{1} << '\n') | (std::uint64_t{1} << '\r');

 private:
  std::uint64_t bits_[4] = {0, 0, 0, 0};
  unsigned bound_ = 0;  // 0: test one byte at a time
};

#if defined(QV_TEXT_WORD_AT_A_TIME)
/// Flags (the high bit of) each byte of x below bound (at most 128) and
/// perhaps bytes after the first flagged one: the lowest flag is the first
/// byte below the bound.
inline std::uint64_t BytesBelow(std::uint64_t x, unsigned bound) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  return (x - kOnes * bound) & ~x & kHigh;
}
#endif

/// Index of the first character at or after `from` for which `isSep` holds,
/// or `n`. When every separator is below `bound` (at most 128; 0 for no
/// such bound) eight characters at a time are tested for a byte below the
/// bound, and only a candidate so found is tested with `isSep`.
template <typename IsSep>
std::size_t FindSeparatorBy(const char* s, std::size_t from, std::size_t n,
                            IsSep isSep, [[maybe_unused]] unsigned bound) {
#if defined(QV_TEXT_WORD_AT_A_TIME)
  if (bound != 0) {
    while (from + 8 <= n) {
      std::uint64_t x;
      std::memcpy(&x, s + from, sizeof x);
      const std::uint64_t low = BytesBelow(x, bound);
      if (low == 0) {
        from += 8;
        continue;
      }
      const std::size_t at =
          from + static_cast<std::size_t>(__builtin_ctzll(low) >> 3);
      if (isSep(s[at])) return at;
      from = at + 1;
    }
  }
#endif
  while (from < n && !isSep(s[from])) ++from;
  return from;
}

/// The white-space test: space, tab, line feed, carriage return.
struct WhiteTest {
  bool operator()(char c) const {
    const auto u = static_cast<unsigned char>(c);
    return u <= ' ' && ((SeparatorSet::kWhiteBits >> u) & 1u) != 0;
  }
};

inline std::size_t SeparatorSet::FindSeparator(const char* s, std::size_t from,
                                               std::size_t n) const {
  return FindSeparatorBy(
      s, from, n, [this](char c) { return Has(c); }, bound_);
}

inline constexpr SeparatorSet kWhiteSet(" \t\n\r", 4);

inline SeparatorSet SeparatorSet::White() {
  return kWhiteSet;
}

/// True when `chars` is " \t\n\r" as written by the callers.
inline bool IsWhiteSet(const std::string& chars) {
  return chars.size() == 4 && std::memcmp(chars.data(), " \t\n\r", 4) == 0;
}

inline SeparatorSet SeparatorSet::Of(const std::string& chars) {
  if (IsWhiteSet(chars)) return kWhiteSet;
  return SeparatorSet(chars);
}

/// Bounds of a word found by ScanWord: [begin, end) and where the scan
/// position moves to (-1 when the word ends the text).
struct WordSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
  int next = -1;
};

/// The next run of characters for which `isSep` fails, at or after
/// `from`: [begin, end). False when there is none.
template <typename IsSep>
bool FindWordBy(const char* s, std::size_t from, std::size_t n, IsSep isSep,
                unsigned bound, std::size_t* begin, std::size_t* end) {
  while (from < n && isSep(s[from])) ++from;
  if (from >= n) return false;
  *begin = from;
  *end = FindSeparatorBy(s, from + 1, n, isSep, bound);
  return true;
}

/// The word scan behind GetWord: the next run of non-separators at or after
/// `pos`. False when `pos` is negative or only separators remain.
inline bool ScanWord(const std::string& text, int pos, const SeparatorSet& seps,
                     WordSpan* span) {
  if (pos < 0) return false;
  const std::size_t n = text.size();
  const char* s = text.data();
  const auto from = static_cast<std::size_t>(pos);
  const bool found =
      seps.IsWhite()
          ? FindWordBy(s, from, n, WhiteTest(), 0x21, &span->begin, &span->end)
          : FindWordBy(
                s, from, n, [&seps](char c) { return seps.Has(c); },
                seps.Bound(), &span->begin, &span->end);
  if (!found) return false;
  span->next = span->end >= n ? -1 : static_cast<int>(span->end);
  return true;
}

/// The same for a separator set given as its characters: the white-space
/// set needs no map at all.
inline bool ScanWord(const std::string& text, int pos,
                     const std::string& separators, WordSpan* span) {
  if (pos < 0) return false;
  if (!IsWhiteSet(separators))
    return ScanWord(text, pos, SeparatorSet(separators), span);
  const std::size_t n = text.size();
  if (!FindWordBy(text.data(), static_cast<std::size_t>(pos), n, WhiteTest(),
                  0x21, &span->begin, &span->end))
    return false;
  span->next = span->end >= n ? -1 : static_cast<int>(span->end);
  return true;
}

}  // namespace qv::text

#endif  // QVBASE_SRC_TEXT_SEPARATORSET_H
