// The number readers against sscanf in the "C" locale, and the writers
// against snprintf with the same trimming.
#include <QvBase/QvNumberText.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "FuzzUtil.h"

namespace {

template <typename T>
bool SameValue(T a, T b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static const bool cLocale = std::setlocale(LC_ALL, "C") != nullptr;
  (void)cLocale;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const char* s = text.c_str();  // up to the first zero byte

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

  // A number read back from the writer's text keeps its fixed-point value.
  if (wantD != QV_NO_DOUBLE && wantD == wantD) {
    char ref[512];
    std::snprintf(ref, sizeof ref, "%.3f", wantD);
    const char* w = QvWrite(wantD);
    double back = 0;
    QV_FUZZ_CHECK(std::sscanf(w, "%lf", &back) == 1);
    double refBack = 0;
    std::sscanf(ref, "%lf", &refBack);
    QV_FUZZ_CHECK(SameValue(back, refBack) || (back == 0 && refBack == 0));
  }
  return 0;
}
