// The number readers with their missing-value markers. A null text reads
// as a text without a number.
#include <QvBase/QvNumberText.h>

#include "text/NumberParse.h"

double QvGetDouble(const char* text) {
  double v = QV_NO_DOUBLE;
  if (text != nullptr) qv::text::ReadDouble(text, &v);
  return v;
}

float QvGetFloat(const char* text) {
  float v = QV_NO_FLOAT;
  if (text != nullptr) qv::text::ReadFloat(text, &v);
  return v;
}

int QvGetInt(const char* text) {
  int v = QV_NO_INT;
  if (text != nullptr) qv::text::ReadIntWord(text, qv::text::kUntilNul, &v);
  return v;
}
