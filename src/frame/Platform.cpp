// Implementation of the platform layer: Windows runtime calls on Windows,
// their POSIX equivalents elsewhere.
#include "frame/Platform.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <cinttypes>
#include <cstdio>

#include <locale.h>
#if !defined(_WIN32)
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
_locale_t CLocale() {
  static const _locale_t c = _create_locale(LC_ALL, "C");
  return c;
}
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

std::FILE* OpenStream(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) return nullptr;
  FileStatus st;
  if (StatPath(path, &st) && st.isDirectory) return nullptr;
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

bool SetStreamBuffer(std::FILE* stream, char* buf, std::size_t size) {
  if (stream == nullptr || buf == nullptr || size == 0) return false;
  return std::setvbuf(stream, buf, _IOFBF, size) == 0;
}

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

int VFormatInCLocale(char* buf, std::size_t size, const char* format,
                     std::va_list args) {
#if defined(_WIN32)
  std::va_list again;
  va_copy(again, args);
  int n = _vscprintf_l(format, CLocale(), args);
  if (n >= 0 && size > 0)
    _vsnprintf_s_l(buf, size, _TRUNCATE, format, CLocale(), again);
  va_end(again);
  return n;
#else
  CLocaleScope scope;
  return std::vsnprintf(buf, size, format, args);
#endif
}

int ScanDoubleInCLocale(const char* text, double* value) {
#if defined(_WIN32)
  return _sscanf_l(text, "%lf", CLocale(), value);
#else
  CLocaleScope scope;
  return std::sscanf(text, "%lf", value);
#endif
}

int ScanFloatInCLocale(const char* text, float* value) {
#if defined(_WIN32)
  return _sscanf_l(text, "%f", CLocale(), value);
#else
  CLocaleScope scope;
  return std::sscanf(text, "%f", value);
#endif
}

int ScanIntInCLocale(const char* text, int* value) {
#if defined(_WIN32)
  return _sscanf_l(text, "%d", CLocale(), value);
#else
  CLocaleScope scope;
  return std::sscanf(text, "%d", value);
#endif
}

}  // namespace qv::platform
