// Helpers for the neutral-file tests: access to the protected layer, an
// in-memory stream, byte builders, and a sample file written and read in
// steps (for fault sweeps).
#ifndef QVBASE_TESTS_NEUTRAL_NEUTRALTESTUTIL_H
#define QVBASE_TESTS_NEUTRAL_NEUTRALTESTUTIL_H

#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/FaultStream.h"

namespace qvtest {

using Bytes = std::vector<unsigned char>;

class ProbeFile : public QvNeutralFile {
 public:
  using QvNeutralFile::FileOpen;
  using QvNeutralFile::FreadLR;
  using QvNeutralFile::QvNeutralFile;
  std::FILE* File() const { return m_pFile; }
  bool L2R() const { return m_L2R; }
  bool OwnsFile() const { return m_OwnFile; }
  char* Buf() const { return m_Buf; }
};

// A stdio stream over bytes in memory, closed with the object.
struct MemFile {
  explicit MemFile(Bytes initial = {}, FaultPlan plan = {},
                   const char* mode = "w+b")
      : stream(std::move(initial), plan), f(stream.Open(mode)) {}
  ~MemFile() { std::fclose(f); }
  Bytes Contents() {
    std::fflush(f);
    return stream.Bytes();
  }
  FaultStream stream;
  std::FILE* f;
};

FaultPlan Unbuffered();  // every stdio call reaches the store at once

// Stored forms, little-endian unless reversed.
void PutU32(Bytes& out, std::uint32_t v, bool reversed = false);
void PutText(Bytes& out, const std::string& text, std::size_t width);
void PutIdBlock(Bytes& out, const std::string& name, std::int32_t end,
                std::uint32_t version, bool reversed = false);
// A header dated 20240229 with texts "short" and "long text".
Bytes MakeHeader(unsigned char orderByte);

// The sample: header; block "Alpha" holding three ints and a nested block
// "Inner" of two doubles, closed by a null block; block "BetaBlock" of
// four floats. Reading finds BetaBlock by wrapping from the null block.
struct Sample {
  char shortText[17] = {};
  int ints[3] = {-7, -7, -7};
  double doubles[2] = {-7, -7};
  float floats[4] = {-7, -7, -7, -7};
};
Sample GoodSample();
using Step = std::function<bool(QvNeutralFile&)>;
std::vector<Step> SampleWriteSteps();
std::vector<Step> SampleReadSteps(Sample& out);
// Runs steps until one fails; returns how many succeeded. probe runs after
// each successful step.
int RunSteps(QvNeutralFile& nf, const std::vector<Step>& steps,
             const std::function<void()>& probe = {});

}  // namespace qvtest

#endif  // QVBASE_TESTS_NEUTRAL_NEUTRALTESTUTIL_H
