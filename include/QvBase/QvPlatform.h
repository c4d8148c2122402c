/// \file
/// The few runtime-library types that the public interface takes from
/// Windows, made available on every platform.
///
/// struct _timeb is the millisecond clock record that the time classes fill.
/// Windows declares it in `<sys/timeb.h>`; elsewhere it is declared here with
/// the same members.
#ifndef QVBASE_QVPLATFORM_H
#define QVBASE_QVPLATFORM_H

#include <ctime>

#if defined(_WIN32)
#include <sys/timeb.h>
#else
/// Clock record: whole seconds since 1970-01-01 00:00:00 UTC and the
/// milliseconds within that second. timezone and dstflag are kept for
/// layout compatibility; the library fills them with 0.
struct _timeb {
  std::time_t time;        ///< whole seconds since the epoch
  unsigned short millitm;  ///< milliseconds within that second, 0..999
  short timezone;          ///< kept for the layout; 0
  short dstflag;           ///< kept for the layout; 0
};
#endif

#endif  // QVBASE_QVPLATFORM_H
