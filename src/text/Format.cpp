// Formatting into a string through a fixed scratch area, growing past it
// only for results that do not fit.
#include "text/Format.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace qv::text {
namespace {

constexpr std::size_t kScratch = 1024;

// The result is a zero-terminated text: a %c of 0 (or a %s of a text
// with one inside a precision) ends it there, as it would for a caller
// that formats into a buffer and takes the buffer as a text.
void Store(std::string& out, bool append, const char* text, std::size_t n) {
  if (const void* zero = std::memchr(text, '\0', n))
    n = static_cast<std::size_t>(static_cast<const char*>(zero) - text);
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
  // A format without a conversion is its own result: no formatting, and
  // one pass over it.
  const std::size_t plain = std::strcspn(format, "%");
  if (format[plain] == '\0') {
    if (append)
      out.append(format, plain);
    else
      out.assign(format, plain);
    return true;
  }
  char scratch[kScratch];
  std::va_list again;
  va_copy(again, args);
  errno = 0;
  const int n = std::vsnprintf(scratch, sizeof scratch, format, args);
  bool ok = n >= 0;
  bool noMemory = !ok && errno == ENOMEM;
  if (!ok) {
    if (!append && !noMemory) out.clear();
  } else if (static_cast<std::size_t>(n) < sizeof scratch) {
    Store(out, append, scratch, static_cast<std::size_t>(n));
  } else {
    // The arguments may point into `out`, so format into a separate area
    // before touching `out`.
    const std::size_t size = static_cast<std::size_t>(n) + 1;
    std::unique_ptr<char[]> big(new (std::nothrow) char[size]);
    errno = 0;
    const int m = big ? std::vsnprintf(big.get(), size, format, again) : -1;
    ok = m == n;
    noMemory = !big || (m < 0 && errno == ENOMEM);
    if (ok)
      Store(out, append, big.get(), static_cast<std::size_t>(m));
    else if (!append && !noMemory)
      out.clear();
  }
  va_end(again);
  // A result that memory was too short for is no result: the text keeps
  // what it held, and the caller hears of it as from any string operation.
  if (noMemory) throw std::bad_alloc();
  return ok;
}

}  // namespace qv::text
