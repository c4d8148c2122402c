// Implementation of the platform layer: Windows runtime calls on Windows,
// their POSIX equivalents elsewhere.
#include "frame/Platform.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <cerrno>
#include <cinttypes>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <locale.h>
#if !defined(_WIN32)
#include <fcntl.h>
#include <time.h>
#endif

namespace qv::platform {
namespace {

void SystemClock(struct _timeb* out) {
#if defined(_WIN32)
  _ftime(out);
#else
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  out->time = ts.tv_sec;
  out->millitm = static_cast<unsigned short>(ts.tv_nsec / 1000000);
  out->timezone = 0;
  out->dstflag = 0;
#endif
}

ClockSource g_clock = nullptr;  // test seam; null means the system clock

#if defined(_WIN32)
// The runtime's C99 printf and scanf family (the one MinGW links for C++)
// follows the numeric locale set with setlocale. For one call the numeric
// locale becomes "C": for the calling thread alone where the runtime has
// per-thread locales, otherwise for the process. A thread already in the
// "C" locale pays for one query only.
class CLocaleScope {
 public:
  CLocaleScope() {
    const char* now = std::setlocale(LC_NUMERIC, nullptr);
    if (now == nullptr || std::strcmp(now, "C") == 0) return;
    saved_ = now;
    mode_ = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
    switched_ = std::setlocale(LC_NUMERIC, "C") != nullptr;
  }
  ~CLocaleScope() {
    if (switched_) std::setlocale(LC_NUMERIC, saved_.c_str());
    if (mode_ != -1 && mode_ != _ENABLE_PER_THREAD_LOCALE)
      _configthreadlocale(mode_);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  std::string saved_;
  int mode_ = -1;
  bool switched_ = false;
};
#else
// The "C" locale is made once and kept for the life of the process: the
// number texts switch the calling thread to it for the span of one call.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
  return c;
}

class CLocaleScope {
 public:
  CLocaleScope() : old_(CLocale() ? uselocale(CLocale()) : locale_t{}) {}
  ~CLocaleScope() {
    if (old_) uselocale(old_);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t old_;
};
#endif

}  // namespace

void FTime(struct _timeb* out) {
  if (g_clock != nullptr)
    g_clock(out);
  else
    SystemClock(out);
}

void SetClockSource(ClockSource source) {
  g_clock = source;
}

bool LocalTime(std::time_t t, std::tm* out) {
#if defined(_WIN32)
  return localtime_s(out, &t) == 0;
#else
  return localtime_r(&t, out) != nullptr;
#endif
}

bool StatPath(const char* path, FileStatus* out) {
  if (path == nullptr) return false;
#if defined(_WIN32)
  struct _stat st;
  if (_stat(path, &st) != 0) return false;
  out->isDirectory = (st.st_mode & _S_IFMT) == _S_IFDIR;
  out->isRegular = (st.st_mode & _S_IFMT) == _S_IFREG;
#else
  struct stat st;
  if (stat(path, &st) != 0) return false;
  out->isDirectory = S_ISDIR(st.st_mode);
  out->isRegular = S_ISREG(st.st_mode);
#endif
  return true;
}

bool StatStream(std::FILE* stream, StreamStatus* out) {
  if (stream == nullptr) return false;
#if defined(_WIN32)
  const int fd = _fileno(stream);
  if (fd < 0) return false;
  struct _stat64 st;
  if (_fstat64(fd, &st) != 0) return false;
  out->isRegular = (st.st_mode & _S_IFMT) == _S_IFREG;
#else
  const int fd = fileno(stream);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0) return false;
  out->isRegular = S_ISREG(st.st_mode);
#endif
  out->size = static_cast<std::int64_t>(st.st_size);
  return true;
}

#if !defined(__GLIBC__)
bool StreamAppends(std::FILE* stream) {
#if defined(_WIN32)
  static_cast<void>(stream);
  return false;
#else
  const int fd = fileno(stream);
  const int flags = fd < 0 ? -1 : fcntl(fd, F_GETFL);
  return flags != -1 && (flags & O_APPEND) != 0;
#endif
}
#endif

namespace {

// The bytes that an appending stream holds and has not written yet, where
// the C library lets them be seen; elsewhere they are written first.
bool HeldForAppend(std::FILE* stream, std::int64_t* held) {
#if defined(__GLIBC__)
  *held = (stream->_flags & kGlibcPutting) != 0
              ? stream->_IO_write_ptr - stream->_IO_write_base
              : 0;
  return true;
#else
  *held = 0;
  return std::fflush(stream) == 0;
#endif
}

// The end of an appending stream's file plus what the stream holds; false
// for a stream without a regular file (a pipe, a callback stream).
bool AppendEnd(std::FILE* stream, std::int64_t* pos) {
  std::int64_t held = 0;
  StreamStatus st;
  if (!HeldForAppend(stream, &held) || !StatStream(stream, &st) ||
      !st.isRegular)
    return false;
  *pos = st.size + held;
  return true;
}

}  // namespace

bool StreamPosition(std::FILE* stream, std::int64_t* pos) {
#if defined(__GLIBC__)
  if (stream != nullptr && StreamAppends(stream) &&
      (stream->_flags & kGlibcPutting) != 0 && AppendEnd(stream, pos))
    return true;
#endif
  return TellStream(stream, pos);
}

bool WritePosition(std::FILE* stream, std::int64_t* pos) {
  if (stream != nullptr && StreamAppends(stream) && AppendEnd(stream, pos))
    return true;
  return StreamPosition(stream, pos);
}

std::FILE* OpenStream(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) return nullptr;
  FileStatus st;
  if (StatPath(path, &st) && st.isDirectory) {
    errno = EISDIR;  // as fopen gives for a folder opened to write
    return nullptr;
  }
#if defined(_WIN32)
  return std::fopen(path, mode);
#else
  // Keep every mode letter but the text flag; the mode strings used here
  // are a few characters long.
  char plain[8];
  std::size_t n = 0;
  for (const char* m = mode; *m != '\0' && n + 1 < sizeof plain; ++m)
    if (*m != 't') plain[n++] = *m;
  plain[n] = '\0';
  return std::fopen(path, plain);
#endif
}

