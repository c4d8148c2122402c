// FixedFormat.h - a fast writer for the simple fixed-point formats
// "%[-][width].Nf" with N from 0 to 3, giving what snprintf gives when the
// rounding mode is to nearest.
#ifndef QVBASE_SRC_TEXT_FIXEDFORMAT_H
#define QVBASE_SRC_TEXT_FIXEDFORMAT_H

#include <cstddef>

namespace qv::text {

/// A parsed format of the form "%[-...][width].Nf".
struct FixedLayout {
  int width = 0;
  int precision = 3;
  bool left = false;
};

/// Parses `format`; false for any other format (the caller then uses the
/// C library).
bool ParseFixedLayout(const char* format, FixedLayout* layout);

/// Space a FormatFixed result may need, terminating zero included.
constexpr std::size_t kFixedMax = 64;

/// Writes `value` by `layout` into `out` (at least kFixedMax bytes) with its
/// terminating zero and returns the length, or -1 when the value is outside
/// the range handled here (not finite, or 2^52 or more in magnitude, or a
/// width that would not fit): the caller then uses the C library.
int FormatFixed(char* out, double value, const FixedLayout& layout);

}  // namespace qv::text

#endif  // QVBASE_SRC_TEXT_FIXEDFORMAT_H
