// Formatting into a string through a fixed scratch area, growing past it
// only for results that do not fit.
#include "text/Format.h"

#include <cstdio>
#include <memory>

namespace qv::text {
namespace {

constexpr std::size_t kScratch = 1024;

void Store(std::string& out, bool append, const char* text, std::size_t n) {
  if (append)
    out.append(text, n);
  else
    out.assign(text, n);
}

}  // namespace

bool FormatInto(std::string& out, bool append, const char* format,
                std::va_list args) {
  if (format == nullptr) {
    if (!append) out.clear();
    return false;
  }
  char scratch[kScratch];
  std::va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(scratch, sizeof scratch, format, args);
  bool ok = n >= 0;
  if (!ok) {
    if (!append) out.clear();
  } else if (static_cast<std::size_t>(n) < sizeof scratch) {
    Store(out, append, scratch, static_cast<std::size_t>(n));
  } else {
    // The arguments may point into `out`, so format into a separate area
    // before touching `out`.
    const std::size_t size = static_cast<std::size_t>(n) + 1;
    std::unique_ptr<char[]> big(new char[size]);
    const int m = std::vsnprintf(big.get(), size, format, again);
    ok = m == n;
    if (ok)
      Store(out, append, big.get(), static_cast<std::size_t>(m));
    else if (!append)
      out.clear();
  }
  va_end(again);
  return ok;
}

}  // namespace qv::text
