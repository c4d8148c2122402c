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

// Each stdio call reaches the store at once, so its counters show how
// much the code asked for.
FaultPlan Unbuffered() {
  FaultPlan plan;
  plan.unbuffered = true;
  return plan;
}

// The sample written through a healthy stream, with the stream's byte
// counter after each step.
struct GoodRun {
  Bytes bytes;
  std::vector<std::int64_t> written;
};

GoodRun WriteGood() {
  GoodRun run;
  FaultPlan plan;
  plan.unbuffered = true;
  MemFile mem({}, plan, "wb");
  QvNeutralFile nf(mem.f);
  const auto steps = qvtest::SampleWriteSteps();
  EXPECT_EQ(static_cast<int>(steps.size()),
            qvtest::RunSteps(nf, steps, [&] {
              run.written.push_back(mem.stream.Written());
            }));
  run.bytes = mem.Contents();
  return run;
}

// Offsets of the end-address fields in the sample file: the only bytes
// that are written twice (0 first, the address later).
std::vector<std::size_t> EndAddressFields(const Bytes& file) {
  std::vector<std::size_t> out;
  const char* names[] = {"WyNF", "Alpha", "Inner", "BetaBlock"};
  for (const char* name : names) {
    const std::string n = std::string(name).substr(0, 8);
    for (std::size_t i = 0; i + 8 <= file.size(); ++i)
      if (std::memcmp(file.data() + i, n.data(), n.size()) == 0 &&
          (n.size() == 8 || file[i + n.size()] == 0))
        out.push_back(i + 8);
  }
  return out;
}

// For every N, a stream that refuses writes after N bytes: the step that
// meets the fault fails, nothing after it runs, and every byte that got
// into the file is the good file's byte (or the 0 that a not yet patched
// end address holds).
TEST(QvNeutralDamage, WriteFaultAtEveryByte) {
  const GoodRun good = WriteGood();
  const auto fields = EndAddressFields(good.bytes);
  ASSERT_EQ(4u, fields.size());
  const std::int64_t total = good.written.back();
  for (std::int64_t n = 0; n <= total; ++n) {
    SCOPED_TRACE(n);
    FaultPlan plan;
    plan.failWritesAfter = n;
    plan.unbuffered = true;
    MemFile mem({}, plan, "wb");
    QvNeutralFile nf(mem.f);
    const auto steps = qvtest::SampleWriteSteps();
    const int done = qvtest::RunSteps(nf, steps);
    int expected = 0;
    while (expected < static_cast<int>(good.written.size()) &&
           good.written[expected] <= n)
      ++expected;
    ASSERT_EQ(expected, done);
    EXPECT_EQ(n, mem.stream.Written());
    const Bytes& got = mem.stream.Bytes();
    ASSERT_LE(got.size(), good.bytes.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      if (got[i] == good.bytes[i]) continue;
      bool inField = false;
      for (std::size_t f : fields) inField |= i >= f && i < f + 4;
      ASSERT_TRUE(inField && got[i] == 0) << "byte " << i;
    }
  }
}

void ExpectPrefixOfGood(const qvtest::SampleValues& got, int done) {
  const qvtest::SampleValues want = qvtest::GoodSample();
  if (done >= 1) {
    EXPECT_STREQ(want.shortText, got.shortText);
    EXPECT_STREQ(want.longText, got.longText);
  }
  if (done >= 3) {
    EXPECT_EQ(0, std::memcmp(want.ints, got.ints, 12));
  }
  if (done >= 5) {
    EXPECT_EQ(0, std::memcmp(want.doubles, got.doubles, 16));
  }
  if (done >= 7) {
    EXPECT_EQ(0, std::memcmp(want.floats, got.floats, 16));
  }
  if (done >= 8) {
    EXPECT_STREQ(want.tail, got.tail);
  }
}

