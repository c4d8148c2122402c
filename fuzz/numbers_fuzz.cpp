// The number readers against sscanf in the "C" locale, and the writers
// against snprintf with the same trimming, in a floating-point mode that
// the input picks: a rounding mode set with fesetround and, on x86, now
// and then the SSE unit's rounding field alone and its flush-to-zero and
// denormals-are-zero flags.
#include <QvBase/QvNumberText.h>

#include <cfenv>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "FuzzUtil.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace {

template <typename T>
bool SameValue(T a, T b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b);
}

// snprintf's text trimmed by the writers' rule.
std::string Want(const char* format, double value, bool drop) {
  static char buf[8192];
  std::snprintf(buf, sizeof buf, format, value);
  const std::string text(buf);
  if (text.find('.') == std::string::npos) return text;
  std::size_t i = text.size() - 1;
  while (i > 0 && (text[i] == '0' || text[i] == ' ')) --i;
  return text.substr(0, drop && text[i] == '.' ? i : i + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static const bool cLocale = std::setlocale(LC_ALL, "C") != nullptr;
  (void)cLocale;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const char* s = text.c_str();   // up to the first zero byte
  std::uint32_t h = 2166136261u;  // FNV-1a of the input picks the rest
  for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
  static const int kModes[] = {FE_TONEAREST, FE_TONEAREST, FE_UPWARD,
                               FE_DOWNWARD, FE_TOWARDZERO};
  std::fesetround(kModes[h % 5]);
#if defined(__SSE2__)
  const unsigned csr = _mm_getcsr();
  unsigned mode = csr;
  if ((h >> 25) & 1) mode = (mode & ~0x6000u) | ((h >> 26) & 3) << 13;
  if ((h >> 28) & 1) mode |= 0x8000u;  // flush to zero
  if ((h >> 29) & 1) mode |= 0x40u;    // denormals are zero
  _mm_setcsr(mode);
#endif

  double d = 0;
  const double wantD = std::sscanf(s, "%lf", &d) == 1 ? d : QV_NO_DOUBLE;
  QV_FUZZ_CHECK(SameValue(QvGetDouble(s), wantD));

  float f = 0;
  const float wantF = std::sscanf(s, "%f", &f) == 1 ? f : QV_NO_FLOAT;
  QV_FUZZ_CHECK(SameValue(QvGetFloat(s), wantF));

  const std::size_t len = std::strlen(s);
  int i = 0;
  const bool digitsOnly = len > 0 && std::strspn(s, "0123456789+-") == len;
  const int wantI = digitsOnly && std::sscanf(s, "%d", &i) == 1 ? i : QV_NO_INT;
  QV_FUZZ_CHECK(QvGetInt(s) == wantI);

  // The number read, or else the first eight bytes as a double's bits,
  // written by a fixed-point format with an optional '-' flag, width and
  // precision (now and then up to 340, past the first digits of the
  // smallest subnormal).
  double v = wantD;
  if (wantD == QV_NO_DOUBLE) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, data, size < 8 ? size : 8);
    std::memcpy(&v, &bits, sizeof v);
  }
  std::string format = (h >> 3) & 1 ? "%-" : "%";
  if ((h >> 4) & 1) format += std::to_string(1 + (h >> 5) % 120);
  if ((h >> 12) % 8 != 0)
    format += "." + std::to_string((h >> 15) % ((h >> 30) & 1 ? 341 : 24));
  format += (h >> 20) % 5 == 0 ? "lf" : "f";
  const bool drop = (h >> 23) & 1;
  QV_FUZZ_CHECK(QvWriteDouble(format.c_str(), v, drop) ==
                Want(format.c_str(), v, drop));
  const auto vf = static_cast<float>(v);
  QV_FUZZ_CHECK(QvWriteFloat(format.c_str(), vf, drop) ==
                Want(format.c_str(), vf, drop));
  QV_FUZZ_CHECK(QvWrite(v) == Want("%.3f", v, true));
  std::fesetround(FE_TONEAREST);
#if defined(__SSE2__)
  _mm_setcsr(csr);
#endif
  return 0;
}
