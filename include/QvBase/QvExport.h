/// \file
/// The export declaration shared by every public header.
#ifndef QVBASE_QVEXPORT_H
#define QVBASE_QVEXPORT_H

/// \def QV_BASE_API
/// Marks each exported class, free function and global value. On Windows
/// it is `__declspec(dllexport)` while the library itself is built and
/// `__declspec(dllimport)` for callers; elsewhere it gives the symbol
/// default visibility in a library otherwise built with hidden visibility.
/// A static QvBase defines `QV_BASE_STATIC` for itself and its callers
/// (through its CMake target and `qvbase.pc`), which makes it empty.

#if defined(QV_BASE_STATIC)
#define QV_BASE_API
#elif defined(_WIN32) || defined(__CYGWIN__)
#if defined(QV_BASE_BUILDING)
#define QV_BASE_API __declspec(dllexport)
#else
#define QV_BASE_API __declspec(dllimport)
#endif
#else
#define QV_BASE_API __attribute__((visibility("default")))
#endif

#endif  // QVBASE_QVEXPORT_H
