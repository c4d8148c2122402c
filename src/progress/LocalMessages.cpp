#include "progress/LocalMessages.h"

#include <cstdint>
#include <cstring>

#include "frame/Platform.h"

namespace qv {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
// Characters read piece by piece before the lookup turns to large reads.
constexpr std::size_t kPieceByPieceSize = 512;

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
// Found: the message goes to *text and *after is where the piece ends.
bool SearchPieces(const char* buf, std::size_t end, const char* key,
                  std::size_t len, std::string* text, std::size_t* after) {
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
    *after = pieceEnd;
    // The piece reads on past a zero byte, but its text ends there.
    if (const void* zero =
            std::memchr(buf + valueStart, '\0', pieceEnd - valueStart))
      pieceEnd = static_cast<std::size_t>(static_cast<const char*>(zero) - buf);
    TakeMessage(buf + valueStart, buf + pieceEnd, text);
    return true;
  }
}

// The message after key in a piece that fgets delivered, if it holds key.
bool MatchPiece(const char* piece, const char* key, std::string* text) {
  const char* match = std::strstr(piece, key);
  if (match == nullptr) return false;
  const char* value = match + std::strlen(key);
  TakeMessage(value, value + std::strlen(value), text);
  return true;
}

// Looks for key piece by piece from the stream's position on.
bool SearchLines(std::FILE* stream, const char* key, std::string* text) {
  char piece[kMessagePiece + 1];
  while (std::fgets(piece, sizeof piece, stream) != nullptr)
    if (MatchPiece(piece, key, text)) return true;
  return false;
}

}  // namespace

bool FindLocalMessageByLines(std::FILE* stream, const char* key,
                             std::string* text) {
  std::rewind(stream);
  return SearchLines(stream, key, text);
}

bool FindLocalMessage(std::FILE* stream, char* scratch, const char* key,
                      std::string* text) {
  if (scratch == nullptr) return FindLocalMessageByLines(stream, key, text);
  // A key longer than a piece, or with a newline before its end, fits in
  // no piece: the whole file would be read in vain.
  const std::size_t len = std::strlen(key);
  const void* nl = std::memchr(key, '\n', len);
  if (len > kMessagePiece || (nl != nullptr && nl != key + len - 1)) {
    std::fseek(stream, 0, SEEK_END);
    return false;
  }
  std::rewind(stream);

  // The first pieces are read one by one: they come from the stream's own
  // buffer, so keys near the top cost little, and a match there leaves the
  // stream right after its piece with no seek. Their lengths are counted;
  // a zero byte in a piece hides its length, and the lookup then goes on
  // piece by piece.
  std::uint64_t areaStart = 0;  // characters read before scratch[0]
  while (areaStart < kPieceByPieceSize) {
    char piece[kMessagePiece + 1];
    if (std::fgets(piece, sizeof piece, stream) == nullptr) return false;
    if (MatchPiece(piece, key, text)) return true;
    const std::size_t n = std::strlen(piece);
    if (n == 0 ||
        (piece[n - 1] != '\n' && n < kMessagePiece && std::feof(stream) == 0))
      return SearchLines(stream, key, text);
    areaStart += n;
  }

  // Then large reads, searched whole. The area always starts at a piece
  // start; an unfinished piece at its end is carried to the next read. A
  // match puts the stream right after its piece.
  std::size_t carried = 0;
  for (;;) {
    const std::size_t want = kMessageReadSize - carried;
    const std::size_t got = std::fread(scratch + carried, 1, want, stream);
    const std::size_t total = carried + got;
    const bool last = got < want;  // end of file or read error
    std::size_t end = total;
    if (!last) {
      std::size_t lineStart = total;
      while (lineStart > 0 && scratch[lineStart - 1] != '\n') --lineStart;
      end = lineStart + (total - lineStart) / kMessagePiece * kMessagePiece;
    }
    std::size_t after = 0;
    if (SearchPieces(scratch, end, key, len, text, &after)) {
      platform::SeekAfterChars(stream, areaStart + after, scratch,
                               kMessageReadSize);
      return true;
    }
    if (last) return false;
    areaStart += end;
    carried = total - end;
    std::memmove(scratch, scratch + end, carried);
  }
}

}  // namespace qv
