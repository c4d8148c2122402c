// Differential tests: the number readers, the value reads and the writers
// against the C library's sscanf and snprintf in the "C" locale, over
// generated cases from fixed seeds.
#include <QvBase/QvNumberText.h>
#include <QvBase/QvStdString.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "NumberCases.h"

namespace {

constexpr int kCases = 200000;

template <typename T>
bool SameBits(T a, T b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

double RefDouble(const char* s) {
  double v = -9.999e10;
  return std::sscanf(s, "%lf", &v) == 1 ? v : -9.999e10;
}

float RefFloat(const char* s) {
  float v = -9.999e10f;
  return std::sscanf(s, "%f", &v) == 1 ? v : -9.999e10f;
}

int RefInt(const char* s) {
  if (s[std::strspn(s, "0123456789+-")] != '\0') return -99999;
  int v = -99999;
  return std::sscanf(s, "%d", &v) == 1 ? v : -99999;
}

TEST(QvNumberDiff, RealReaders) {
  qvtest::NumberCases gen(0x5EED0001);
  int fails = 0;
  for (int i = 0; i < kCases && fails < 10; ++i) {
    const std::string w = gen.RealWord();
    const double d = QvGetDouble(w.c_str());
    const float f = QvGetFloat(w.c_str());
    if (!SameBits(d, RefDouble(w.c_str()))) {
      ADD_FAILURE() << "double \"" << w << "\": " << d;
      ++fails;
    }
    if (!SameBits(f, RefFloat(w.c_str()))) {
      ADD_FAILURE() << "float \"" << w << "\": " << f;
      ++fails;
    }
  }
}

TEST(QvNumberDiff, IntReader) {
  qvtest::NumberCases gen(0x5EED0002);
  int fails = 0;
  for (int i = 0; i < kCases && fails < 10; ++i) {
    const std::string w = gen.IntWord();
    const int got = QvGetInt(w.c_str());
    const int want = RefInt(w.c_str());
    if (got != want) {
      ADD_FAILURE() << "\"" << w << "\": " << got << " want " << want;
      ++fails;
    }
  }
}

// Joins generated words into texts with white space between them and walks
// them with GetValue of every kind, word by word against sscanf.
TEST(QvNumberDiff, ValueReads) {
  qvtest::NumberCases gen(0x5EED0003);
  static const char* const kGaps[] = {" ", "\t", "\n", "\r\n", "  \t "};
  int words = 0, fails = 0;
  while (words < kCases && fails < 10) {
    std::string text;
    std::string list[16];
    for (std::string& w : list) {
      w = gen.Below(2) ? gen.RealWord() : gen.IntWord();
      // White space inside a generated word would split it differently.
      for (char& c : w)
        if (std::strchr(" \t\n\r", c)) c = '\v';
      if (w.empty()) w = "-";
      text += w + kGaps[gen.Below(5)];
    }
    const QvStdString s(text);
    const int kind = gen.Below(4);
    int pos = 0;
    for (const std::string& w : list) {
      const char* ref = w.c_str();
      bool same = true;
      if (kind == 0) {
        double v = 1.25, r = 1.25;
        const bool ok = s.GetValue(pos, v);
        same = ok == (std::sscanf(ref, "%lf", &r) == 1) && SameBits(v, r);
      } else if (kind == 1) {
        float v = 1.25f, r = 1.25f;
        const bool ok = s.GetValue(pos, v);
        same = ok == (std::sscanf(ref, "%f", &r) == 1) && SameBits(v, r);
      } else if (kind == 2) {
        int v = 77;
        const bool ok = s.GetValue(pos, v);
        const int r = RefInt(ref);
        same = ok ? v == r : (v == 77 && r == -99999);
      } else {
        char v = '#', r = '#';
        const bool ok = s.GetValue(pos, v);
        same = ok == (std::sscanf(ref, "%c", &r) == 1) && v == r;
      }
      if (!same) {
        ADD_FAILURE() << "kind " << kind << " word \"" << w << "\"";
        ++fails;
      }
      ++words;
    }
    char rest = '#';
    EXPECT_FALSE(s.GetValue(pos, rest));  // only white space is left
  }
}

template <typename T>
void CheckWriters(std::uint64_t seed) {
  qvtest::NumberCases gen(seed);
  int fails = 0;
  for (int i = 0; i < kCases && fails < 10; ++i) {
    const std::string format = gen.Format();
    const T value = static_cast<T>(gen.Value(qvtest::PrecisionOf(format)));
    const bool drop = gen.Below(4) != 0;
    char buf[512];
    std::snprintf(buf, sizeof buf, format.c_str(), static_cast<double>(value));
    const std::string want = qvtest::TrimNumberText(buf, drop);
    const char* got = sizeof(T) == sizeof(double)
                          ? QvWriteDouble(format.c_str(), value, drop)
                          : QvWriteFloat(format.c_str(), value, drop);
    if (want != got) {
      ADD_FAILURE() << format << " " << buf << " drop " << drop << ": \"" << got
                    << "\" want \"" << want << "\"";
      ++fails;
    }
  }
}

TEST(QvNumberDiff, DoubleWriter) {
  CheckWriters<double>(0x5EED0004);
}

TEST(QvNumberDiff, FloatWriter) {
  CheckWriters<float>(0x5EED0005);
}

TEST(QvNumberDiff, ShortFormWriter) {
  qvtest::NumberCases gen(0x5EED0006);
  for (int i = 0; i < kCases; ++i) {
    const double v = gen.Value(3);
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    const std::string want = qvtest::TrimNumberText(buf, true);
    const std::string got = QvWrite(v);
    if (want != got) {
      ADD_FAILURE() << buf << ": \"" << got << "\"";
      break;
    }
  }
}

}  // namespace
