// StringRead.h - the white-space delimited strings of a text stream, read
// as fscanf's "%s" reads them in the "C" locale. They are taken straight
// from the stream's buffer where the C library lets it be seen, and a
// character at a time elsewhere and whenever the buffer needs refilling;
// both ways deliver the bytes exactly as getc would. Inline: a file of
// short words is little else.
#ifndef QVBASE_SRC_FILES_STRINGREAD_H
#define QVBASE_SRC_FILES_STRINGREAD_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "frame/Platform.h"
#include "text/SeparatorSet.h"

namespace qv::files {
namespace detail {

// What "%s" skips and stops at in the "C" locale, so that reading never
// depends on the process's locale. All of it lies below kSpaceBound.
constexpr std::uint64_t kSpaceBits =
    (std::uint64_t{1} << ' ') | (std::uint64_t{1} << '\t') |
    (std::uint64_t{1} << '\n') | (std::uint64_t{1} << '\v') |
    (std::uint64_t{1} << '\f') | (std::uint64_t{1} << '\r');
constexpr unsigned kSpaceBound = ' ' + 1;

inline bool IsSpace(int c) {
  return c >= 0 && c < static_cast<int>(kSpaceBound) &&
         ((kSpaceBits >> c) & 1u) != 0;
}

// How many of the first `limit` bytes at p precede the first white space,
// copied to out on the way. Eight bytes at a time where words can be
// tested so: each is copied whole before it is looked at (out has room
// for limit bytes), and only a byte below kSpaceBound can end the string.
inline std::size_t CopyUntilSpace(const char* p, std::size_t limit, char* out,
                                  bool& zero) {
  std::size_t i = 0;
#if defined(QV_TEXT_WORD_AT_A_TIME)
  while (i + 8 <= limit) {
    std::uint64_t x;
    std::memcpy(&x, p + i, sizeof x);
    std::memcpy(out + i, &x, sizeof x);
    const std::uint64_t low = text::BytesBelow(x, kSpaceBound);
    if (low == 0) {
      i += 8;
      continue;
    }
    const std::size_t at =
        i + static_cast<std::size_t>(__builtin_ctzll(low) >> 3);
    if (IsSpace(static_cast<unsigned char>(p[at]))) return at;
    zero = zero || p[at] == '\0';
    i = at + 1;
  }
#endif
  while (i < limit && !IsSpace(static_cast<unsigned char>(p[i]))) {
    zero = zero || p[i] == '\0';
    out[i] = p[i];
    ++i;
  }
  return i;
}

// The usual case in one pass: a string shorter than 16 bytes that lies
// whole in the stream's buffer, with the white space before it and the
// one that ends it. Returns its length, moved to out (room for 16 bytes)
// and taken from the stream, or 0 without touching the stream when the
// case is another (the general loop then reads it).
inline std::size_t ReadShortString(std::FILE* stream, char* out) {
#if defined(QV_TEXT_WORD_AT_A_TIME)
  const char* p;
  const char* end;
  if (!platform::PeekBuffered(stream, &p, &end)) return 0;
  const char* s = p;
  while (s < end && IsSpace(static_cast<unsigned char>(*s))) ++s;
  if (end - s <= 16) return 0;
  std::uint64_t x[2];
  std::memcpy(x, s, sizeof x);
  std::memcpy(out, x, sizeof x);
  const std::uint64_t low0 = text::BytesBelow(x[0], kSpaceBound);
  const std::uint64_t low1 = text::BytesBelow(x[1], kSpaceBound);
  std::size_t at;
  if (low0 != 0)
    at = static_cast<std::size_t>(__builtin_ctzll(low0) >> 3);
  else if (low1 != 0)
    at = 8 + static_cast<std::size_t>(__builtin_ctzll(low1) >> 3);
  else
    return 0;
  // A zero byte or another control character first: the general loop.
  if (!IsSpace(static_cast<unsigned char>(s[at]))) return 0;
  platform::ConsumeBuffered(stream, static_cast<std::size_t>(s - p) + at);
  return at;
#else
  static_cast<void>(stream);
  static_cast<void>(out);
  return 0;
#endif
}

}  // namespace detail

/// Skips the white space (blank, \t, \n, \v, \f, \r) at the stream's
/// position, then moves up to `max` of the characters that follow, up to
/// the next white space, into out (zero bytes included). The white space
/// that ends the string stays in the stream. Returns how many characters
/// were moved: 0 at the end of the stream (or on a read error) before any
/// character. *hasZero (when hasZero is not null) tells whether a zero
/// byte was among them. The stream is read without its lock: one thread
/// at a time.
inline std::size_t ReadString(std::FILE* stream, char* out, std::size_t max,
                              bool* hasZero) {
  using detail::CopyUntilSpace;
  using detail::IsSpace;
  if (max >= 16) {
    if (const std::size_t n = detail::ReadShortString(stream, out)) {
      if (hasZero != nullptr) *hasZero = false;
      return n;
    }
  }
  std::size_t n = 0;
  bool zero = false;
  bool begun = false;  // past the leading white space
  while (n < max) {
    const char* p;
    const char* end;
    if (platform::PeekBuffered(stream, &p, &end)) {
      const auto avail = static_cast<std::size_t>(end - p);
      std::size_t skipped = 0;
      if (!begun) {
        while (skipped < avail &&
               IsSpace(static_cast<unsigned char>(p[skipped])))
          ++skipped;
        begun = skipped < avail;
      }
      // The string's end among the buffered bytes, or the room's end.
      const std::size_t left = avail - skipped;
      const std::size_t moved = CopyUntilSpace(
          p + skipped, left < max - n ? left : max - n, out + n, zero);
      n += moved;
      platform::ConsumeBuffered(stream, skipped + moved);
      if (moved < left) break;  // at white space, or out of room
      continue;
    }
    const int c = platform::GetcStream(stream);
    if (c == EOF) break;
    if (IsSpace(c)) {
      if (!begun) continue;
      // Left in the stream, as "%s" leaves it: a following line read
      // sees the rest of the line.
      std::ungetc(c, stream);
      break;
    }
    begun = true;
    zero = zero || c == 0;
    out[n++] = static_cast<char>(c);
  }
  if (hasZero != nullptr) *hasZero = zero;
  return n;
}

}  // namespace qv::files

#endif  // QVBASE_SRC_FILES_STRINGREAD_H
