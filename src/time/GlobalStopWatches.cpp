// The four global stopwatches. Defined together in this one file so that
// they are constructed in order, 0 to 3, while the library is loaded, and
// run from then on.
#include <QvBase/QvGlobals.h>
#include <QvBase/QvStopWatch.h>

QvStopWatch GV_STOP_WATCH0(true);
QvStopWatch GV_STOP_WATCH1(true);
QvStopWatch GV_STOP_WATCH2(true);
QvStopWatch GV_STOP_WATCH3(true);
