// FixedFormat.h - a fast writer of finite values for the fixed-point
// formats "%[-][width][.N][l]f", giving what snprintf gives when the
// rounding mode is to nearest.
#ifndef QVBASE_SRC_TEXT_FIXEDFORMAT_H
#define QVBASE_SRC_TEXT_FIXEDFORMAT_H

#include <cstddef>

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

/// Writes the finite `value` by `layout` into `out` (at least `bound` + 1
/// bytes, where `bound` is FixedBound's) with its terminating zero and
/// returns the length. The text holds a point exactly when the precision
/// is not 0.
std::size_t FormatFixed(char* out, std::size_t bound, double value,
                        const FixedLayout& layout);

}  // namespace qv::text

#endif  // QVBASE_SRC_TEXT_FIXEDFORMAT_H
