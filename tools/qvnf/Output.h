// Output.h - how qvnf prints: a buffered writer with the few number forms
// the listings need, and JSON written while it is produced, so that no
// listing is ever held whole. The JSON is laid out as nlohmann-json's
// dump(2) lays it out; callers give the keys of each object in sorted
// order, as nlohmann-json keeps them.
#ifndef QVBASE_TOOLS_QVNF_OUTPUT_H
#define QVBASE_TOOLS_QVNF_OUTPUT_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "Cursor.h"

namespace qvnf {

/// A buffered writer on a stdio stream; flushed when full and when it
/// goes away.
class Out {
 public:
  static constexpr std::size_t kBuffer = std::size_t{1} << 16;

  explicit Out(std::FILE* f = stdout);
  ~Out();
  Out(const Out&) = delete;
  Out& operator=(const Out&) = delete;

  void Put(std::string_view s) {
    if (kBuffer - used_ >= s.size()) {
      std::memcpy(buf_.data() + used_, s.data(), s.size());
      used_ += s.size();
    } else {
      PutLong(s);
    }
  }
  void Put(char c) {
    if (used_ == kBuffer) Flush();
    buf_[used_++] = c;
  }
  /// printf-style, for the few lines that are not listings.
  void Printf(const char* format, ...)
#if defined(__MINGW32__)  // its C++ library formats as the C standard says
      __attribute__((format(gnu_printf, 2, 3)))
#elif defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  void Int(std::int64_t v) {
    char buf[24];
    Put(std::string_view(buf, Digits(buf, v)));
  }
  /// v right-aligned in width characters ("%*lld").
  void Right(std::int64_t v, int width) {
    char buf[24];
    const std::size_t n = Digits(buf, v);
    Spaces(width - static_cast<int>(n));
    Put(std::string_view(buf, n));
  }
  /// s left-aligned in width characters ("%-*s").
  void Left(std::string_view s, int width) {
    Put(s);
    Spaces(width - static_cast<int>(s.size()));
  }
  void Spaces(int n) {
    if (n <= 0) return;
    if (kBuffer - used_ < static_cast<std::size_t>(n)) Flush();
    std::memset(buf_.data() + used_, ' ', static_cast<std::size_t>(n));
    used_ += static_cast<std::size_t>(n);
  }
  /// v as lowercase hex, zero-padded to at least digits digits.
  void Hex(std::uint64_t v, int digits);
  /// Room for n bytes (n at most kBuffer) to write straight into; Commit
  /// tells how many were written.
  char* Reserve(std::size_t n) {
    if (kBuffer - used_ < n) Flush();
    return buf_.data() + used_;
  }
  void Commit(std::size_t n) {
    used_ += n;
  }
  /// Writes out what is buffered; false when any write so far failed.
  bool Flush();

 private:
  static std::size_t Digits(char* buf, std::int64_t v);
  void PutLong(std::string_view s);

