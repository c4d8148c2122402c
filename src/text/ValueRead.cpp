// Value reading of QvStdString: the next white-space word converted as
// sscanf converts it in the "C" locale.
#include <QvBase/QvStdString.h>

#include "text/NumberParse.h"
#include "text/SeparatorSet.h"

namespace {

using qv::text::WordSpan;

// Reads the next white-space word and moves `pos` past it. False when
// there is no word left.
bool NextWord(const std::string& text, int& pos, WordSpan* span) {
  if (!qv::text::ScanWord(text, pos, qv::text::SeparatorSet::White(), span))
    return false;
  pos = span->next;
  return true;
}

// The real-number reads take the word in place: the conversion comes
// first, and the word's end is looked for from where it stopped.
template <typename T, typename ReadWord>
bool ReadReal(const std::string& text, int& pos, T& value, ReadWord read) {
  if (pos < 0) return false;
  const std::size_t n = text.size();
  std::size_t begin = static_cast<std::size_t>(pos);
  while (begin < n && qv::text::WhiteTest()(text[begin])) ++begin;
  if (begin >= n) return false;
  std::size_t end;
  const bool ok = read(text, begin, &end, &value);
  pos = end >= n ? -1 : static_cast<int>(end);
  return ok;
}

}  // namespace

bool QvStdString::GetValue(int& pos, float& value) const {
  return ReadReal(*this, pos, value, qv::text::ReadWordFloat);
}

bool QvStdString::GetValue(int& pos, double& value) const {
  return ReadReal(*this, pos, value, qv::text::ReadWordDouble);
}

bool QvStdString::GetValue(int& pos, int& value) const {
  WordSpan w;
  if (!NextWord(*this, pos, &w)) return false;
  return qv::text::ReadIntWord(data() + w.begin, w.end - w.begin, &value);
}

bool QvStdString::GetValue(int& pos, char& value) const {
  WordSpan w;
  if (!NextWord(*this, pos, &w)) return false;
  // sscanf sees the word only up to a zero byte: a word that starts with
  // one is an empty text to it.
  const char first = (*this)[w.begin];
  if (first == '\0') return false;
  value = first;
  return true;
}