// Reading the good file through a stream that fails after N bytes read.
// Array steps that meet the fault store exactly their whole elements.
TEST(QvNeutralDamage, ReadFaultAtEveryByte) {
  const GoodRun good = WriteGood();
  std::vector<std::int64_t> readAfter;
  {
    MemFile mem(good.bytes, Unbuffered(), "rb");
    QvNeutralFile nf(mem.f);
    qvtest::SampleValues values;
    const auto steps = qvtest::SampleReadSteps(values);
    ASSERT_EQ(static_cast<int>(steps.size()),
              qvtest::RunSteps(nf, steps, [&] {
                readAfter.push_back(mem.stream.Read());
              }));
  }
  for (std::int64_t n = 0; n <= readAfter.back(); ++n) {
    SCOPED_TRACE(n);
    FaultPlan plan;
    plan.failReadsAfter = n;
    plan.unbuffered = true;
    MemFile mem(good.bytes, plan, "rb");
    QvNeutralFile nf(mem.f);
    qvtest::SampleValues got;
    const auto steps = qvtest::SampleReadSteps(got);
    const int done = qvtest::RunSteps(nf, steps);
    // stdio may fetch a byte ahead, so a step can meet the fault one byte
    // before the healthy run's counter says; it never gets further.
    int reached = 0;
    while (reached < static_cast<int>(readAfter.size()) &&
           readAfter[reached] <= n)
      ++reached;
    ASSERT_GE(done, reached);
    ASSERT_LE(done, reached + 1);
    EXPECT_EQ(n >= readAfter.back(), done == static_cast<int>(steps.size()));
    ExpectPrefixOfGood(got, done);
    // An array read that met the fault stores a prefix of whole elements.
    const qvtest::SampleValues want = qvtest::GoodSample();
    bool stored = true;
    for (int i = 0; i < 3 && done == 2; ++i) {
      const bool good = got.ints[i] == want.ints[i];
      ASSERT_TRUE(good || got.ints[i] == -7) << i;
      ASSERT_TRUE(stored || !good) << i;
      stored = good;
    }
    stored = true;
    for (int i = 0; i < 4 && done == 6; ++i) {
      const bool good = got.floats[i] == want.floats[i];
      ASSERT_TRUE(good || got.floats[i] == -7.0f) << i;
      ASSERT_TRUE(stored || !good) << i;
      stored = good;
    }
  }
}

// Seeks that fail after N bytes moved: every outcome is a clean result,
// and whatever was read is right.
TEST(QvNeutralDamage, SeekFaultAtEveryByte) {
  const GoodRun good = WriteGood();
  for (std::int64_t n = 0; n <= static_cast<std::int64_t>(good.bytes.size());
       n += 3) {
    SCOPED_TRACE(n);
    FaultPlan plan;
    plan.failSeeksAfter = n;
    {
      MemFile mem(good.bytes, plan, "rb");
      QvNeutralFile nf(mem.f);
      qvtest::SampleValues got;
      ExpectPrefixOfGood(got,
                         qvtest::RunSteps(nf, qvtest::SampleReadSteps(got)));
    }
    MemFile mem({}, plan, "wb");
    QvNeutralFile nf(mem.f);
    EXPECT_LT(qvtest::RunSteps(nf, qvtest::SampleWriteSteps()), 11);
  }
}

// Every cut of the good file: the walk never crashes, stops early, and
// what it read is right; a longer file never gets less far.
TEST(QvNeutralDamage, TruncatedAtEveryLength) {
  const GoodRun good = WriteGood();
  int last = 0;
  for (std::size_t len = 0; len <= good.bytes.size(); ++len) {
    SCOPED_TRACE(len);
    MemFile mem(Bytes(good.bytes.begin(), good.bytes.begin() + len), {},
                "rb");
    QvNeutralFile nf(mem.f);
    qvtest::SampleValues got;
    const int done = qvtest::RunSteps(nf, qvtest::SampleReadSteps(got));
    ExpectPrefixOfGood(got, done);
    EXPECT_GE(done, last);
    EXPECT_EQ(len == good.bytes.size(), done == 8);
    last = done;
  }
}

TEST(QvNeutralDamage, OpenToReadRefusesShortOrMisnamedFiles) {
  qvtest::TempDir dir;
  const std::string path = dir.File("bad.nf");
  const Bytes header = qvtest::MakeHeader(0);
  for (std::size_t len = 0; len <= 17; ++len) {
    SCOPED_TRACE(len);
    ASSERT_TRUE(qvtest::WriteAll(path, header.data(), len));
    qvtest::ProbeFile nf;
    EXPECT_EQ(len == 17, nf.OpenToRead(path.c_str()));
    EXPECT_EQ(len == 17, nf.File() != nullptr);
  }
  const char* names[] = {"WyNFx", "WyNF\x01", "wyNF", "WyN", "WyNULL"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    Bytes bad = header;
    std::memset(bad.data(), 0, 8);
    std::memcpy(bad.data(), name, std::strlen(name));
    ASSERT_TRUE(qvtest::WriteAll(path, bad.data(), bad.size()));
    qvtest::ProbeFile nf;
    EXPECT_FALSE(nf.OpenToRead(path.c_str()));
    EXPECT_EQ(nullptr, nf.File());
    EXPECT_FALSE(nf.OpenToAppend(path.c_str()));
    EXPECT_TRUE(nf.OwnsFile());
  }
}

