// Array reads from regular files, which take large requests straight into
// the caller's array, against the same bytes through a callback stream,
// which always stages them.
#include <gtest/gtest.h>

#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "NeutralTestUtil.h"
#include "support/TempDir.h"

namespace {

using qvtest::Bytes;
using ArrayRead = bool (*)(QvNeutralFile&, void*, int);

template <typename T, bool (QvNeutralFile::*Read)(T*, int)>
bool ReadAs(QvNeutralFile& nf, void* values, int n) {
  return (nf.*Read)(static_cast<T*>(values), n);
}

struct Outcome {
  bool ok;
  Bytes values;  // the array after the read; it starts as 0xA5 bytes
  long pos;      // the stream's position after the read
};

// Skips a 3-byte prefix, then reads n elements of width bytes.
Outcome ReadArray(std::FILE* f, ArrayRead read, std::size_t width, int n,
                  bool l2r) {
  char prefix[4];
  Outcome out{false, Bytes(width * n, 0xA5), -1};
  QvNeutralFile nf(f);
  nf.SetL2R(l2r);
  if (!nf.ReadString(prefix, 3)) return out;
  out.ok = read(nf, out.values.data(), n);
  out.pos = std::ftell(f);
  return out;
}

// Every array read, both byte orders, requests below and above the size
// that goes straight to the array, over files that hold all of it, all but
// a byte, or end inside an element after many whole ones.
TEST(QvNeutralFileReads, RegularFilesGiveWhatStagedStreamsGive) {
  const std::vector<std::pair<std::size_t, ArrayRead>> reads = {
      {4, ReadAs<int, &QvNeutralFile::ReadInt>},
      {4, ReadAs<std::int32_t, &QvNeutralFile::ReadLong>},
      {4, ReadAs<unsigned int, &QvNeutralFile::ReadUInt>},
      {4, ReadAs<float, &QvNeutralFile::ReadFloat>},
      {8, ReadAs<double, &QvNeutralFile::ReadDouble>},
  };
  qvtest::TempDir dir;
  const std::string path = dir.File("array");
  std::mt19937 rng(20240229);
  Bytes bytes(3 + 8 * 40001);
  for (auto& b : bytes) b = static_cast<unsigned char>(rng());
  for (std::size_t k = 0; k < reads.size(); ++k) {
    const std::size_t w = reads[k].first;
    for (int n : {5, 40001}) {
      const std::size_t all = 3 + w * n;
      for (std::size_t cut : {all, all - 1, 3 + w * 33000 + 2, 3 + w * 3 + 1}) {
        if (cut > all) continue;
        for (bool l2r : {false, true}) {
          SCOPED_TRACE(std::to_string(k) + " n " + std::to_string(n) + " cut " +
                       std::to_string(cut) + (l2r ? " l2r" : ""));
          ASSERT_TRUE(qvtest::WriteAll(path, bytes.data(), cut));
          std::FILE* f = std::fopen(path.c_str(), "rb");
          ASSERT_NE(nullptr, f);
          const Outcome direct = ReadArray(f, reads[k].second, w, n, l2r);
          std::fclose(f);
          qvtest::MemFile mem(Bytes(bytes.begin(), bytes.begin() + cut), {},
                              "rb");
          const Outcome staged = ReadArray(mem.f, reads[k].second, w, n, l2r);
          EXPECT_EQ(cut == all, staged.ok);
          EXPECT_EQ(staged.ok, direct.ok);
          EXPECT_EQ(staged.pos, direct.pos);
          ASSERT_TRUE(staged.values == direct.values);
        }
      }
    }
  }
}

// A regular file that ends inside element k of a large array: the elements
// before k are read (reversed, as flagged); k and those after it keep their
// old values.
TEST(QvNeutralFileReads, FileCutInsideArrayKeepsFailingElement) {
  const int n = 60000, k = 50000;
  Bytes stored;
  for (int i = 0; i <= k; ++i) qvtest::PutU32(stored, 0x01000000u + i, true);
  stored.resize(stored.size() - 2);
  qvtest::TempDir dir;
  ASSERT_TRUE(qvtest::WriteAll(dir.File("cut"), stored.data(), stored.size()));
  std::FILE* f = std::fopen(dir.File("cut").c_str(), "rb");
  ASSERT_NE(nullptr, f);
  QvNeutralFile nf(f);
  nf.SetL2R(true);
  std::vector<unsigned int> got(n, 0xDEADBEEFu);
  EXPECT_FALSE(nf.ReadUInt(got.data(), n));
  std::fclose(f);
  for (int i = 0; i < n; ++i)
    ASSERT_EQ(i < k ? 0x01000000u + i : 0xDEADBEEFu, got[i]) << i;
}

}  // namespace
