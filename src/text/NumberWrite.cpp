// The number writers: format, then trim behind the decimal point. The
// fixed-point formats "%[-][width][.N][l]f" have a fast writer for finite
// values that rounds to nearest; other formats and values, every value in
// a directed rounding mode and subnormals where the mode flushes them go
// to the C library. A whole value (2^52 or more) is written without the
// point and zeros that the trim would remove again. Each family owns one
// result area of 100 bytes; a longer text moves to a heap area of the
// family that grows as needed and is kept for later calls.
#include <QvBase/QvNumberText.h>

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <memory>

#include "frame/Platform.h"
#include "text/FixedFormat.h"
#include "text/RoundingMode.h"

namespace qv::text {
namespace {

class ResultText {
 public:
  static constexpr std::size_t kSmall = 100;

  /// Storage for a text of `length` characters and its zero.
  char* Reserve(std::size_t length) {
    if (length < sizeof small_) return small_;
    if (length >= bigSize_) {
      big_.reset(new char[length + 1]);
      bigSize_ = length + 1;
    }
    return big_.get();
  }
  char* Small() { return small_; }

 private:
  char small_[kSmall] = {};
  std::unique_ptr<char[]> big_;
  std::size_t bigSize_ = 0;
};

ResultText g_doubleText;
ResultText g_floatText;

int FormatInCLocale(char* buf, std::size_t size, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const int n = qv::platform::VFormatInCLocale(buf, size, format, args);
  va_end(args);
  return n;
}

// Removes trailing zeros and blanks behind the last other character of a
// text that holds a point, and the point itself when asked. Index 0 stays.
void Trim(char* text, std::size_t length, bool hasPoint, bool dropPoint) {
  if (length == 0 || !hasPoint) return;
  std::size_t i = length - 1;
  while (i > 0 && (text[i] == '0' || text[i] == ' ')) --i;
  if (dropPoint && text[i] == '.')
    text[i] = '\0';
  else
    text[i + 1] = '\0';
}

// The trimmed text of a whole value (IsWhole) by `layout`: FormatFixed
// would write its digits, and with a precision a point and zeros that the
// trim takes away again (and the blanks of a left-aligned field with
// them), so the result is written at once: the digits where the text
// starts in an area that surely holds it, then the blanks around them.
[[gnu::noinline]] const char* WriteWhole(ResultText& area, double value,
                                         const FixedLayout& layout,
                                         bool dropPoint) {
  const auto width = static_cast<std::size_t>(layout.width);
  const std::size_t bound = IntegerBound(value) + 1;
  char* out = area.Reserve(bound > width ? bound : width);
  const std::size_t len = WholeText(out, value);
  std::size_t before = 0, after = 0, point = 0;  // blanks and the point
  if (layout.precision == 0) {
    if (width > len) (layout.left ? after : before) = width - len;
  } else {
    const std::size_t full =
        len + 1 + static_cast<std::size_t>(layout.precision);
    if (!layout.left && width > full) before = width - full;
    point = dropPoint ? 0 : 1;
  }
  const std::size_t n = before + len + point + after;
  if (n < ResultText::kSmall && out != area.Small()) {
    // The bound was above the text: it belongs in the small area.
    std::memcpy(area.Small(), out, len);
    out = area.Small();
  }
  if (before != 0) {
    std::memmove(out + before, out, len);
    std::memset(out, ' ', before);
  }
  char* p = out + before + len;
  if (point != 0) *p++ = '.';
  if (after != 0) std::memset(p, ' ', after);
  p[after] = '\0';
  return out;
}

const char* Write(ResultText& area, const char* format, double value,
                  bool dropPoint) {
  char* out = area.Small();
  if (format == nullptr) {  // not a valid call; answer with an empty text
    out[0] = '\0';
    return out;
  }
  FixedLayout layout;
  std::size_t n;
  bool hasPoint;
  // Infinities and NaN go to the C library too, which spells them its own
  // way (a NaN's sign shows in some libraries only). So does a subnormal
  // where subnormals are flushed or read as zero: std::to_chars compares
  // the value with zero, which such a mode answers as for a zero, while
  // the C library writes the value from its bits.
  const FloatMode mode = CurrentFloatMode();
  if ((mode.Default() || (mode.Nearest() && !IsSubnormal(value))) &&
      std::isfinite(value) && ParseFixedLayout(format, &layout)) {
    if (IsWhole(value)) return WriteWhole(area, value, layout, dropPoint);
    const std::size_t bound = FixedBound(value, layout);
    out = area.Reserve(bound);
    n = FormatFixed(out, bound, value, layout);
    if (n < ResultText::kSmall && out != area.Small()) {
      // The bound was above the text: it belongs in the small area.
      std::memcpy(area.Small(), out, n + 1);
      out = area.Small();
    }
    hasPoint = layout.precision > 0;
  } else {
    const int r = FormatInCLocale(out, ResultText::kSmall, format, value);
    if (r < 0) {
      out[0] = '\0';
      return out;
    }
    n = static_cast<std::size_t>(r);
    if (n >= ResultText::kSmall) {
      out = area.Reserve(n);
      FormatInCLocale(out, n + 1, format, value);
    }
    hasPoint = std::memchr(out, '.', n) != nullptr;
  }
  Trim(out, n, hasPoint, dropPoint);
  return out;
}

}  // namespace
}  // namespace qv::text

const char* QvWriteDouble(const char* format, double value, bool dropPoint) {
  return qv::text::Write(qv::text::g_doubleText, format, value, dropPoint);
}

const char* QvWriteFloat(const char* format, float value, bool dropPoint) {
  return qv::text::Write(qv::text::g_floatText, format, value, dropPoint);
}

const char* QvWrite(double value) {
  return QvWriteDouble("%.3f", value, true);
}

const char* QvWrite(float value) {
  return QvWriteFloat("%.3f", value, true);
}
