// SeparatorSet.h - a set of separator bytes as a 256-bit map, built once
// per scan so that each character test is a shift and a mask.
#ifndef QVBASE_SRC_TEXT_SEPARATORSET_H
#define QVBASE_SRC_TEXT_SEPARATORSET_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace qv::text {

class SeparatorSet {
 public:
  explicit SeparatorSet(const std::string& chars) {
    for (char c : chars) Add(c);
  }
  SeparatorSet(const char* chars, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) Add(chars[i]);
  }

  /// The white-space set " \t\n\r".
  static SeparatorSet White() { return SeparatorSet(" \t\n\r", 4); }

  bool Has(char c) const {
    const auto u = static_cast<unsigned char>(c);
    return (bits_[u >> 6] >> (u & 63)) & 1u;
  }

  /// Index of the first character at or after `from` that is (or, with
  /// `isSep` false, is not) a separator; `n` when there is none.
  std::size_t Find(const char* s, std::size_t from, std::size_t n,
                   bool isSep) const {
    while (from < n && Has(s[from]) != isSep) ++from;
    return from;
  }

 private:
  void Add(char c) {
    const auto u = static_cast<unsigned char>(c);
    bits_[u >> 6] |= std::uint64_t{1} << (u & 63);
  }

  std::uint64_t bits_[4] = {0, 0, 0, 0};
};

/// Bounds of a word found by ScanWord: [begin, end) and where the scan
/// position moves to (-1 when the word ends the text).
struct WordSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
  int next = -1;
};

/// The word scan behind GetWord: the next run of non-separators at or after
/// `pos`. False when `pos` is negative or only separators remain.
bool ScanWord(const std::string& text, int pos, const SeparatorSet& seps,
              WordSpan* span);

}  // namespace qv::text

#endif  // QVBASE_SRC_TEXT_SEPARATORSET_H
