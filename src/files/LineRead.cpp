// Lines of a text stream, taken straight from the stream's buffer where the
// C library lets it be seen: one search for the newline and one copy per
// buffer's worth, where fgets also takes and releases the stream's lock.
// Elsewhere, and on a stream whose error flag is already set, fgets itself.
#include "files/LineRead.h"

#include <cerrno>
#include <cstring>

#include "frame/Platform.h"

namespace qv::files {

bool ReadLine(std::FILE* stream, char* out, std::size_t size) {
  if (!platform::kCanPeekBuffered || platform::StreamHasError(stream))
    return std::fgets(out, static_cast<int>(size), stream) != nullptr;
  const std::size_t max = size - 1;
  std::size_t n = 0;
  while (n < max) {
    const char* p;
    const char* end;
    if (platform::PeekBuffered(stream, &p, &end)) {
      const auto avail = static_cast<std::size_t>(end - p);
      const std::size_t room = avail < max - n ? avail : max - n;
      const void* newline = std::memchr(p, '\n', room);
      const std::size_t take =
          newline != nullptr ? static_cast<std::size_t>(
                                   static_cast<const char*>(newline) - p) +
                                   1
                             : room;
      std::memcpy(out + n, p, take);
      platform::ConsumeBuffered(stream, take);
      n += take;
      if (newline != nullptr) break;
      continue;
    }
    // An empty buffer: getc refills it, or meets the end or an error.
    const int c = platform::GetcStream(stream);
    if (c == EOF) break;
    out[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  // As fgets: nothing read, or an error now (but for a non-blocking
  // stream's "try again"), is a failure.
  if (n == 0 || (platform::StreamHasError(stream) && errno != EAGAIN))
    return false;
  out[n] = '\0';
  return true;
}

}  // namespace qv::files
