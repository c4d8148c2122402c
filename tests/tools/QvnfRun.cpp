#include "QvnfRun.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cstdio>

namespace qvtest {

CmdResult Qvnf(const std::string& args) {
#if defined(_WIN32)
  // qvnf sits beside the test program; cmd.exe takes off the outer quotes.
  char self[MAX_PATH];
  const std::string exe(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  const std::string cmd = "\"\"" + exe.substr(0, exe.find_last_of("\\/") + 1) +
                          QVNF_EXE + "\" " + args + " 2>&1\"";
  std::FILE* p = _popen(cmd.c_str(), "rb");
#else
  // A cross build runs qvnf through the same emulator as the tests.
  const std::string cmd =
      std::string(QVNF_RUNNER) + QVNF_EXE + " " + args + " 2>&1";
  std::FILE* p = popen(cmd.c_str(), "r");
#endif
  CmdResult r{-1, {}};
  if (p == nullptr) return r;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
    r.out.append(buf, n);
#if defined(_WIN32)
  r.status = _pclose(p);
  // The console's text mode ends lines with CRLF; compare the lines.
  r.out.erase(std::remove(r.out.begin(), r.out.end(), '\r'), r.out.end());
#else
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
#endif
  return r;
}

void PatchLe32(Bytes& b, std::size_t at, std::int32_t v) {
  for (unsigned i = 0; i < 4; ++i)
    b.at(at + i) =
        static_cast<unsigned char>(static_cast<std::uint32_t>(v) >> (8 * i));
}

}  // namespace qvtest
