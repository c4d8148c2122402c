// QvnfRun.h - runs the qvnf tool from a test, and small byte-surgery
// helpers for the files it is run on.
#ifndef QVBASE_TESTS_TOOLS_QVNFRUN_H
#define QVBASE_TESTS_TOOLS_QVNFRUN_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qvtest {

using Bytes = std::vector<unsigned char>;

struct CmdResult {
  int status;
  std::string out;
};

/// Runs qvnf with the arguments; stderr is folded into the output.
CmdResult Qvnf(const std::string& args);

/// Stores v little-endian at b[at].
void PatchLe32(Bytes& b, std::size_t at, std::int32_t v);

}  // namespace qvtest

#endif  // QVBASE_TESTS_TOOLS_QVNFRUN_H
