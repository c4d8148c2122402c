// Generated inputs for the number-text differential tests: words for the
// readers and (format, value) pairs for the writers, from a fixed seed so
// that every run checks the same cases.
#ifndef QVBASE_TESTS_TEXT_NUMBERCASES_H
#define QVBASE_TESTS_TEXT_NUMBERCASES_H

#include <cstdint>
#include <string>

namespace qvtest {

class NumberCases {
 public:
  explicit NumberCases(std::uint64_t seed) : state_(seed) {}

  /// A word for the real-number readers: decimal forms with signs, leading
  /// zeros, exponents, long digit runs, hexadecimal forms, inf and nan in
  /// any case, lone signs and points, trailing garbage, leading blanks.
  std::string RealWord();
  /// A word for the integer readers: mostly digits and signs.
  std::string IntWord();
  /// A fixed-point format with an optional '-' flag, width and precision
  /// from 0 to 10; "%.3f" one time in four.
  std::string Format();
  /// A double of any magnitude, with extra weight on exact halves at the
  /// last shown decimal, zeros, denormals, infinities and NaN.
  double Value(int precision);

  std::uint64_t Next();
  int Below(int n) {
    return static_cast<int>(Next() % static_cast<unsigned>(n));
  }

 private:
  std::string Digits(int count);
  std::string Mantissa();
  std::uint64_t state_;
};

/// The precision of a format made by Format().
int PrecisionOf(const std::string& format);

/// The trimming rule of the writers, applied to a formatted text.
std::string TrimNumberText(std::string text, bool dropPoint);

}  // namespace qvtest

#endif  // QVBASE_TESTS_TEXT_NUMBERCASES_H
