// Time spans are plain seconds; these compare them with a fixed tolerance.
#include <QvBase/QvTime.h>

#include <cmath>

bool QvIsSameTimeSpan(double a, double b) {
  // The tolerance is the single-precision value of 1e-6, 9.99999997e-7.
  // A NaN on either side fails the comparison.
  constexpr double kTolerance = static_cast<double>(1e-6f);
  return std::fabs(a - b) < kTolerance;
}

bool QvIsInfTimeSpan(double a) {
  return QvIsSameTimeSpan(a, QvTime::INF_TIME_SPAN);
}

bool QvIsZeroTimeSpan(double a) {
  return QvIsSameTimeSpan(a, QvTime::ZERO_TIME_SPAN);
}
