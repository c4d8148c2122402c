// Word scanning of QvStdString: words are maximal runs of characters that
// are not in a separator set.
#include <QvBase/QvStdString.h>

#include "text/SeparatorSet.h"

using qv::text::SeparatorSet;
using qv::text::WordSpan;

bool QvStdString::GetWord(int& pos, QvStdString& word,
                          const QvStdString& separators) const {
  WordSpan span;
  if (!qv::text::ScanWord(*this, pos, separators, &span)) return false;
  const std::size_t len = span.end - span.begin;
  if (&word == this) {
    word.assign(data() + span.begin, len);
  } else {  // cheaper than assign, which allows for a source in `word`
    word.reserve(len);  // memory short: `word` stays as it was
    word.clear();
    word.append(data() + span.begin, len);
  }
  pos = span.next;
  return true;
}

bool QvStdString::GetFirstWord(QvStdString& word,
                               const QvStdString& separators) const {
  int pos = 0;
  return GetWord(pos, word, separators);
}

int QvStdString::GetKeyPos(const QvStdString& key, int start) const {
  if (start < 0) return -1;
  const size_type at = find(key, static_cast<size_type>(start));
  return at == npos ? -1 : static_cast<int>(at);
}

bool QvStdString::GetWordAfterKey(const QvStdString& key, QvStdString& word,
                                  const QvStdString& separators) const {
  const int at = GetKeyPos(key, 0);
  if (at < 0) return false;
  int pos = at + static_cast<int>(key.size());
  return GetWord(pos, word, separators);
}

int QvStdString::CountWord(const QvStdString& /*unused*/) const {
  const char* s = data();
  const std::size_t n = size();
  int count = 0;
  std::size_t begin = 0, end = 0;
  while (qv::text::FindWordBy(s, end, n, qv::text::WhiteTest(), 0x21, &begin,
                              &end))
    ++count;
  return count;
}

bool QvStdString::IfIncludeWord(const QvStdString& word,
                                const QvStdString& separators) const {
  if (word.empty()) return false;
  const SeparatorSet seps = SeparatorSet::Of(separators);
  size_type from = 0;
  while (true) {
    const size_type at = find(word, from);
    if (at == npos) return false;
    if (at > 0 && !seps.Has((*this)[at - 1])) {
      from = at + 1;
      continue;
    }
    const size_type after = at + word.size();
    if (after >= size() || seps.Has((*this)[after])) return true;
    from = after;
  }
}

bool QvStdString::IfFirstWordIs(const QvStdString& word,
                                const QvStdString& separators) const {
  WordSpan span;
  if (!qv::text::ScanWord(*this, 0, SeparatorSet::Of(separators), &span))
    return false;
  return compare(span.begin, span.end - span.begin, word) == 0;
}

bool QvStdString::CheckWord(int& pos, const QvStdString& word) const {
  WordSpan span;
  if (!qv::text::ScanWord(*this, pos, SeparatorSet::White(), &span))
    return false;
  pos = span.next;
  return compare(span.begin, span.end - span.begin, word) == 0;
}
