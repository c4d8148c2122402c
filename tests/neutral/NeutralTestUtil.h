// Helpers shared by the neutral-file tests: a subclass that opens the
// protected operations, byte builders, and a sample file written and read
// in numbered steps (for fault sweeps).
#ifndef QVBASE_TESTS_NEUTRAL_NEUTRALTESTUTIL_H
#define QVBASE_TESTS_NEUTRAL_NEUTRALTESTUTIL_H

#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "support/FaultStream.h"

namespace qvtest {

using Bytes = std::vector<unsigned char>;

// Exposes the protected layer and the fields for white-box checks.
class ProbeFile : public QvNeutralFile {
 public:
  using QvNeutralFile::QvNeutralFile;
  using QvNeutralFile::FileOpen;
  using QvNeutralFile::FreadLR;
  using QvNeutralFile::IsNeutralFile;
  using QvNeutralFile::ReadData;
  using QvNeutralFile::ReadL2R;
  using QvNeutralFile::WriteData;
  std::FILE* File() const { return m_pFile; }
  bool L2R() const { return m_L2R; }
  bool OwnsFile() const { return m_OwnFile; }
  char* Buf() const { return m_Buf; }
};

// An in-memory stdio stream over bytes, closed when the object goes.
struct MemFile {
  explicit MemFile(Bytes initial = {}, FaultPlan plan = {},
                   const char* mode = "w+b")
      : stream(std::move(initial), plan), f(stream.Open(mode)) {}
  ~MemFile() {
    if (f != nullptr) std::fclose(f);
  }
  MemFile(const MemFile&) = delete;
  MemFile& operator=(const MemFile&) = delete;
  Bytes Contents() {
    std::fflush(f);
    return stream.Bytes();
  }
  FaultStream stream;
  std::FILE* f;
};

// Little-endian pieces for building expected files by hand.
void PutU32(Bytes& out, std::uint32_t v);
void PutU32Reversed(Bytes& out, std::uint32_t v);
void PutText(Bytes& out, const std::string& text, std::size_t width);
// A 121-byte header with the given order byte; values in the matching order.
Bytes MakeHeader(unsigned char orderByte);
// An id block: 8-byte name, end address, version, in the file's order.
void PutIdBlock(Bytes& out, const std::string& name, std::int32_t end,
                std::uint32_t version, bool reversed = false);
void PatchU32(Bytes& bytes, std::size_t at, std::uint32_t v);


// The sample file: header, block "Alpha" holding three ints and a nested
// block "Inner" of two doubles closed by a null block, then block
// "BetaBlock" of four floats and a name.
struct SampleValues {
  char date[9] = {};
  char shortText[17] = {};
  char longText[81] = {};
  int ints[3] = {-7, -7, -7};
  double doubles[2] = {-7, -7};
  float floats[4] = {-7, -7, -7, -7};
  char tail[9] = {};
};
SampleValues GoodSample();

// The sample written and read as numbered steps; Run stops at the first
// step that fails and returns how many succeeded. `probe` (when given) is
// called after every successful step, to record a stream's byte counter.
using Step = std::function<bool(QvNeutralFile&)>;
std::vector<Step> SampleWriteSteps();
std::vector<Step> SampleReadSteps(SampleValues& out);
int RunSteps(QvNeutralFile& nf, const std::vector<Step>& steps,
             const std::function<void()>& probe = {});

}  // namespace qvtest

#endif  // QVBASE_TESTS_NEUTRAL_NEUTRALTESTUTIL_H