// A top-level chain: header, "First" (end address under test), "Second".
Bytes ChainWithEnd(std::int32_t firstEnd) {
  Bytes b = qvtest::MakeHeader(0);
  qvtest::PutIdBlock(b, "First", firstEnd, 1);
  qvtest::PutU32(b, 0xABCDEF01u);
  qvtest::PutIdBlock(b, "Second", 161, 2);
  qvtest::PutU32(b, 5);
  return b;
}

// Damaged end addresses end the walk with false, and soon: a stream that
// counts the bytes read shows how far the walk went.
TEST(QvNeutralDamage, BadEndAddressesEndTheScan) {
  struct Case {
    const char* what;
    std::int32_t end;
  };
  const Case cases[] = {{"into itself", 121},   {"backwards", 50},
                        {"to the header", 0},   {"past the end", 100000},
                        {"negative", -8},       {"into its data", 130},
                        {"mid header", 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemFile mem(ChainWithEnd(c.end), Unbuffered(), "rb");
    QvNeutralFile nf(mem.f);
    QvNeutralFile::IdBlock block;
    EXPECT_FALSE(nf.ScanIdBlock("Missing", block));
    EXPECT_LT(mem.stream.Read(), 16 * 64);
  }
  MemFile mem(ChainWithEnd(141), {}, "rb");
  QvNeutralFile nf(mem.f);
  QvNeutralFile::IdBlock block;
  ASSERT_TRUE(nf.ScanIdBlock("Second", block));
  EXPECT_FALSE(nf.ScanIdBlock("Missing", block));  // runs off the end
}

// A null block or an unfinished block at the top level sends the walk back
// to the header for ever; the scan notices and gives up, while blocks on
// the loop are still found.
TEST(QvNeutralDamage, LoopingChainsEndPromptly) {
  for (const char* closing : {"WyNULL", "Unfinished"}) {
    SCOPED_TRACE(closing);
    Bytes b = qvtest::MakeHeader(0);
    const std::int32_t blocks = 1000;
    for (std::int32_t i = 0; i < blocks; ++i)
      qvtest::PutIdBlock(b, "B" + std::to_string(i), 121 + 16 * (i + 1), 1);
    qvtest::PutIdBlock(b, closing, 0, 0);
    MemFile mem(b, Unbuffered(), "rb");
    QvNeutralFile nf(mem.f);
    QvNeutralFile::IdBlock block;
    ASSERT_TRUE(nf.GoToFilePosition(121 + 16 * 500));
    ASSERT_TRUE(nf.ScanIdBlock("B10", block));
    EXPECT_EQ(121 + 16 * 10, block.m_Address);
    const std::int64_t before = mem.stream.Read();
    EXPECT_FALSE(nf.ScanIdBlock("Missing", block));
    EXPECT_LT(mem.stream.Read() - before, 16 * 4 * (blocks + 2));
  }
}

// Positions past 2^31 - 1 can't be addresses: beginning a block there, or
// completing one that ends there, fails.
TEST(QvNeutralDamage, AddressesPastTwoGigabytesFail) {
  const std::int64_t limit = 0x7FFFFFFF;
  {
    FaultPlan plan;
    plan.positionBase = limit + 100;
    MemFile mem({}, plan, "w+b");
    QvNeutralFile nf(mem.f);
    std::int32_t pos = 0;
    EXPECT_FALSE(nf.GetFilePosition(pos));
    EXPECT_EQ(-1, pos);
    EXPECT_EQ(-1, nf.WriteIdBlock("Far", 1));
    EXPECT_FALSE(nf.UpdateIdBlock(0));
    EXPECT_FALSE(nf.WriteAddressAt(0));
  }
  {
    FaultPlan plan;
    plan.positionBase = limit - 10;
    MemFile mem({}, plan, "w+b");
    QvNeutralFile nf(mem.f);
    const std::int32_t address = nf.WriteIdBlock("Edge", 1);
    EXPECT_EQ(limit - 10, address);
    EXPECT_FALSE(nf.UpdateIdBlock(address));  // the end is past the limit
    EXPECT_FALSE(nf.UpdateIdBlock(static_cast<std::int32_t>(limit - 4)));
    EXPECT_EQ(-1, nf.WriteIdBlock("Next", 1));
  }
}

}  // namespace
