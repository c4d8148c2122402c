// Stream form of 64-bit values and time stamps: decimal words followed by
// blanks, so that values written one after another read back in order.
#include <QvBase/QvTime.h>

#include <iomanip>
#include <istream>
#include <locale>
#include <ostream>

#include "frame/Platform.h"

namespace {

// Words are read into a buffer of this size: up to 99 characters count.
constexpr std::size_t kWordSize = 100;

// Extracts the next whitespace-delimited word. A word too long for the
// buffer is consumed whole, so that its tail is not taken for the next
// value. Returns false when the stream has no word.
bool ReadWord(std::istream& is, char (&word)[kWordSize]) {
  is >> std::setw(kWordSize) >> word;
  if (!is) return false;
  // Extraction stops at white space, at the end, or when the buffer is
  // full; only in the last case does a word character follow.
  const auto& ctype = std::use_facet<std::ctype<char>>(is.getloc());
  // peek() on a stream already at its end would also set failbit.
  while (!is.eof()) {
    const int c = is.peek();
    if (c == std::char_traits<char>::eof() ||
        ctype.is(std::ctype_base::space, static_cast<char>(c)))
      break;
    is.ignore();
  }
  return true;
}

}  // namespace

template <typename T, std::enable_if_t<std::is_same_v<T, std::int64_t>, int>>
std::ostream& operator<<(std::ostream& os, const T& value) {
  char buf[32];
  const int n = qv::platform::FormatInt64(buf, sizeof buf - 1, value);
  if (n <= 0) return os;
  buf[n] = ' ';
  os.write(buf, n + 1);
  return os;
}

template <typename T, std::enable_if_t<std::is_same_v<T, std::int64_t>, int>>
std::istream& operator>>(std::istream& is, T& value) {
  char word[kWordSize];
  if (ReadWord(is, word)) qv::platform::ScanInt64(word, &value);
  return is;
}

template QV_BASE_API std::ostream& operator<< <std::int64_t>(
    std::ostream& os, const std::int64_t& value);
template QV_BASE_API std::istream& operator>>
    <std::int64_t>(std::istream& is, std::int64_t& value);

std::ostream& operator<<(std::ostream& os, const QvTime& t) {
  std::int64_t usec = 0;
  t.Get(usec);
  operator<<(os, usec);
  return os.put(' ');
}

std::istream& operator>>(std::istream& is, QvTime& t) {
  std::int64_t usec = 0;
  t.Get(usec);
  operator>>(is, usec);
  t.Set(usec);
  return is;
}
