#include "progress/LocalMessages.h"

#include <cstdint>
#include <cstring>

namespace qv {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr std::size_t kFirstReadSize = 512;

bool IsLeadingJunk(char c) {
  return c == ' ' || c == '"' || c == ',' || c == '\t';
}

bool IsTrailingJunk(char c) {
  return c == ' ' || c == '"' || c == '\t' || c == '\n' || c == '\r';
}

// The message is what follows the key in its piece, trimmed at both ends.
void TakeMessage(const char* begin, const char* end, std::string* text) {
  while (begin < end && IsLeadingJunk(*begin)) ++begin;
  while (end > begin && IsTrailingJunk(end[-1])) --end;
  text->assign(begin, static_cast<std::size_t>(end - begin));
}

// First position at or after from where key[0, len) starts and ends
// within buf[0, end); kNone if there is none. Eight starting positions are
// tested at a time for the key's first and last byte, with word
// arithmetic that works the same on every byte order; the few positions
// that pass are compared in full.
std::size_t Find(const char* buf, std::size_t from, std::size_t end,
                 const char* key, std::size_t len) {
  if (len == 0) return from < end ? from : kNone;
  if (from + len > end) return kNone;
  const std::size_t stop = end - len + 1;  // one past the last start
  const unsigned char first = static_cast<unsigned char>(key[0]);
  const unsigned char lastByte = static_cast<unsigned char>(key[len - 1]);
  const auto matchesAt = [&](std::size_t pos) {
    return static_cast<unsigned char>(buf[pos]) == first &&
           static_cast<unsigned char>(buf[pos + len - 1]) == lastByte &&
           std::memcmp(buf + pos + 1, key + 1, len - 1) == 0;
  };
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  const std::uint64_t firstWord = kOnes * first;
  const std::uint64_t lastWord = kOnes * lastByte;
  std::size_t pos = from;
  for (; pos + 8 <= stop; pos += 8) {
    std::uint64_t head, tail;
    std::memcpy(&head, buf + pos, 8);
    std::memcpy(&tail, buf + pos + len - 1, 8);
    // A zero byte marks a position where both bytes match; the test below
    // finds every zero byte (and, rarely, a byte that is not one).
    const std::uint64_t v = (head ^ firstWord) | (tail ^ lastWord);
    if (((v - kOnes) & ~v & kHighs) == 0) continue;
    for (std::size_t k = 0; k < 8; ++k)
      if (matchesAt(pos + k)) return pos + k;
  }
  for (; pos < stop; ++pos)
    if (matchesAt(pos)) return pos;
  return kNone;
}

// Searches buf[0, end), which begins at a piece start and holds whole
// pieces only, for the first occurrence of key that a line-by-line search
// would see: inside one piece and before any zero byte of that piece.
bool SearchPieces(const char* buf, std::size_t end, const char* key,
                  std::size_t len, std::string* text) {
  std::size_t lineStart = 0;  // start of the line that holds `seen`
  std::size_t seen = 0;       // newlines before here are accounted for
  std::size_t from = 0;
  for (;;) {
    const std::size_t m = Find(buf, from, end, key, len);
    if (m == kNone) return false;
    // The last newline before m, looked for backwards but never past the
    // previous candidate, so that every byte is looked at once.
    std::size_t back = m;
    while (back > seen && buf[back - 1] != '\n') --back;
    if (back > seen) lineStart = back;
    seen = m;
    const std::size_t pieceStart =
        lineStart + (m - lineStart) / kMessagePiece * kMessagePiece;
    const std::size_t limit =
        pieceStart + kMessagePiece < end ? pieceStart + kMessagePiece : end;
    const bool inPiece = m + len <= pieceStart + kMessagePiece;
    const bool beforeZero =
        std::memchr(buf + pieceStart, '\0', m - pieceStart) == nullptr;
    if (!inPiece || !beforeZero) {
      // No later occurrence in this piece can be seen either: go on with
      // the next piece.
      const void* nl = std::memchr(buf + m, '\n', limit - m);
      from =
          nl != nullptr
              ? static_cast<std::size_t>(static_cast<const char*>(nl) - buf) + 1
              : pieceStart + kMessagePiece;
      continue;
    }
    const std::size_t valueStart = m + len;
    std::size_t pieceEnd = limit;
    if (len > 0 && key[len - 1] == '\n') {
      pieceEnd = valueStart;
    } else if (const void* nl =
                   std::memchr(buf + valueStart, '\n', limit - valueStart)) {
      pieceEnd =
          static_cast<std::size_t>(static_cast<const char*>(nl) - buf) + 1;
    }
    if (const void* zero =
            std::memchr(buf + valueStart, '\0', pieceEnd - valueStart))
      pieceEnd = static_cast<std::size_t>(static_cast<const char*>(zero) - buf);
    TakeMessage(buf + valueStart, buf + pieceEnd, text);
    return true;
  }
}

}  // namespace

bool FindLocalMessageByLines(std::FILE* stream, const char* key,
                             std::string* text) {
  std::rewind(stream);
  char piece[kMessagePiece + 1];
  while (std::fgets(piece, sizeof piece, stream) != nullptr) {
    const char* match = std::strstr(piece, key);
    if (match == nullptr) continue;
    const char* value = match + std::strlen(key);
    TakeMessage(value, value + std::strlen(value), text);
    return true;
  }
  return false;
}

bool FindLocalMessage(std::FILE* stream, char* scratch, const char* key,
                      std::string* text) {
  if (scratch == nullptr) return FindLocalMessageByLines(stream, key, text);
  std::rewind(stream);
  // A key longer than a piece, or with a newline before its end, fits in
  // no piece.
  const std::size_t len = std::strlen(key);
  if (len > kMessagePiece) return false;
  const void* nl = std::memchr(key, '\n', len);
  if (nl != nullptr && nl != key + len - 1) return false;

  // Large reads, searched whole. The area always starts at a piece start;
  // an unfinished piece at its end is carried to the next read. The first
  // read is small, so that keys near the top cost little: it is served
  // from the stream's own buffer, which a rewind may keep.
  std::size_t carried = 0;
  std::size_t area = kFirstReadSize;
  for (;; area = kMessageReadSize) {
    const std::size_t want = area - carried;
    const std::size_t got = std::fread(scratch + carried, 1, want, stream);
    const std::size_t total = carried + got;
    const bool last = got < want;  // end of file or read error
    std::size_t end = total;
    if (!last) {
      std::size_t lineStart = total;
      while (lineStart > 0 && scratch[lineStart - 1] != '\n') --lineStart;
      end = lineStart + (total - lineStart) / kMessagePiece * kMessagePiece;
    }
    if (SearchPieces(scratch, end, key, len, text)) return true;
    if (last) return false;
    carried = total - end;
    std::memmove(scratch, scratch + end, carried);
  }
}

}  // namespace qv
