// FixedFormat.h - a fast writer of finite values for the fixed-point
// formats "%[-][width][.N][l]f", giving what snprintf gives when the
// rounding mode is to nearest.
#ifndef QVBASE_SRC_TEXT_FIXEDFORMAT_H
#define QVBASE_SRC_TEXT_FIXEDFORMAT_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace qv::text {

/// A parsed format of the form "%[-...][width][.N][l]f".
struct FixedLayout {
  int width = 0;
  int precision = 6;
  bool left = false;
};

/// Parses `format`; false for any other format, and for a width or
/// precision past 4096 (the caller then uses the C library).
bool ParseFixedLayout(const char* format, FixedLayout* layout);

/// At least the length of the text FormatFixed writes for the finite
/// `value`.
std::size_t FixedBound(double value, const FixedLayout& layout);

/// True for a finite `value` of magnitude 2^52 or more: a whole number,
/// whose fixed-point texts end in a point and zeros only.
inline bool IsWhole(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const auto biased = static_cast<unsigned>((bits >> 52) & 0x7ff);
  return biased >= 1075 && biased < 0x7ff;  // 2^52 <= |value| < infinity
}

/// At least the length of the sign and integer digits of the finite
/// `value` written to any precision.
inline std::size_t IntegerBound(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  // |value| < 2^k, so it has at most floor(k log10 2) + 1 integer digits,
  // also once rounded; 1233 / 4096 is a little below log10 2, hence one
  // digit more.
  const int k = static_cast<int>((bits >> 52) & 0x7ff) - 1022;
  return 1 + static_cast<std::size_t>(k > 0 ? ((k * 1233) >> 12) + 2 : 1);
}

/// Writes the sign and integer digits of `value` (IsWhole holds) as
/// "%.0f" writes them into `out` (IntegerBound(value) bytes), without a
/// terminating zero, and returns their length.
std::size_t WholeText(char* out, double value);

/// Writes the finite `value` by `layout` into `out` (at least `bound` + 1
/// bytes, where `bound` is FixedBound's) with its terminating zero and
/// returns the length. The text holds a point exactly when the precision
/// is not 0.
std::size_t FormatFixed(char* out, std::size_t bound, double value,
                        const FixedLayout& layout);

}  // namespace qv::text

#endif  // QVBASE_SRC_TEXT_FIXEDFORMAT_H
