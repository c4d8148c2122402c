// The formatting operations of QvStdString.
#include <QvBase/QvStdString.h>

#include <cstdarg>

#include "text/Format.h"

QvStdString::QvStdString(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  qv::text::FormatInto(*this, false, format, args);
  va_end(args);
}

void QvStdString::SetFormat(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  qv::text::FormatInto(*this, false, format, args);
  va_end(args);
}

void QvStdString::AppendFormat(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  qv::text::FormatInto(*this, true, format, args);
  va_end(args);
}
