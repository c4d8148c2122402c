// A first program against QvBase: the library is loaded, its shared global
// values start at zero, and whatever one module writes every other sees.
#include <QvBase/QvBase.h>

#include <cstdio>

int main() {
  std::printf("QvBase loaded: QV_GV_INT = %d, QV_GV_BOOL = %s\n", QV_GV_INT,
              QV_GV_BOOL ? "true" : "false");
  QV_GV_INT = 2026;
  QV_GV_BOOL = true;
  std::printf("after setting: QV_GV_INT = %d, QV_GV_BOOL = %s\n", QV_GV_INT,
              QV_GV_BOOL ? "true" : "false");
  return 0;
}
