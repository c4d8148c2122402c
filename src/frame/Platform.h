// Platform.h - the one place where QvBase calls functions that differ
// between Windows and other systems. Every other file goes through these.
#ifndef QVBASE_SRC_FRAME_PLATFORM_H
#define QVBASE_SRC_FRAME_PLATFORM_H

#include <QvBase/QvPlatform.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <sys/types.h>

namespace qv::platform {

/// Reads the wall clock into a millisecond record, as Windows' _ftime does.
/// timezone and dstflag are set to 0 on systems without them.
void FTime(struct _timeb* out);

/// Replaces the clock that FTime reads, for tests that drive time without
/// sleeping. nullptr restores the system clock. Not thread-safe.
using ClockSource = void (*)(struct _timeb* out);
void SetClockSource(ClockSource source);

/// Local calendar time of a time_t (thread-safe form of localtime).
/// Returns false when the value cannot be represented.
bool LocalTime(std::time_t t, std::tm* out);

/// What a file-status query tells about a path (stands for _stat).
struct FileStatus {
  bool isDirectory = false;
  bool isRegular = false;
};
/// Queries the status of a path; false when the path does not exist or
/// cannot be queried (out is then left unchanged).
bool StatPath(const char* path, FileStatus* out);

/// What a status query tells about the file beneath a stream (stands for
/// fstat of the stream's descriptor).
struct StreamStatus {
  bool isRegular = false;
  std::int64_t size = 0;  // the file's length in bytes
};
/// Queries the file that stream reads or writes; false when the stream has
/// no descriptor (callback and memory streams) or the query fails (out is
/// then left unchanged).
bool StatStream(std::FILE* stream, StreamStatus* out);

/// The stream's position as a 64-bit offset (ftell beyond 2 GiB); false
/// when it can't be had (pipes, for instance). Inline: every write to a
/// neutral file's stream asks it.
inline bool TellStream(std::FILE* stream, std::int64_t* pos) {
  if (stream == nullptr) return false;
#if defined(_WIN32)
  const __int64 at = _ftelli64(stream);
#else
  const off_t at = ftello(stream);
#endif
  if (at < 0) return false;
  *pos = static_cast<std::int64_t>(at);
  return true;
}

/// Whether every write to stream lands at the end of its file, wherever
/// the stream stands: a stream opened for appending ("a" modes). glibc
/// tells by the stream's flags, other POSIX systems by the descriptor's;
/// the Windows runtime does not tell (false there).
#if defined(__GLIBC__)
// glibc's _IO_IS_APPENDING and _IO_CURRENTLY_PUTTING, which its public
// headers do not name.
constexpr int kGlibcAppending = 0x1000;
constexpr int kGlibcPutting = 0x0800;
inline bool StreamAppends(std::FILE* stream) {
  return (stream->_flags & kGlibcAppending) != 0;
}
#else
bool StreamAppends(std::FILE* stream);
#endif

/// Where the stream stands (TellStream), except that an appending stream
/// that holds written bytes stands past them at the end of its file
/// (glibc's ftell miscounts them when the stream read before).
bool StreamPosition(std::FILE* stream, std::int64_t* pos);

/// Where the next byte written to stream lands: the end of the file plus
/// the bytes the stream holds on an appending stream, StreamPosition
/// elsewhere. False when it can't be had.
bool WritePosition(std::FILE* stream, std::int64_t* pos);

/// fwrite, fread and ferror without taking the stream's lock, where the C
/// library has such calls (plain calls elsewhere). Only for a stream that
/// one thread uses at a time, as a neutral file's is: on the per-value
/// path the lock costs as much as the copy itself.
inline std::size_t WriteStream(const void* buf, std::size_t size,
                               std::FILE* stream) {
#if defined(__GLIBC__)
  return fwrite_unlocked(buf, 1, size, stream);
#else
  return std::fwrite(buf, 1, size, stream);
#endif
}
inline std::size_t ReadStream(void* buf, std::size_t size, std::FILE* stream) {
#if defined(__GLIBC__)
  return fread_unlocked(buf, 1, size, stream);
#else
  return std::fread(buf, 1, size, stream);
#endif
}
inline bool StreamHasError(std::FILE* stream) {
#if defined(__GLIBC__)
  return ferror_unlocked(stream) != 0;
#else
  return std::ferror(stream) != 0;
#endif
}

/// Readies a stream that was written last for reading, as the C library
/// asks between output and input (a seek to where it stands; the Windows
/// runtime would otherwise hand out its write buffer's stale bytes). glibc
/// switches by itself, so nothing is done there.
inline void TurnToReading(std::FILE* stream) {
#if defined(__GLIBC__)
  static_cast<void>(stream);
#else
  std::fseek(stream, 0, SEEK_CUR);
#endif
}

/// getc and ungetc without the stream's lock where the C library has
/// them, for a stream that one thread uses at a time.
inline int GetcStream(std::FILE* stream) {
#if defined(_WIN32)
  return _getc_nolock(stream);
#else
  return getc_unlocked(stream);
#endif
}

/// The bytes that a read stream holds in its buffer and has not delivered
/// yet, where the C library lets them be seen (glibc, whose getc macro
/// reads them the same way): true with [*begin, *end) non-empty. False
/// when none are buffered or the library hides them; then getc is the way
/// on. ConsumeBuffered(stream, n) delivers n of them, as n getc calls
/// would.
#if defined(__GLIBC__)
constexpr bool kCanPeekBuffered = true;
#else
constexpr bool kCanPeekBuffered = false;
#endif
inline bool PeekBuffered(std::FILE* stream, const char** begin,
                         const char** end) {
#if defined(__GLIBC__)
  *begin = stream->_IO_read_ptr;
  *end = stream->_IO_read_end;
  return *begin < *end;
#else
  static_cast<void>(stream);
  static_cast<void>(begin);
  static_cast<void>(end);
  return false;
#endif
}
inline void ConsumeBuffered(std::FILE* stream, std::size_t n) {
#if defined(__GLIBC__)
  stream->_IO_read_ptr += n;
#else
  static_cast<void>(stream);
  static_cast<void>(n);
#endif
}

/// Copies size bytes into a writing stream's buffer when they fit there
/// whole, where fwrite would put them: on glibc, a fully buffered,
/// byte-oriented stream that is writing already. Nothing reaches the
/// system, so nothing can fail. False, changing nothing, otherwise; then
/// fwrite is the way.
inline bool PutBuffered(std::FILE* stream, const void* buf, std::size_t size) {
#if defined(__GLIBC__)
  constexpr int kLineBuf = 0x0200;     // glibc's _IO_LINE_BUF
  constexpr int kUnbuffered = 0x0002;  // glibc's _IO_UNBUFFERED
  if ((stream->_flags & (kGlibcPutting | kLineBuf | kUnbuffered)) !=
          kGlibcPutting ||
      stream->_mode >= 0 ||
      static_cast<std::size_t>(stream->_IO_write_end - stream->_IO_write_ptr) <
          size)
    return false;
  // Single values are 4 or 8 bytes: copies of a known size are moves.
  if (size == 4)
    std::memcpy(stream->_IO_write_ptr, buf, 4);
  else if (size == 8)
    std::memcpy(stream->_IO_write_ptr, buf, 8);
  else
    std::memcpy(stream->_IO_write_ptr, buf, size);
  stream->_IO_write_ptr += size;
  return true;
#else
  static_cast<void>(stream);
  static_cast<void>(buf);
  static_cast<void>(size);
  return false;
#endif
}

/// Moves a reading stream to offset pos when pos lies within the bytes its
/// buffer holds, as fseek would (the end-of-file flag cleared), without
/// asking the system: glibc's fseek tells the system where the stream
/// stands even then. False, changing nothing, when pos is elsewhere, the
/// stream is writing or has held pushed-back bytes, or the C library hides
/// its buffer; then fseek is the way.
inline bool SeekInBuffer(std::FILE* stream, std::int64_t pos) {
#if defined(__GLIBC__)
  constexpr int kInBackup = 0x0100;          // glibc's _IO_IN_BACKUP
  const std::int64_t end = stream->_offset;  // the offset of _IO_read_end
  // fseek also frees a put-back area (ungetc's), which this can't.
  if (end < 0 || stream->_IO_read_base == nullptr || stream->_mode > 0 ||
      (stream->_flags & (kInBackup | kGlibcPutting)) != 0 ||
      stream->_IO_write_ptr != stream->_IO_write_base ||
      stream->_IO_save_base != nullptr)
    return false;
  const std::int64_t begin =
      end - (stream->_IO_read_end - stream->_IO_buf_base);
  if (pos < begin || pos >= end) return false;
  stream->_IO_read_ptr = stream->_IO_buf_base + (pos - begin);
  stream->_flags &= ~_IO_EOF_SEEN;
  return true;
#else
  static_cast<void>(stream);
  static_cast<void>(pos);
  return false;
#endif
}

/// The state of a stream that decides where it stands, where the C
/// library lets it be seen (glibc: its buffer pointers, flags and cached
/// file offset). ftell is a function of that state, so a stream that holds
/// the state marked earlier stands where it stood then, whoever used it in
/// between. Where the state can't be seen, or the stream does not know its
/// offset, a mark is never valid and the stream must be asked.
struct StreamMark {
  bool valid = false;
#if defined(__GLIBC__)
  int flags = 0;
  int mode = 0;
  const void* pointers[9] = {};
  std::int64_t offset = 0;
#endif

