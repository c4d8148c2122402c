// A plug-in module that touches the library's global values.
#include <QvBase/QvGlobals.h>

#if defined(_WIN32)
#define PLUGIN_API extern "C" __declspec(dllexport)
#else
#define PLUGIN_API extern "C" __attribute__((visibility("default")))
#endif

PLUGIN_API void PluginSetSharedInt(int v) {
  QV_GV_INT_3 = v;
}
PLUGIN_API bool PluginReadSharedBool() {
  return QV_GV_BOOL_2;
}
