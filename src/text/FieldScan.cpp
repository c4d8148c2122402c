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

namespace {

// A set of one separator, the usual case ("," or "/"): fields are short,
// so a plain loop finds their ends sooner than a call would.
struct OneSeparator {
  char sep;
  bool Has(char c) const { return c == sep; }
  std::size_t SkipSeparators(const char* s, std::size_t i,
                             std::size_t n) const {
    while (i < n && s[i] == sep) ++i;
    return i;
  }
  std::size_t FindSeparator(const char* s, std::size_t i, std::size_t n) const {
    while (i < n && s[i] != sep) ++i;
    return i;
  }
  // The first separator or quote at or after i, or n.
  std::size_t FindEnd(const char* s, std::size_t i, std::size_t n) const {
    while (i < n && s[i] != sep && s[i] != '"') ++i;
    return i;
  }
};

// Any other set.
struct AnySeparators {
  SeparatorSet set;
  bool Has(char c) const { return set.Has(c); }
  std::size_t SkipSeparators(const char* s, std::size_t i,
                             std::size_t n) const {
    return set.Find(s, i, n, false);
  }
  std::size_t FindSeparator(const char* s, std::size_t i, std::size_t n) const {
    return set.FindSeparator(s, i, n);
  }
  // Only the field itself is searched for a quote, so that each call
  // costs what its field does, however long the rest of the text.
  std::size_t FindEnd(const char* s, std::size_t i, std::size_t n) const {
    const std::size_t end = set.FindSeparator(s, i, n);
    const void* quote = std::memchr(s + i, '"', end - i);
    return quote != nullptr
               ? static_cast<std::size_t>(static_cast<const char*>(quote) - s)
               : end;
  }
};

template <typename Seps>
bool ScanField(const std::string& text, int& pos, QvStdString& word,
               const Seps& seps) {
  const char* s = text.data();
  const std::size_t n = text.size();
  if (pos == 0) g_leadingSeparator = n > 0 && seps.Has(s[0]);

  // The base is one before pos when the text led with a separator, so that
  // the first real field is announced by that separator like every other.
  const long long base = g_leadingSeparator ? pos - 1LL : pos;
  std::size_t start = n;
  if (base >= 0 && static_cast<unsigned long long>(base) < n)
    start = seps.SkipSeparators(s, static_cast<std::size_t>(base), n);
  if (start >= n || static_cast<long long>(start) > base + 1) {
    if (pos < INT_MAX) ++pos;  // an empty field, or nothing left
    return false;
  }
  g_leadingSeparator = false;

  // A quote before the field's separator makes the field quoted (a quote
  // that is itself a separator ends the field instead).
  std::size_t end = seps.FindEnd(s, start, n);
  const bool quoted = end < n && s[end] == '"' && !seps.Has('"');
  if (quoted) {
    start = end + 1;
    const void* close = std::memchr(s + start, '"', n - start);
    end = close == nullptr
              ? n
              : static_cast<std::size_t>(static_cast<const char*>(close) - s);
  }
  int next = -1;
  if (end < n && !quoted) {
    next = static_cast<int>(end);
  } else if (end < n) {
    const std::size_t sep = seps.FindSeparator(s, end + 1, n);
    next = sep >= n ? -1 : static_cast<int>(sep);
  }
  // `word` may be this very string: the position is worked out first.
  if (&word == &text) {
    word.assign(s + start, end - start);
  } else {  // cheaper than assign, which allows for a source in `word`
    word.reserve(end - start);  // memory short: `word` stays as it was
    word.clear();
    word.append(s + start, end - start);
  }
  pos = next;
  return true;
}

}  // namespace
}  // namespace qv::text

bool QvStdString::GetCSWord(int& pos, QvStdString& word,
                            const QvStdString& separators) const {
  if (pos < 0) return false;
  if (separators.size() == 1)
    return qv::text::ScanField(*this, pos, word,
                               qv::text::OneSeparator{separators[0]});
  return qv::text::ScanField(
      *this, pos, word,
      qv::text::AnySeparators{qv::text::SeparatorSet::Of(separators)});
}
