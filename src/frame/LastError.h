// LastError.h - setting the calling thread's failure reason (QvError.h).
// Only failure paths call these, out of line, so that the paths that
// succeed carry no cost for them.
#ifndef QVBASE_SRC_FRAME_LASTERROR_H
#define QVBASE_SRC_FRAME_LASTERROR_H

#include <QvBase/QvError.h>

#include <cstdint>

namespace qv {

#if defined(__GNUC__)
#define QV_COLD __attribute__((cold, noinline))
#else
#define QV_COLD
#endif

/// Records error (with the system's error number systemError) as the
/// calling thread's reason and returns false, for `return Fail(...)`.
QV_COLD bool Fail(QvError error, int systemError = 0);
/// Fail(error, errno): for a failed system or C library call.
QV_COLD bool FailWithErrno(QvError error);
/// How many failures the calling thread has recorded: an operation that
/// calls code which may or may not give a reason compares it before and
/// after, and gives its own reason when none was given.
std::uint32_t FailureCount();

/// The calling thread's reason, kept aside while a step whose failure
/// does not fail the operation runs, and put back afterwards.
struct KeptError {
  QvError error;
  int systemError;
};
KeptError KeepError();
void RestoreError(const KeptError& kept);

}  // namespace qv

#endif  // QVBASE_SRC_FRAME_LASTERROR_H
