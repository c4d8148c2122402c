// Helpers for the neutral-file tests: access to the protected layer, an
// in-memory stream, byte builders, and a saved object with a look at the
// folder for stray temporary files.
#ifndef QVBASE_TESTS_NEUTRAL_NEUTRALTESTUTIL_H
#define QVBASE_TESTS_NEUTRAL_NEUTRALTESTUTIL_H

#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvWritableObj.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
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
  void SetFile(std::FILE* f) { m_pFile = f; }
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
// A stored header: its id block, the order byte, the date and two texts.
inline Bytes MakeHeader(unsigned char orderByte, const char* date = "20240229",
                        const char* shortText = "short",
                        const char* longText = "long text") {
  Bytes out;
  PutIdBlock(out, "WyNF", 121, 20000701, orderByte != 0);
  out.push_back(orderByte);
  PutText(out, date, 8);
  PutText(out, shortText, 16);
  PutText(out, longText, 80);
  return out;
}

// Where nf stands; -9 when it cannot tell.
inline std::int32_t Position(const QvNeutralFile& nf) {
  std::int32_t pos = -9;
  return nf.GetFilePosition(pos) ? pos : -9;
}

// What the saving tests store: many equal values, so that a file holding
// a mixture of two saves is easy to see.
class Filled : public QvWritableObj {
 public:
  Filled(int v, int n, bool fail = false)
      : value(v), count(n), failWrite(fail) {}
  int value;
  int count;
  bool failWrite;  // write half the values, then report failure

  const char* IdString() const override { return "Filled"; }
  unsigned int Version() const override { return 20260101; }
  bool WriteDataBlock(QvNeutralFile& f) const override {
    const std::vector<int> values(static_cast<std::size_t>(count), value);
    if (failWrite) return f.WriteInt(values.data(), count / 2) && false;
    return f.WriteInt(count) && f.WriteInt(values.data(), count);
  }
  // Reads the values back; value becomes -1 when they are not all equal.
  bool ReadDataBlock(QvNeutralFile& f, unsigned int) override {
    if (!f.ReadInt(&count, 1) || count < 0 || count > (1 << 24)) return false;
    std::vector<int> values(static_cast<std::size_t>(count), -2);
    if (!f.ReadInt(values.data(), count)) return false;
    value = values.empty() ? 0 : values[0];
    if (std::count(values.begin(), values.end(), value) != count) value = -1;
    return true;
  }
};

// The value stored in path (-1 for a mixture, -3 when unreadable).
inline int StoredValue(const std::string& path) {
  Filled back(-3, 0);
  return back.ReadNF(path.c_str()) ? back.value : -3;
}

// Names in a folder, sorted.
inline std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline bool IsTempName(const std::string& name, const std::string& target) {
  const std::string stem = "." + target + ".qvtmp.";
  return name.size() == stem.size() + 6 &&
         name.compare(0, stem.size(), stem) == 0;
}

}  // namespace qvtest

#endif  // QVBASE_TESTS_NEUTRAL_NEUTRALTESTUTIL_H
