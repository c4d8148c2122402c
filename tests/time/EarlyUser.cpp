// A library that looks at the time constants and the global stopwatches
// while its own static objects are built: QvBase must be ready by then.
#include "TimeTestSupport.h"

namespace {
const EarlyView g_view = CaptureLoadState();
}  // namespace

extern "C" const EarlyView* EarlyUserView() {
  return &g_view;
}
