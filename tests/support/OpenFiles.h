// OpenFiles.h - how many file descriptors the process has open, for tests
// that check that every stream an object opened is closed exactly once.
#ifndef QVBASE_TESTS_SUPPORT_OPENFILES_H
#define QVBASE_TESTS_SUPPORT_OPENFILES_H

#include <filesystem>
#include <system_error>

namespace qvtest {

/// Number of open descriptors, or -1 where the system does not list them.
inline int OpenDescriptors() {
#if defined(_WIN32)
  // Under Wine /proc/self/fd would list the descriptors of Wine's host.
  return -1;
#else
  std::error_code ec;
  std::filesystem::directory_iterator it("/proc/self/fd", ec);
  if (ec) return -1;
  int n = 0;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) ++n;
  return n;
#endif
}

}  // namespace qvtest

#endif  // QVBASE_TESTS_SUPPORT_OPENFILES_H
