// Random sound files with the end address of one top-level block set to
// 0, backwards, past the file or into the data: the salvage gives back the
// file as it was (but for an end address moved into the block's own data,
// which also reads as an overwritten id block).
#include <QvBase/QvColorTable.h>
#include <QvBase/QvNeutralFile.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "Cursor.h"
#include "Salvage.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Writes random blocks, noting where the top-level ones begin and where
// leaf data lie. Leaf data begin with a byte that no name holds, so that
// none look like a nested block.
class RandomFile {
 public:
  explicit RandomFile(unsigned seed) : rng_(seed) {}

  bool Write(const std::string& path) {
    QvNeutralFile nf;
    if (!nf.OpenToWrite(path.c_str()) || !nf.WriteHeader("", "")) return false;
    for (int n = 1 + Next(6); n > 0; --n) {
      std::int32_t at = 0;
      if (!nf.GetFilePosition(at)) return false;
      tops.push_back(at);
      if (!(Next(5) == 0 ? Colors(nf) : Block(nf, 0))) return false;
    }
    return nf.CloseFile();
  }

  unsigned Next(unsigned n) { return rng_() % n; }

  std::vector<std::int32_t> tops;
  std::vector<std::pair<std::int32_t, int>> data;  // start, size

 private:
  bool Colors(QvNeutralFile& nf) {
    QvColorTable t;
    for (unsigned i = Next(4); i > 0; --i) {
      const float rgba[4] = {0.1f * Next(10), 0.5f, 1, 0.25f * Next(4)};
      t.AddColor(rgba, 0);
    }
    return t.WriteNF(nf);
  }

  bool Block(QvNeutralFile& nf, int depth) {
    const std::string name = "B" + std::to_string(Next(1000));
    // Versions are dates, as the library's are.
    const std::int32_t at = nf.WriteIdBlock(name.c_str(), 20260101 + Next(3));
    const unsigned kind = depth >= 3 ? 0 : Next(3);
    bool ok = at >= 0;
    if (kind == 0) {
      const int size = 1 + static_cast<int>(Next(40));
      data.emplace_back(at + 16, size);
      for (int i = 0; ok && i < size; ++i)
        ok = nf.WriteUChar(
            static_cast<unsigned char>(i == 0 ? 0x80 | Next(128) : Next(256)));
    } else if (kind == 1) {
      ok = ok && Block(nf, depth + 1);  // fills this block
    } else {
      for (unsigned n = 1 + Next(3); ok && n > 0; --n)
        ok = Block(nf, depth + 1);
      ok = ok && nf.WriteNullIdBlock();
    }
    return ok && nf.UpdateIdBlock(at);
  }

  std::mt19937 rng_;
};

TEST(QvnfSalvage, OneBrokenEndAddressLosesNothing) {
  qvtest::TempDir dir;
  const std::string soundPath = dir.File("sound.qnf");
  const std::string damagedPath = dir.File("damaged.qnf");
  for (unsigned seed = 0; seed < 400; ++seed) {
    // New files each time: rewriting one in place can make the file
    // system force it to storage.
    std::remove(soundPath.c_str());
    std::remove(damagedPath.c_str());
    RandomFile file(seed);
    ASSERT_TRUE(file.Write(soundPath));
    const Bytes sound = qvtest::ReadAll(soundPath);
    const auto size = static_cast<std::int64_t>(sound.size());
    const std::int32_t at = file.tops[file.Next(file.tops.size())];
    const unsigned kind = file.Next(4);
    std::int64_t end = 0;
    bool ownData = false;
    if (kind == 1) {
      end = 1 + file.Next(at + 15);  // backwards
    } else if (kind == 2) {
      const std::int64_t past[] = {size + 1 + file.Next(1000), -1, 0x7fffffff};
      end = past[file.Next(3)];
    } else if (kind == 3 && !file.data.empty()) {
      const auto& d = file.data[file.Next(file.data.size())];
      end = d.first + file.Next(d.second);  // into the data of a block
      ownData = d.first == at + 16;
    }
    SCOPED_TRACE("seed " + std::to_string(seed) +
                 ": end address of the block at " + std::to_string(at) +
                 " set to " + std::to_string(end));
    Bytes damaged = sound;
    for (unsigned i = 0; i < 4; ++i)
      damaged[at + 8 + i] = static_cast<unsigned char>(
          static_cast<std::uint64_t>(end) >> (8 * i));
    // An end address moved an id block or more into the block's own data
    // also reads as an overwritten id block, and that reading wins: the
    // rest of the data become a filler block (cut off at the file's end).
    std::int64_t trueEnd = 0;
    for (unsigned i = 0; i < 4; ++i)
      trueEnd |= std::int64_t{sound[at + 8 + i]} << (8 * i);
    const bool overwritten = ownData && trueEnd - end >= 16;
    Bytes want = sound;
    if (overwritten && trueEnd == size) {
      want.assign(damaged.begin(), damaged.begin() + end);
    } else if (overwritten) {
      want = damaged;
      std::fill(want.begin() + end, want.begin() + trueEnd, 0);
      std::copy_n("QvnfFill", 8, want.begin() + end);
      for (unsigned i = 0; i < 4; ++i)
        want[end + 8 + i] = static_cast<unsigned char>(trueEnd >> (8 * i));
    }
    ASSERT_TRUE(qvtest::WriteAll(damagedPath, damaged.data(), damaged.size()));
    qvnf::Cursor in;
    ASSERT_TRUE(in.Open(damagedPath));
    Bytes out;
    const qvnf::SalvageResult r = qvnf::Salvage(
        in,
        [&out](const unsigned char* p, std::size_t n) {
          out.insert(out.end(), p, p + n);
          return true;
        },
        [](const qvnf::SalvageEntry&) {});
    EXPECT_FALSE(r.sound);
    EXPECT_EQ(!overwritten, r.counts[1] > 0);     // the block repaired
    EXPECT_EQ(overwritten ? 1 : 0, r.counts[2]);  // the filler's stretch
    ASSERT_EQ(want, out);
  }
}

}  // namespace
