// SavedObject.h - what the saving tests store: an object of many equal
// values, so that a file holding a mixture of two saves is easy to see,
// and a look at the folder for stray temporary files.
#ifndef QVBASE_TESTS_NEUTRAL_SAVEDOBJECT_H
#define QVBASE_TESTS_NEUTRAL_SAVEDOBJECT_H

#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvWritableObj.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace qvtest {

class Filled : public QvWritableObj {
 public:
  Filled(int v, int n) : value(v), count(n) {}
  int value;
  int count;
  bool failWrite = false;  // write half the values, then report failure

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

#endif  // QVBASE_TESTS_NEUTRAL_SAVEDOBJECT_H
