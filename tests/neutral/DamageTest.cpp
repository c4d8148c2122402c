#include <gtest/gtest.h>

#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "NeutralTestUtil.h"
#include "support/TempDir.h"

namespace {

using qvtest::Bytes;
using qvtest::FaultPlan;
using qvtest::MemFile;

// The sample through a healthy unbuffered stream: its bytes, and the
// stream's byte counter after each write step and each read step.
struct GoodRun {
  Bytes bytes;
  std::vector<std::int64_t> written, read;
};

GoodRun RunGood() {
  GoodRun run;
  MemFile out({}, qvtest::Unbuffered(), "wb");
  QvNeutralFile writer(out.f);
  qvtest::RunSteps(writer, qvtest::SampleWriteSteps(),
                   [&] { run.written.push_back(out.stream.Written()); });
  run.bytes = out.Contents();
  MemFile in(run.bytes, qvtest::Unbuffered(), "rb");
  QvNeutralFile reader(in.f);
  qvtest::Sample values;
  qvtest::RunSteps(reader, qvtest::SampleReadSteps(values),
                   [&] { run.read.push_back(in.stream.Read()); });
  return run;
}

// Steps whose bytes all fit below a fault after n bytes.
int StepsBefore(const std::vector<std::int64_t>& after, std::int64_t n) {
  int k = 0;
  while (k < static_cast<int>(after.size()) && after[k] <= n) ++k;
  return k;
}

// What the steps that succeeded read equals the good file's values; an
// array read that met the fault stored a prefix of whole elements.
template <typename T, std::size_t N>
void ExpectPrefix(const T (&got)[N], const T (&want)[N], bool complete) {
  std::size_t k = 0;
  while (k < N && std::memcmp(&got[k], &want[k], sizeof(T)) == 0) ++k;
  EXPECT_TRUE(k == N || !complete);
  for (; k < N; ++k) EXPECT_EQ(T(-7), got[k]) << k;
}

void ExpectGoodValues(const qvtest::Sample& got, int done) {
  const qvtest::Sample want = qvtest::GoodSample();
  EXPECT_TRUE(done < 1 || std::strcmp(want.shortText, got.shortText) == 0);
  if (done >= 2) ExpectPrefix(got.ints, want.ints, done >= 3);
  if (done >= 4) ExpectPrefix(got.doubles, want.doubles, done >= 5);
  if (done >= 6) ExpectPrefix(got.floats, want.floats, done >= 7);
}

// For every N, a stream that refuses writes after N bytes: the step that
// meets the fault fails, nothing runs after it, and each byte in the file
// is the good file's byte or the 0 of an end address not yet patched.
TEST(QvNeutralDamage, WriteFaultAtEveryByte) {
  QV_NEEDS_FAULT_STREAM();
  const GoodRun good = RunGood();
  const std::vector<std::size_t> fields = {8, 129, 157, 205};
  for (std::int64_t n = 0; n <= good.written.back(); ++n) {
    SCOPED_TRACE(n);
    FaultPlan plan = qvtest::Unbuffered();
    plan.failWritesAfter = n;
    MemFile mem({}, plan, "wb");
    QvNeutralFile nf(mem.f);
    ASSERT_EQ(StepsBefore(good.written, n),
              qvtest::RunSteps(nf, qvtest::SampleWriteSteps()));
    const Bytes& got = mem.stream.Bytes();
    ASSERT_LE(got.size(), good.bytes.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      bool patchable = false;
      for (std::size_t f : fields) patchable |= i >= f && i < f + 4;
      ASSERT_TRUE(got[i] == good.bytes[i] || (patchable && got[i] == 0)) << i;
    }
  }
}

// Reading the good file cut after N bytes, or through a stream whose
// reads (or seeks) fail after N bytes: the steps that succeed read the
// right values. stdio may fetch one byte ahead, so a step can meet a read
// fault one byte earlier than the healthy counter says, never later.
// Where streams cannot fail on purpose only the truncated files are read.
TEST(QvNeutralDamage, ReadFaultsAndTruncationAtEveryByte) {
  const GoodRun good = RunGood();
  const auto size = static_cast<std::int64_t>(good.bytes.size());
  const bool faults = qvtest::FaultStream::Supported();
  int lastCut = 0;
  for (std::int64_t n = 0; n <= size; ++n) {
    SCOPED_TRACE(n);
    for (const char* mode : {"reads", "seeks", "cut"}) {
      if (!faults && mode[0] != 'c') continue;
      SCOPED_TRACE(mode);
      const bool cut = mode[0] == 'c';
      FaultPlan plan = cut ? FaultPlan{} : qvtest::Unbuffered();
      (mode[0] == 's' ? plan.failSeeksAfter : plan.failReadsAfter) =
          cut ? -1 : n;
      MemFile mem(
          Bytes(good.bytes.begin(), good.bytes.begin() + (cut ? n : size)),
          plan, "rb");
      QvNeutralFile nf(mem.f);
      qvtest::Sample got;
      const int done = qvtest::RunSteps(nf, qvtest::SampleReadSteps(got));
      ExpectGoodValues(got, done);
      if (cut) {
        EXPECT_GE(done, lastCut);
        EXPECT_EQ(n == size, done == 7);
        lastCut = done;
      } else if (mode[0] == 'r') {
        const int reached = StepsBefore(good.read, n);
        EXPECT_TRUE(done == reached || done == reached + 1) << done;
        EXPECT_EQ(n >= good.read.back(), done == 7);
      }
    }
  }
}

TEST(QvNeutralDamage, OpenToReadRefusesShortOrMisnamedFiles) {
  qvtest::TempDir dir;
  const std::string path = dir.File("bad.nf");
  const Bytes header = qvtest::MakeHeader(0);
  for (std::size_t len = 0; len <= 17; ++len) {
    ASSERT_TRUE(qvtest::WriteAll(path, header.data(), len));
    QvNeutralFile nf;
    EXPECT_EQ(len == 17, nf.OpenToRead(path.c_str())) << len;
  }
  for (const char* name : {"WyNFx", "WyNF\x01", "wyNF", "WyN", "WyNULL"}) {
    SCOPED_TRACE(name);
    Bytes bad = header;
    std::memset(bad.data(), 0, 8);
    std::memcpy(bad.data(), name, std::strlen(name));
    ASSERT_TRUE(qvtest::WriteAll(path, bad.data(), bad.size()));
    qvtest::ProbeFile nf;
    EXPECT_FALSE(nf.OpenToRead(path.c_str()));
    EXPECT_EQ(nullptr, nf.File());
    EXPECT_FALSE(nf.OpenToAppend(path.c_str()));
    EXPECT_TRUE(nf.OwnsFile());  // stays open until closed
  }
}

// Damaged end addresses, a top-level null block or unfinished block (both
// send the walk back to the header) and a long loop: a scan for a missing
// name fails after few reads; blocks on the loop are still found.
TEST(QvNeutralDamage, BadEndAddressesAndLoopsEndTheScanPromptly) {
  QV_NEEDS_FAULT_STREAM();
  for (std::int32_t end : {121, 50, 0, 3, 130, 100000, -8}) {
    SCOPED_TRACE(end);
    Bytes b = qvtest::MakeHeader(0);
    qvtest::PutIdBlock(b, "First", end, 1);
    qvtest::PutIdBlock(b, "Second", 153, 2);
    MemFile mem(b, qvtest::Unbuffered(), "rb");
    QvNeutralFile nf(mem.f);
    QvNeutralFile::IdBlock block;
    EXPECT_FALSE(nf.ScanIdBlock("Missing", block));
    EXPECT_LT(mem.stream.Read(), 16 * 40);
  }
  for (const char* closing : {"WyNULL", "Unfinished"}) {
    SCOPED_TRACE(closing);
    const int blocks = 1000;
    Bytes b = qvtest::MakeHeader(0);
    for (int i = 0; i < blocks; ++i)
      qvtest::PutIdBlock(b, "B" + std::to_string(i), 137 + 16 * i, 1);
    qvtest::PutIdBlock(b, closing, 0, 0);
    MemFile mem(b, qvtest::Unbuffered(), "rb");
    QvNeutralFile nf(mem.f);
    QvNeutralFile::IdBlock block;
    ASSERT_TRUE(nf.GoToFilePosition(121 + 16 * 500));
    ASSERT_TRUE(nf.ScanIdBlock("B10", block));
    EXPECT_EQ(121 + 16 * 10, block.m_Address);
    const std::int64_t before = mem.stream.Read();
    EXPECT_FALSE(nf.ScanIdBlock("Missing", block));
    EXPECT_LT(mem.stream.Read() - before, 17 * 4 * (blocks + 2));
  }
}

// Positions past 2^31 - 1 can't be addresses: beginning a block there, or
// completing one that ends there, fails.
TEST(QvNeutralDamage, AddressesPastTwoGigabytesFail) {
  QV_NEEDS_FAULT_STREAM();
  const std::int64_t limit = 0x7FFFFFFF;
  FaultPlan plan;
  plan.positionBase = limit + 100;
  MemFile far({}, plan);
  QvNeutralFile nf(far.f);
  std::int32_t pos = 0;
  EXPECT_FALSE(nf.GetFilePosition(pos));
  EXPECT_EQ(-1, nf.WriteIdBlock("Far", 1));
  EXPECT_FALSE(nf.UpdateIdBlock(0));

  plan.positionBase = limit - 10;
  MemFile edge({}, plan);
  QvNeutralFile nf2(edge.f);
  const std::int32_t address = nf2.WriteIdBlock("Edge", 1);
  EXPECT_EQ(limit - 10, address);
  EXPECT_FALSE(nf2.UpdateIdBlock(address));  // its end is past the limit
  EXPECT_FALSE(nf2.UpdateIdBlock(static_cast<std::int32_t>(limit - 4)));
  EXPECT_EQ(-1, nf2.WriteIdBlock("Next", 1));
}

}  // namespace
