/// \file
/// The global values that QvBase hosts for its callers.
///
/// Twelve plain values, all false or 0 from the moment the library is
/// loaded. The library never reads or writes them itself: their meaning
/// belongs to the applications and plug-ins of a process, which share them
/// through this one home.
///
/// Four stopwatches, GV_STOP_WATCH0 to GV_STOP_WATCH3, constructed running
/// (in that order) while the library is loaded, so that they measure from
/// the load on; the library does not touch them afterwards.
///
/// Access from several threads must be serialised by the callers.
#ifndef QVBASE_QVGLOBALS_H
#define QVBASE_QVGLOBALS_H

#include <QvBase/QvExport.h>
#include <QvBase/QvStopWatch.h>

/// \name Boolean values
/// False from load on; their meaning is the applications'.
/// \{

/// One of the six boolean values.
extern QV_BASE_API bool QV_GV_BOOL;
extern QV_BASE_API bool QV_GV_BOOL_0;
extern QV_BASE_API bool QV_GV_BOOL_1;
extern QV_BASE_API bool QV_GV_BOOL_2;
extern QV_BASE_API bool QV_GV_BOOL_3;
extern QV_BASE_API bool QV_GV_BOOL_4;
/// \}

/// \name Integer values
/// 0 from load on; their meaning is the applications'.
/// \{

/// One of the six integer values.
extern QV_BASE_API int QV_GV_INT;
extern QV_BASE_API int QV_GV_INT_0;
extern QV_BASE_API int QV_GV_INT_1;
extern QV_BASE_API int QV_GV_INT_2;
extern QV_BASE_API int QV_GV_INT_3;
extern QV_BASE_API int QV_GV_INT_4;
/// \}

/// \name Stopwatches
/// Running from the library's load on, constructed in this order.
/// \{

/// One of the four global stopwatches.
extern QV_BASE_API QvStopWatch GV_STOP_WATCH0;
extern QV_BASE_API QvStopWatch GV_STOP_WATCH1;
extern QV_BASE_API QvStopWatch GV_STOP_WATCH2;
extern QV_BASE_API QvStopWatch GV_STOP_WATCH3;
/// \}

#endif  // QVBASE_QVGLOBALS_H
