// Helpers for the neutral-file tests: access to the protected layer, an
// in-memory stream and byte builders.
#ifndef QVBASE_TESTS_NEUTRAL_NEUTRALTESTUTIL_H
#define QVBASE_TESTS_NEUTRAL_NEUTRALTESTUTIL_H

#include <QvBase/QvNeutralFile.h>

#include <cstdint>
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

inline FaultPlan Unbuffered() {  // every stdio call reaches the store at once
  FaultPlan plan;
  plan.unbuffered = true;
  return plan;
}

// Stored forms, little-endian unless reversed.
inline void PutU32(Bytes& out, std::uint32_t v, bool reversed = false) {
  for (int i = 0; i < 4; ++i)
    out.push_back(
        static_cast<unsigned char>(v >> (8 * (reversed ? 3 - i : i))));
}
inline void PutText(Bytes& out, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    out.push_back(i < text.size() ? static_cast<unsigned char>(text[i]) : 0);
}
inline void PutIdBlock(Bytes& out, const std::string& name, std::int32_t end,
                       std::uint32_t version, bool reversed = false) {
  PutText(out, name, 8);
  PutU32(out, static_cast<std::uint32_t>(end), reversed);
  PutU32(out, version, reversed);
}
// A header dated 20240229 with texts "short" and "long text".
inline Bytes MakeHeader(unsigned char orderByte) {
  Bytes out;
  PutIdBlock(out, "WyNF", 121, 20000701, orderByte != 0);
  out.push_back(orderByte);
  PutText(out, "20240229", 8);
  PutText(out, "short", 16);
  PutText(out, "long text", 80);
  return out;
}

}  // namespace qvtest

#endif  // QVBASE_TESTS_NEUTRAL_NEUTRALTESTUTIL_H
