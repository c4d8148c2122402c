// Helpers for the time tests.
#ifndef QVBASE_TESTS_TIME_TIMETESTSUPPORT_H
#define QVBASE_TESTS_TIME_TIMETESTSUPPORT_H

#include <cstdlib>
#include <ctime>

namespace qvtest {

// Switches the process to a time zone given as a TZ value ("UTC"). Each
// test runs in a process of its own under CTest, so none restores it.
inline void UseTimeZone(const char* tz) {
#if defined(_WIN32)
  _putenv_s("TZ", tz);
  _tzset();
#else
  setenv("TZ", tz, 1);
  tzset();
#endif
}

}  // namespace qvtest

#endif  // QVBASE_TESTS_TIME_TIMETESTSUPPORT_H
