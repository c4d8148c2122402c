/// \file
/// Why an operation failed.
///
/// After an operation of the library returns its failure result (false,
/// null, -1, an empty text as its header says), QvLastError() gives the
/// calling thread's reason and QvLastSystemError() the system's error
/// number behind it (errno of the failed system call, 0 when there was
/// none). Like errno they are kept per thread and only a failure sets
/// them: a successful call leaves the last reason in place, so read it
/// right after the failure. The operations that set a reason are the
/// neutral file family (QvNeutralFile, the colour table, WriteNF, ReadNF,
/// SaveNF), QvFile's opening and reads and the local message file of
/// QvProgress; each header's failure lines name the reasons it gives.
#ifndef QVBASE_QVERROR_H
#define QVBASE_QVERROR_H

#include <QvBase/QvExport.h>

#include <cstdint>

/// The reason for a failure. New reasons may be added at the end.
enum class QvError : std::int32_t {
  None = 0,          ///< no failure on this thread yet
  CannotOpen = 1,    ///< the file could not be opened or created
  NotNeutral = 2,    ///< the file is not a neutral file
  Truncated = 3,     ///< the data ended before what was read
  Damaged = 4,       ///< the data contradict themselves (a looping chain)
  NotFound = 5,      ///< no block (key, line) of that name is there
  WriteFailed = 6,   ///< the system refused a write (a full disk)
  TooLarge = 7,      ///< past 2^31 - 1 bytes, a buffer's room, 255 colours
  NoMemory = 8,      ///< memory ran short
  BadArgument = 9,   ///< a null, negative or otherwise unusable argument,
                     ///< or no stream, buffer or replacement to work on
  ReadFailed = 10,   ///< the system refused a read (a device error)
  SeekFailed = 11,   ///< the stream can't be positioned (a pipe)
  EndOfFile = 12,    ///< a text file has no more lines or strings
  Unsupported = 13,  ///< a block of a version this reader does not know
};

/// The reason for the calling thread's last failure (None before any).
QV_BASE_API QvError QvLastError();
/// A short English text for error ("file not found" style, no period);
/// "unknown error" for a value outside the enumeration. Never null.
QV_BASE_API const char* QvErrorText(QvError error);
/// The system's error number (errno) of the calling thread's last
/// failure, 0 when no system call failed in it.
QV_BASE_API int QvLastSystemError();

#endif  // QVBASE_QVERROR_H