  /// Marks the state stream is in now.
  void Take(std::FILE* stream) {
#if defined(__GLIBC__)
    int i = 0;
    EachField(stream, [&](const char* value) { pointers[i++] = value; });
    flags = Load(stream->_flags);
    mode = Load(stream->_mode);
    offset = Load(stream->_offset);
    // -1: the offset is not known. An appending stream's writes land at
    // the end of the file, not where its state says it stands.
    valid = offset >= 0 && (flags & kGlibcAppending) == 0;
#else
    static_cast<void>(stream);
#endif
  }
  /// The marked state after PutBuffered put n bytes: only the write
  /// pointer moved.
  void Put(std::size_t n) {
#if defined(__GLIBC__)
    pointers[4] = static_cast<const char*>(pointers[4]) + n;
#else
    static_cast<void>(n);
#endif
  }
  /// Whether stream is in the marked state (never when the mark is not
  /// valid).
  bool Holds(std::FILE* stream) const {
#if defined(__GLIBC__)
    if (!valid || Load(stream->_offset) != offset ||
        Load(stream->_flags) != flags || Load(stream->_mode) != mode)
      return false;
    int i = 0;
    bool same = true;
    EachField(stream, [&](const char* value) {
      same = same && pointers[i++] == value;
    });
    return same;
#else
    static_cast<void>(stream);
    return false;
#endif
  }

