// The library's own version, compiled in from the generated header, so
// that a program asks the copy it has loaded rather than its headers.
#include <QvBase/QvVersion.h>

const char* QvBaseVersion() {
  return QVBASE_VERSION_STRING;
}