bool SeekAfterChars(std::FILE* stream, std::uint64_t count, char* scratch,
                    std::size_t size) {
#if !defined(_WIN32)
  if (count <= static_cast<std::uint64_t>(LONG_MAX))
    return std::fseek(stream, static_cast<long>(count), SEEK_SET) == 0;
#endif
  if (scratch == nullptr || size == 0) return false;
  std::rewind(stream);
  while (count > 0) {
    const std::size_t piece =
        count < size ? static_cast<std::size_t>(count) : size;
    if (std::fread(scratch, 1, piece, stream) != piece) return false;
    count -= piece;
  }
  return true;
}

bool SetStreamBuffer(std::FILE* stream, char* buf, std::size_t size) {
  if (stream == nullptr || buf == nullptr || size == 0) return false;
  return std::setvbuf(stream, buf, _IOFBF, size) == 0;
}

// GCC's format check does not know the Windows runtime's I64 size prefix,
// which both runtimes that MinGW links accept.
#if defined(_WIN32) && defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
#pragma GCC diagnostic ignored "-Wformat-extra-args"
#endif

int FormatInt64(char* buf, std::size_t size, std::int64_t value) {
#if defined(_WIN32)
  return std::snprintf(buf, size, "%I64d", static_cast<long long>(value));
#else
  return std::snprintf(buf, size, "%" PRId64, value);
#endif
}

bool ScanInt64(const char* text, std::int64_t* value) {
  if (text == nullptr) return false;
  long long v = 0;
#if defined(_WIN32)
  if (std::sscanf(text, "%I64d", &v) != 1) return false;
#else
  if (std::sscanf(text, "%lld", &v) != 1) return false;
#endif
  *value = static_cast<std::int64_t>(v);
  return true;
}

#if defined(_WIN32) && defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

int VFormatInCLocale(char* buf, std::size_t size, const char* format,
                     std::va_list args) {
  CLocaleScope scope;
  return std::vsnprintf(buf, size, format, args);
}

#if defined(_WIN32)
// The Windows runtime's sscanf rounds some decimal texts one unit off in
// the last place, while its strtod and strtof round exactly. They read the
// same texts as sscanf's %lf and %f, so they stand in for it, with its
// result: 1 when a value was stored, EOF when only white space was there.
template <typename T>
int ScanReal(const char* text, T* value, T (*convert)(const char*, char**)) {
  CLocaleScope scope;
  char* end = nullptr;
  const T v = convert(text, &end);
  if (end == text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    return *text == '\0' ? EOF : 0;
  }
  *value = v;
  return 1;
}

int ScanDoubleInCLocale(const char* text, double* value) {
  return ScanReal<double>(text, value, &std::strtod);
}

int ScanFloatInCLocale(const char* text, float* value) {
  return ScanReal<float>(text, value, &std::strtof);
}
#else
int ScanDoubleInCLocale(const char* text, double* value) {
  CLocaleScope scope;
  return std::sscanf(text, "%lf", value);
}

int ScanFloatInCLocale(const char* text, float* value) {
  CLocaleScope scope;
  return std::sscanf(text, "%f", value);
}
#endif

int ScanIntInCLocale(const char* text, int* value) {
  CLocaleScope scope;
  return std::sscanf(text, "%d", value);
}

}  // namespace qv::platform
