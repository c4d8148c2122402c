// The twelve exported global values. Zero-initialised, so they hold their
// values from the moment the module is mapped; no code runs for them.
#include <QvBase/QvGlobals.h>

bool QV_GV_BOOL = false;
bool QV_GV_BOOL_0 = false;
bool QV_GV_BOOL_1 = false;
bool QV_GV_BOOL_2 = false;
bool QV_GV_BOOL_3 = false;
bool QV_GV_BOOL_4 = false;

int QV_GV_INT = 0;
int QV_GV_INT_0 = 0;
int QV_GV_INT_1 = 0;
int QV_GV_INT_2 = 0;
int QV_GV_INT_3 = 0;
int QV_GV_INT_4 = 0;
