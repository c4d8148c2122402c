// A program outside the library's tree that uses the installed library.
#include <QvBase/QvBase.h>

#include <cstdio>

int main() {
  if (QV_GV_INT_0 != 0 || QV_GV_BOOL_0) return 1;
  QV_GV_INT_0 = 41;
  QV_GV_BOOL_0 = true;
  std::printf("QV_GV_INT_0 = %d\n", QV_GV_INT_0);
  return QV_GV_BOOL_0 ? 0 : 1;
}
