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

}  // namespace

bool QvStdString::GetValue(int& pos, float& value) const {
  WordSpan w;
  return NextWord(*this, pos, &w) &&
         qv::text::ReadFloat(data() + w.begin, w.end - w.begin, &value);
}

bool QvStdString::GetValue(int& pos, double& value) const {
  WordSpan w;
  return NextWord(*this, pos, &w) &&
         qv::text::ReadDouble(data() + w.begin, w.end - w.begin, &value);
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