  std::FILE* f_;
  std::vector<char> buf_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

/// The number of decimal digits of u.
inline int DecimalLength(std::uint64_t u) {
  if (u < 100000)
    return u < 10 ? 1 : u < 100 ? 2 : u < 1000 ? 3 : u < 10000 ? 4 : 5;
  int n = 6;
  for (std::uint64_t limit = 1000000; n < 20 && u >= limit; limit *= 10) ++n;
  return n;
}

/// Writes v in decimal so that it ends just before end; returns its start.
/// Two digits at a time, and in 32 bits when v fits, since a listing
/// spends much of its time here.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536"
    "37383940414243444546474849505152535455565758596061626364656667686970717273"
    "7475767778798081828384858687888990919293949596979899";
template <typename U>
char* DigitsBefore(char* q, U u) {
  while (u >= 100) {
    const U r = u % 100;
    u /= 100;
    q -= 2;
    std::memcpy(q, kDigitPairs + 2 * r, 2);
  }
  if (u >= 10) {
    q -= 2;
    std::memcpy(q, kDigitPairs + 2 * u, 2);
  } else {
    *--q = static_cast<char>('0' + u);
  }
  return q;
}
inline char* DecimalBefore(char* end, std::int64_t v) {
  const std::uint64_t u =
      v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  char* q = u <= 0xffffffffu ? DigitsBefore(end, static_cast<std::uint32_t>(u))
                             : DigitsBefore(end, u);
  if (v < 0) *--q = '-';
  return q;
}

/// The fields of one listing line, written straight into the buffer of an
/// Out: at most kMost bytes from its making to Done (a field that would
/// pass that is cut). Longer parts of a line go through the Out after
/// Done.
class Fields {
 public:
  static constexpr std::size_t kMost = 256;
  explicit Fields(Out& out)
      : out_(out), start_(out.Reserve(kMost)), p_(start_) {}
  Fields& Text(std::string_view s) {
    const std::size_t n = std::min(s.size(), Room());
    const char* q = s.data();
    // Short texts in two overlapping moves of fixed size: a copy of a
    // size known only here would cost more than the bytes it moves.
    if (n >= 8 && n <= 16) {
      std::memcpy(p_, q, 8);
      std::memcpy(p_ + n - 8, q + n - 8, 8);
    } else if (n >= 4 && n < 8) {
      std::memcpy(p_, q, 4);
      std::memcpy(p_ + n - 4, q + n - 4, 4);
    } else if (n < 4) {
      for (std::size_t i = 0; i < n; ++i) p_[i] = q[i];
    } else {
      std::memcpy(p_, q, n);
    }
    p_ += n;
    return *this;
  }
  Fields& Spaces(int n) {
    const std::size_t k =
        std::min(static_cast<std::size_t>(n < 0 ? 0 : n), Room());
    std::memset(p_, ' ', k);
    p_ += k;
    return *this;
  }
  Fields& Left(std::string_view s, int width) {
    Text(s);
    return Spaces(width - static_cast<int>(s.size()));
  }
  Fields& Right(std::int64_t v, int width) {
    const std::uint64_t u = v < 0 ? 0 - static_cast<std::uint64_t>(v)
                                  : static_cast<std::uint64_t>(v);
    const int n = DecimalLength(u) + (v < 0 ? 1 : 0);
    const int pad = width > n ? width - n : 0;
    if (Room() < static_cast<std::size_t>(16 + n + pad))
      return RightSlow(v, width);
    std::memcpy(p_, "                ", 16);  // pads of up to 16 at once
    if (pad > 16) std::memset(p_, ' ', static_cast<std::size_t>(pad));
    p_ += pad + n;
    DecimalBefore(p_, v);
    return *this;
  }
  /// A block name in a field of 8 characters ("%-8s"), written as one
  /// word: its text with spaces in place of the zero bytes after it.
  Fields& Name8(const BlockName& name) {
    if (Room() < 8) return Left(name, 8);
    constexpr std::uint64_t kSpaces = 0x2020202020202020u;
    const std::uint64_t keep = name.size >= 8
                                   ? ~std::uint64_t{0}
                                   : (std::uint64_t{1} << (8 * name.size)) - 1;
    const std::uint64_t w =
        NameWord(reinterpret_cast<const unsigned char*>(name.text));
    StoreNameWord((w & keep) | (kSpaces & ~keep), p_);
    p_ += 8;
    return *this;
  }
  Fields& Int(std::int64_t v) { return Right(v, 0); }
  void Done() { out_.Commit(static_cast<std::size_t>(p_ - start_)); }

 private:
  Fields& RightSlow(std::int64_t v, int width) {
    char buf[24];
    char* const end = buf + sizeof buf;
    char* const q = DecimalBefore(end, v);
    Spaces(width - static_cast<int>(end - q));
    return Text(std::string_view(q, static_cast<std::size_t>(end - q)));
  }
  std::size_t Room() const {
    return kMost - static_cast<std::size_t>(p_ - start_);
  }
  Out& out_;
  char* start_;
  char* p_;
};

/// JSON written to an Out as it comes. Keys and values are given in
/// order; Object and Array open a container that End closes.
class JsonOut {
 public:
  explicit JsonOut(Out& out) : out_(out) {}
  JsonOut& Object();
  JsonOut& Array();
  JsonOut& End();
  /// The key of the next value, inside an object: printable ASCII
  /// without quotes or backslashes, as every key of qvnf is.
  JsonOut& Key(std::string_view key);
  /// A string; bytes that are not UTF-8 (names from a damaged file)
  /// become U+FFFD.
  JsonOut& Str(std::string_view s);
  JsonOut& Int(std::int64_t v);
  /// A number as nlohmann-json writes it (NaN and infinities as null).
  JsonOut& Real(double v);
  JsonOut& Bool(bool v);
  /// Text already in JSON form, written as it is.
  JsonOut& Raw(std::string_view json);
  /// Ends the document with a line feed.
  void Finish() { out_.Put('\n'); }

 private:
  void BeforeValue();
  void NextMember();

  struct Open {
    bool object;
    std::size_t members;
  };
  Out& out_;
  std::vector<Open> open_;
};

/// A JSON number laid out as nlohmann-json writes a double, "null" for NaN
/// and infinities. Its digits are the shortest that read back as the same
/// value; nlohmann-json's own choice differs for a few values, which read
/// back the same.
std::string JsonNumber(double v);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_OUTPUT_H