 private:
#if defined(__GLIBC__)
  // Each field is read on its own. A mark is mostly taken or tested just
  // after a write stored some of them; a load as wide as two fields (what
  // a compiler makes of a plain copy) would wait until both stores left
  // the processor instead of taking the value from the store itself.
  template <class T>
  static T Load(const T& field) {
    return __atomic_load_n(&field, __ATOMIC_RELAXED);
  }
  template <class F>
  static void EachField(std::FILE* s, F f) {
    f(Load(s->_IO_read_ptr));
    f(Load(s->_IO_read_end));
    f(Load(s->_IO_read_base));
    f(Load(s->_IO_write_base));
    f(Load(s->_IO_write_ptr));
    f(Load(s->_IO_write_end));
    f(Load(s->_IO_buf_base));
    f(Load(s->_IO_buf_end));
    f(Load(s->_IO_save_base));
  }
#endif
};

/// Opens a stream as fopen does, with the Windows mode letters: "t" (text)
/// is passed on where the runtime knows it and dropped elsewhere, where
/// text and binary streams are the same. A path that names a directory is
/// refused (null) on every system, as the Windows runtime refuses it.
std::FILE* OpenStream(const char* path, const char* mode);

/// Puts a stream that reads a file just after the first count characters
/// that reading it from its start delivers. Where text streams are byte
/// streams that is one seek. In Windows' text mode reading turns CR LF into
/// LF, so a character count is no file position: the stream is rewound and
/// the count read again, through scratch (size bytes). False when the
/// stream could not be placed.
bool SeekAfterChars(std::FILE* stream, std::uint64_t count, char* scratch,
                    std::size_t size);

/// Gives a stream a fully buffered stdio buffer of its caller's (size
/// bytes at buf, which must outlive the stream). Returns false and leaves
/// the stream's own buffer when the runtime refuses.
bool SetStreamBuffer(std::FILE* stream, char* buf, std::size_t size);

/// Writes a signed 64-bit value as decimal digits (the "%I64d" conversion
/// on Windows); returns what snprintf returns.
int FormatInt64(char* buf, std::size_t size, std::int64_t value);

/// Reads a signed 64-bit decimal value from the start of text, skipping
/// leading white space, as sscanf with "%I64d" does. Returns false when
/// no number is there; value is then unchanged.
bool ScanInt64(const char* text, std::int64_t* value);

/// vsnprintf in the "C" locale, whatever locale the process or thread has
/// set: the decimal point is always '.'. Returns what vsnprintf returns.
int VFormatInCLocale(char* buf, std::size_t size, const char* format,
                     std::va_list args);

/// sscanf of `text` with the one conversion "%lf", "%f" or "%d" in the "C"
/// locale. Returns what sscanf returns (1 when a value was stored).
int ScanDoubleInCLocale(const char* text, double* value);
int ScanFloatInCLocale(const char* text, float* value);
int ScanIntInCLocale(const char* text, int* value);

}  // namespace qv::platform

#endif  // QVBASE_SRC_FRAME_PLATFORM_H
