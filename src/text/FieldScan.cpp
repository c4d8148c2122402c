// Field scan of QvStdString: the fields of a separated list, in which a
// field may be enclosed in double quotes.
#include <QvBase/QvStdString.h>

#include <climits>
#include <cstring>

#include "text/SeparatorSet.h"

namespace qv::text {

// Whether the text whose field scan began at position 0 starts with a
// separator. One flag for the whole process, false at load; the first
// successful call on that text clears it.
bool g_leadingSeparator = false;

}  // namespace qv::text

bool QvStdString::GetCSWord(int& pos, QvStdString& word,
                            const QvStdString& separators) const {
  using qv::text::g_leadingSeparator;
  if (pos < 0) return false;
  const qv::text::SeparatorSet seps = qv::text::SeparatorSet::Of(separators);
  const char* s = data();
  const std::size_t n = size();
  if (pos == 0) g_leadingSeparator = n > 0 && seps.Has(s[0]);

  // The base is one before pos when the text led with a separator, so that
  // the first real field is announced by that separator like every other.
  const long long base = g_leadingSeparator ? pos - 1LL : pos;
  std::size_t start = n;
  if (base >= 0 && static_cast<unsigned long long>(base) < n)
    start = seps.Find(s, static_cast<std::size_t>(base), n, false);
  if (start >= n || static_cast<long long>(start) > base + 1) {
    if (pos < INT_MAX) ++pos;  // an empty field, or nothing left
    return false;
  }
  g_leadingSeparator = false;

  // Only the field itself is searched for a quote, so that each call
  // costs what its field does, however long the rest of the text.
  std::size_t end = seps.Find(s, start, n, true);
  const void* quote = std::memchr(s + start, '"', end - start);
  const bool quoted = quote != nullptr;
  if (quoted) {
    start = static_cast<std::size_t>(static_cast<const char*>(quote) - s) + 1;
    const void* close = std::memchr(s + start, '"', n - start);
    end = close == nullptr
              ? n
              : static_cast<std::size_t>(static_cast<const char*>(close) - s);
  }
  int next = -1;
  if (end < n && !quoted) {
    next = static_cast<int>(end);
  } else if (end < n) {
    const std::size_t sep = seps.Find(s, end + 1, n, true);
    next = sep >= n ? -1 : static_cast<int>(sep);
  }
  // `word` may be this very string: the position is worked out first.
  word.assign(s + start, end - start);
  pos = next;
  return true;
}
