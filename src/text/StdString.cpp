// Changing, trimming and comparing the text of a QvStdString.
#include <QvBase/QvStdString.h>

#include <cstring>
#include <functional>

// A null text is not a valid argument; it is taken as the empty text
// rather than passed on to the standard string.
void QvStdString::Set(const char* text) {
  if (text == nullptr) {
    clear();
    return;
  }
  const std::size_t n = std::strlen(text);
  const std::less<const char*> before;
  if (!before(text, data()) && before(text, data() + size() + 1)) {
    assign(text, n);  // a part of this text: assign allows for that
  } else {            // cheaper than assign
    clear();
    append(text, n);
  }
}

void QvStdString::Set(const QvStdString& other) {
  assign(other);
}

void QvStdString::Append(const char* text) {
  if (text != nullptr) append(text);
}

void QvStdString::Append(const QvStdString& other) {
  append(other);
}

QvStdString& QvStdString::Erase(unsigned int pos, unsigned int count) {
  if (pos < size()) erase(pos, count);
  return *this;
}

void QvStdString::Clear() {
  clear();
}

void QvStdString::DelTrailingZero(bool dropPoint) {
  const size_type last = find_last_not_of('0');
  if (last != npos) erase(last + 1);
  if (dropPoint && !empty() && back() == '.') pop_back();
}

void QvStdString::DelTrailingWhite() {
  const size_type last = find_last_not_of(" \t\n\r");
  if (last != npos) erase(last + 1);
}

bool QvStdString::IsSame(const QvStdString& other) const {
  return size() == other.size() && compare(other) == 0;
}

bool QvStdString::IfInclude(char c) const {
  return find(c) != npos;
}

bool QvStdString::IfInclude(const QvStdString& part) const {
  return find(part) != npos;
}
