#include <gtest/gtest.h>

#include <QvBase/QvError.h>
#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "NeutralTestUtil.h"
#include "support/TempDir.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#include <winioctl.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

using qvtest::Bytes;
using qvtest::FaultPlan;
using qvtest::MemFile;

// The sample: header; block "Alpha" holding three ints and a nested block
// "Inner" of two doubles, closed by a null block; block "BetaBlock" of
// four floats. Reading finds BetaBlock by wrapping from the null block.
struct Sample {
  char shortText[17] = {};
  int ints[3] = {-7, -7, -7};
  double doubles[2] = {-7, -7};
  float floats[4] = {-7, -7, -7, -7};
};
const Sample kGood = {
    "sample", {1, -2, 0x7FFFFFFF}, {0.5, -1e300}, {1.5f, -0.0f, 3.25f, 1e-30f}};

// Counts the steps that succeed, calling probe after each; a chain of
// steps joined by && stops at the first that fails.
struct Steps {
  std::function<void()> probe = [] {};
  int done = 0;
  bool operator()(bool ok) { return ok && (++done, probe(), true); }
};

int WriteSample(QvNeutralFile& nf, Steps s = {}) {
  std::int32_t at[3];
  static_cast<void>(
      s(nf.WriteHeader(kGood.shortText, "x")) &&
      s((at[0] = nf.WriteIdBlock("Alpha", 1)) >= 0) &&
      s(nf.WriteInt(kGood.ints, 3)) &&
      s((at[1] = nf.WriteIdBlock("Inner", 2)) >= 0) &&
      s(nf.WriteDouble(kGood.doubles, 2)) && s(nf.UpdateIdBlock(at[1])) &&
      s(nf.WriteNullIdBlock()) && s(nf.UpdateIdBlock(at[0])) &&
      s((at[2] = nf.WriteIdBlock("BetaBlock", 3)) >= 0) &&
      s(nf.WriteFloat(kGood.floats, 4)) && s(nf.UpdateIdBlock(at[2])));
  return s.done;
}

int ReadSample(QvNeutralFile& nf, Sample& o, Steps s = {}) {
  QvNeutralFile::IdBlock b;
  static_cast<void>(
      s(nf.ReadHeader(nullptr, o.shortText, nullptr)) &&
      s(nf.ScanIdBlock("Alpha", b)) && s(nf.ReadInt(o.ints, 3)) &&
      s(nf.ScanIdBlock("Inner", b)) && s(nf.ReadDouble(o.doubles, 2)) &&
      s(nf.ScanIdBlock("BetaBlock", b)) && s(nf.ReadFloat(o.floats, 4)));
  return s.done;
}

// Makes the empty file behind f sparse where files must ask for it;
// returns why that is impossible, or "" when a hole of 2 GiB will cost
// no disk space.
std::string MakeSparse(std::FILE* f) {
#if defined(_WIN32)
  DWORD unused = 0;
  const auto file = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
  if (!DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused,
                       nullptr))
    return "the file system refuses sparse files (FSCTL_SET_SPARSE failed)";
  return "";
#else
  // A hole of 16 MiB must take next to no blocks; then empty the file.
  struct stat st;
  if (std::fseek(f, 16 << 20, SEEK_SET) != 0 || std::fputc(0, f) == EOF ||
      std::fflush(f) != 0 || fstat(fileno(f), &st) != 0 ||
      ftruncate(fileno(f), 0) != 0 || std::fseek(f, 0, SEEK_SET) != 0)
    return "the file system refused a file with a 16 MiB hole";
  if (st.st_blocks * 512 >= (8 << 20))
    return "the file system stores holes in full (no sparse files)";
  return "";
#endif
}

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
  WriteSample(writer, {[&] { run.written.push_back(out.stream.Written()); }});
  run.bytes = out.Contents();
  MemFile in(run.bytes, qvtest::Unbuffered(), "rb");
  QvNeutralFile reader(in.f);
  Sample values;
  ReadSample(reader, values, {[&] { run.read.push_back(in.stream.Read()); }});
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

void ExpectGoodValues(const Sample& got, int done) {
  EXPECT_TRUE(done < 1 || std::strcmp(kGood.shortText, got.shortText) == 0);
  if (done >= 2) ExpectPrefix(got.ints, kGood.ints, done >= 3);
  if (done >= 4) ExpectPrefix(got.doubles, kGood.doubles, done >= 5);
  if (done >= 6) ExpectPrefix(got.floats, kGood.floats, done >= 7);
}

// For every N, a stream that refuses writes after N bytes: the step that
// meets the fault fails, nothing runs after it, and each byte in the file
// is the good file's byte or the 0 of an end address not yet patched.
TEST(QvNeutralDamage, WriteFaultAtEveryByte) {
  QV_NEEDS_FAULT_STREAM();
  const GoodRun good = RunGood();
  Bytes unpatched = good.bytes;  // the four end addresses still 0
  for (std::size_t at : {8, 129, 157, 205}) std::memset(&unpatched[at], 0, 4);
  for (std::int64_t n = 0; n <= good.written.back(); ++n) {
    SCOPED_TRACE(n);
    FaultPlan plan = qvtest::Unbuffered();
    plan.failWritesAfter = n;
    MemFile mem({}, plan, "wb");
    QvNeutralFile nf(mem.f);
    ASSERT_EQ(StepsBefore(good.written, n), WriteSample(nf));
    EXPECT_TRUE(n == good.written.back() ||
                QvLastError() == QvError::WriteFailed);
    const Bytes& got = mem.stream.Bytes();
    ASSERT_LE(got.size(), good.bytes.size());
    for (std::size_t i = 0; i < got.size(); ++i)
      ASSERT_TRUE(got[i] == good.bytes[i] || got[i] == unpatched[i]) << i;
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
      Sample got;
      const int done = ReadSample(nf, got);
      ExpectGoodValues(got, done);
      if (cut) {
        EXPECT_GE(done, lastCut);
        EXPECT_EQ(n == size, done == 7);
        lastCut = done;
      } else if (mode[0] == 'r') {
        const int reached = StepsBefore(good.read, n);
        EXPECT_TRUE(done == reached || done == reached + 1) << done;
        EXPECT_TRUE(done == 7 || QvLastError() == QvError::ReadFailed);
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
    // No whole id block, or the order byte missing.
    EXPECT_TRUE(len == 17 || QvLastError() == (len < 16 ? QvError::NotNeutral
                                                        : QvError::Truncated));
  }
  for (const char* name : {"WyNFx", "WyNF\x01", "wyNF", "WyN", "WyNULL"}) {
    SCOPED_TRACE(name);
    Bytes bad = header;
    std::strncpy(reinterpret_cast<char*>(bad.data()), name, 8);  // 0-padded
    ASSERT_TRUE(qvtest::WriteAll(path, bad.data(), bad.size()));
    qvtest::ProbeFile nf;
    EXPECT_FALSE(nf.OpenToRead(path.c_str()));
    EXPECT_EQ(QvError::NotNeutral, QvLastError());
    EXPECT_EQ(nullptr, nf.File());
    EXPECT_FALSE(nf.OpenToAppend(path.c_str()));
    EXPECT_EQ(QvError::NotNeutral, QvLastError());
  }
}

// Damaged end addresses, a top-level null block or unfinished block (both
// send the walk back to the header) and a long loop: a scan for a missing
// name fails after few reads; blocks on the loop are still found, and a
// negative end (a foreign writer's) does not hide the block after it.
TEST(QvNeutralDamage, BadEndAddressesAndLoopsEndTheScanPromptly) {
  QV_NEEDS_FAULT_STREAM();
  QvNeutralFile::IdBlock block;
  // {First's end, Second's end}: a negative end sends the walk on to the
  // block at the data, here Second, which may loop back to First.
  const std::pair<std::int32_t, std::int32_t> ends[] = {
      {121, 153}, {50, 153},     {0, 153},  {3, 153},
      {130, 153}, {100000, 153}, {-8, 153}, {-1, 121}};
  for (const auto& [end, second] : ends) {
    SCOPED_TRACE(end);
    Bytes b = qvtest::MakeHeader(0);
    qvtest::PutIdBlock(b, "First", end, 1);
    qvtest::PutIdBlock(b, "Second", second, 2);
    MemFile mem(b, qvtest::Unbuffered(), "rb");
    QvNeutralFile nf(mem.f);
    EXPECT_FALSE(nf.ScanIdBlock("Missing", block));
    EXPECT_LT(mem.stream.Read(), 16 * 40);
    EXPECT_TRUE(end >= 0 ||
                (nf.GoToFileBegin() && nf.ScanIdBlock("Second", block) &&
                 block.m_Address == 137));
  }
  {  // a block cut inside its version is not found
    Bytes b = qvtest::MakeHeader(0);
    qvtest::PutIdBlock(b, "First", 137, 1);
    b.resize(b.size() - 2);
    MemFile mem(b, {}, "rb");
    QvNeutralFile nf(mem.f);
    EXPECT_FALSE(nf.ScanIdBlock("First", block));
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
    ASSERT_TRUE(nf.GoToFilePosition(121 + 16 * 500));
    ASSERT_TRUE(nf.ScanIdBlock("B10", block));
    EXPECT_EQ(121 + 16 * 10, block.m_Address);
    const std::int64_t before = mem.stream.Read();
    EXPECT_FALSE(nf.ScanIdBlock("Missing", block));
    EXPECT_EQ(QvError::Damaged, QvLastError());  // the walk went round
    EXPECT_LT(mem.stream.Read() - before, 17 * 4 * (blocks + 2));
  }
}

// A scan gives what a walk by ReadIdBlock gives (the same result, block
// record and position, however the chain is damaged), also where it takes
// blocks straight from the stream's buffer: random chains whose end
// addresses point on, back, into data, before the file or past its end,
// in both byte orders, cut short, scanned for every name from the start
// and from random places.
TEST(QvNeutralDamage, ScanMatchesAWalkByReadIdBlock) {
  using Block = QvNeutralFile::IdBlock;
  const auto walk = [](QvNeutralFile& nf, const char* name, Block& b) {
    b.m_EndAddress = -1;
    if (!nf.ReadIdBlock(b)) return false;
    std::int32_t remembered = b.m_Address;
    for (std::uint64_t span = 1, steps = 0;;) {
      if (std::strncmp(b.m_Name, name, 8) == 0) return true;
      if (!nf.ReadIdBlock(b) || b.m_Address == remembered) return false;
      if (++steps == span) remembered = b.m_Address, span *= 2, steps = 0;
    }
  };
  const char* kNames[] = {"Blk", "Blk2", "LongName", "LongNameX", "Missing"};
  std::mt19937 rng(11);
  qvtest::TempDir dir;
  const std::string path = dir.File("chain.nf");
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    const bool reversed = rng() % 4 == 0;
    Bytes b = qvtest::MakeHeader(reversed ? 1 : 0);
    std::vector<std::size_t> ends;  // where each block's end address lies
    for (int i = 0, n = 1 + static_cast<int>(rng() % 3000); i < n; ++i) {
      ends.push_back(b.size() + 8);
      qvtest::PutIdBlock(b, kNames[rng() % 4], 0, rng(), reversed);
      b.resize(b.size() + (rng() % 8 == 0 ? rng() % 300 : 0), 'x');
    }
    for (std::size_t i = 0; i < ends.size(); ++i) {
      const std::uint32_t pick = rng() % 40;
      std::int64_t end = i + 1 < ends.size() ? ends[i + 1] - 8 : b.size();
      if (pick == 0) end = static_cast<std::int64_t>(rng() % (b.size() + 50));
      if (pick == 1) end = -static_cast<std::int64_t>(rng() % 3) - 1;
      if (pick == 2) end = 0;
      for (int k = 0; k < 4; ++k)
        b[ends[i] + (reversed ? 3 - k : k)] = static_cast<unsigned char>(
            static_cast<std::uint64_t>(end) >> (8 * k));
    }
    if (rng() % 4 == 0) b.resize(b.size() - rng() % 20);
    ASSERT_TRUE(qvtest::WriteAll(path, b.data(), b.size()));
    QvNeutralFile fast, slow;
    ASSERT_TRUE(fast.OpenToRead(path.c_str()) && slow.OpenToRead(path.c_str()));
    for (const char* name : kNames) {
      SCOPED_TRACE(name);
      const auto from = static_cast<std::int32_t>(
          rng() % 2 ? 0 : ends[rng() % ends.size()] - 8);
      ASSERT_TRUE(fast.GoToFilePosition(from) && slow.GoToFilePosition(from));
      Block got, want;
      std::memset(&got, 0, sizeof got);
      std::memset(&want, 0, sizeof want);
      ASSERT_EQ(walk(slow, name, want), fast.ScanIdBlock(name, got));
      EXPECT_EQ(0, std::memcmp(&want, &got, sizeof got));
      EXPECT_EQ(qvtest::Position(slow), qvtest::Position(fast));
    }
  }
}

// Writes near 2^31 - 1 in a real sparse file: what would end past that
// offset fails and writes nothing of itself; array elements before it are
// written. Past it no position is an address: every write fails. size is
// the file's length afterwards (0: nothing written).
TEST(QvNeutralDamage, NoWriteEndsPastTwoGigabytes) {
  using P = qvtest::ProbeFile&;
  constexpr std::int64_t L = 0x7FFFFFFF;  // no byte may end past it
  static const int v[3] = {1, 2, 3};
  const struct {
    const char* what;
    std::int64_t at;
    bool ok;
    std::int64_t size;
    bool (*write)(P);
  } cases[] = {
      {"int", L - 7, true, L - 3, [](P f) { return f.WriteInt(7); }},
      {"int, double", L - 7, false, L - 3,
       [](P f) { return f.WriteInt(7) && f.WriteDouble(1.0); }},
      {"double to the end", L - 8, true, L,
       [](P f) { return f.WriteDouble(1); }},
      {"byte", L, false, 0, [](P f) { return f.WriteBool(true); }},
      {"id block", L - 7, false, 0,
       [](P f) { return f.WriteIdBlock("Block", 1) != -1; }},
      {"id block to the end", L - 16, true, L,
       [](P f) { return f.UpdateIdBlock(f.WriteIdBlock("Block", 1)); }},
      {"text", L - 7, false, 0, [](P f) { return f.WriteName("ab"); }},
      {"a held block's values past the end", L - 32, true, L,
       [](P f) {
         return f.WriteIdBlock("Block", 1) == L - 32 && f.WriteDouble(1) &&
                f.WriteName("ab") && !f.WriteInt(7) && !f.WriteName("c");
       }},
      {"text to the end", L - 8, true, L,
       [](P f) { return f.WriteName("ab"); }},
      {"past the end", L, false, 0,
       [](P f) {
         std::int32_t pos = 0;
         return std::fseek(f.File(), 100, SEEK_CUR) != 0 ||
                f.GetFilePosition(pos) || f.WriteIdBlock("Far", 1) != -1 ||
                f.UpdateIdBlock(0) || f.WriteUChar(1) ||
                (f.WriteString("", 0) && f.WriteString("a", 1));
       }},
      {"ints", L - 11, false, L - 3, [](P f) { return f.WriteInt(v, 3); }},
      // Moved behind the object's back, by the caller or a copy: every
      // write is checked where the stream really stands.
      {"moved on by the caller", 0, false, 0,
       [](P f) {
         return std::fseek(f.File(), L - 3, SEEK_SET) != 0 ||
                f.WriteDouble(1.0);
       }},
      {"a copy wrote near the end", 0, false, L - 1,
       [](P f) {
         QvNeutralFile copy(f);
         return !copy.GoToFilePosition(L - 9) || !copy.WriteDouble(1.0) ||
                f.WriteDouble(1.0) || f.WriteString("ab", 2);
       }},
      {"moved back", L - 3, true, 8,
       [](P f) {
         return std::fseek(f.File(), 0, SEEK_SET) == 0 && f.WriteDouble(1.0);
       }},
  };
  qvtest::TempDir dir;
  const std::string path = dir.File("big.nf");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qvtest::ProbeFile nf;
    ASSERT_TRUE(nf.OpenToWrite(path.c_str()));
    const std::string refusal = MakeSparse(nf.File());
    if (!refusal.empty()) GTEST_SKIP() << refusal;
    ASSERT_TRUE(nf.GoToFilePosition(static_cast<std::int32_t>(c.at)));
    EXPECT_EQ(c.ok, c.write(nf));
    nf.CloseFile();
    EXPECT_EQ(c.size, static_cast<std::int64_t>(fs::file_size(path)));
  }
}

// A caller's stream opened for appending puts every write at the end of
// the file, wherever the stream stands: as opened, rewound, after the
// header was read, moved by the caller. Addresses, positions, end-address
// patches (which land at the end too) and the size limit follow the bytes
// there, and the stream reads back what was written.
TEST(QvNeutralDamage, AppendingStreamsWriteWhereTheBytesLand) {
#if defined(_WIN32)
  GTEST_SKIP() << "the Windows runtime does not tell whether a stream appends";
#endif
  using Move = bool (*)(QvNeutralFile&, std::FILE*);
  const struct {
    const char* what;
    const char* mode;
    Move move;
  } cases[] = {
      {"as opened", "a+b", [](QvNeutralFile&, std::FILE*) { return true; }},
      {"rewound", "a+b",
       [](QvNeutralFile& f, std::FILE*) { return f.GoToFileBegin(); }},
      {"header read", "a+b",
       [](QvNeutralFile& f, std::FILE*) {
         return f.ReadHeader(nullptr, nullptr, nullptr);
       }},
      {"moved by the caller", "a+b",
       [](QvNeutralFile&, std::FILE* s) {
         return std::fseek(s, 50, SEEK_SET) == 0 && std::fgetc(s) != EOF;
       }},
      {"write-only, moved by the caller", "ab",
       [](QvNeutralFile&, std::FILE* s) {
         return std::fseek(s, 0, SEEK_SET) == 0;
       }},
  };
  qvtest::TempDir dir;
  const std::string path = dir.File("a.nf");
  Bytes start;
  {
    QvNeutralFile nf;  // 141 bytes: the header, block "Pre" of one int
    ASSERT_TRUE(nf.OpenToWrite(path.c_str()) && nf.WriteHeader("s", "l"));
    const std::int32_t pre = nf.WriteIdBlock("Pre", 1);
    ASSERT_TRUE(nf.WriteInt(5) && nf.UpdateIdBlock(pre));
  }
  start = qvtest::ReadAll(path);
  ASSERT_EQ(141u, start.size());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qvtest::WriteAll(path, std::string(start.begin(), start.end()));
    std::FILE* s = std::fopen(path.c_str(), c.mode);
    ASSERT_NE(nullptr, s);
    {
      QvNeutralFile nf(s);
      ASSERT_TRUE(c.move(nf, s));
      std::int32_t pos = 0;
      EXPECT_EQ(141, nf.WriteIdBlock("A", 1));
      EXPECT_TRUE(nf.WriteInt(9) && nf.UpdateIdBlock(141));  // 4 bytes at 161
      EXPECT_EQ(165, nf.WriteIdBlock("B", 2));
      EXPECT_TRUE(nf.WriteDouble(2.5) && nf.GetFilePosition(pos));
      EXPECT_EQ(189, pos);
      if (c.mode[1] == '+') {  // and reads back on the same stream
        QvNeutralFile::IdBlock b;
        int pre = 0;
        EXPECT_TRUE(nf.GoToFileBegin() && nf.ScanIdBlock("Pre", b) &&
                    nf.ReadInt(&pre, 1));
        EXPECT_TRUE(b.m_Address == 121 && b.m_EndAddress == 141 && pre == 5);
        b.m_EndAddress = 165;
        EXPECT_TRUE(nf.ReadIdBlock(b) && std::strcmp("B", b.m_Name) == 0);
      }
    }
    std::fclose(s);
    const Bytes got = qvtest::ReadAll(path);
    ASSERT_EQ(189u, got.size());
    EXPECT_EQ('A', got[141]);
    EXPECT_EQ(0, got[149]);  // its end address could not be patched
    EXPECT_TRUE(got[157] == 9 && got[161] == 161 && got[162] == 0);
    EXPECT_TRUE(got[165] == 'B' && got[177] == 2 && got[188] == 0x40);
  }

  // The size limit: a sparse file of 2^31 - 8 bytes takes one int more.
  constexpr std::int64_t L = 0x7FFFFFFF;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::FILE* s = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, s);
    const std::string refusal = MakeSparse(s);
    std::fclose(s);
    if (!refusal.empty()) GTEST_SKIP() << refusal;
    fs::resize_file(path, L - 7);
    s = std::fopen(path.c_str(), c.mode);
    ASSERT_NE(nullptr, s);
    {
      QvNeutralFile nf(s);
      static_cast<void>(c.move(nf, s));  // no header to read here
      EXPECT_EQ(-1, nf.WriteIdBlock("Big", 1));
      EXPECT_TRUE(nf.WriteInt(1));
      EXPECT_FALSE(nf.WriteInt(2));
      EXPECT_FALSE(nf.WriteDouble(3.0));
    }
    std::fclose(s);
    EXPECT_EQ(L - 3, static_cast<std::int64_t>(fs::file_size(path)));
  }
  fs::resize_file(path, L + 1);  // past the limit no write has an address
  std::FILE* s = std::fopen(path.c_str(), "ab");
  ASSERT_NE(nullptr, s);
  EXPECT_EQ(-1, QvNeutralFile(s).WriteIdBlock("Far", 1));
  EXPECT_EQ(QvError::TooLarge, QvLastError());
  std::fclose(s);
}

#if !defined(_WIN32)
// A pipe has no offsets: nothing there is refused for the size limit. Read
// back as more ints than it holds, it gives the whole ones.
TEST(QvNeutralDamage, WritesToAPipeAreNotLimited) {
  int fds[2];
  ASSERT_EQ(0, pipe(fds));
  std::FILE* out = fdopen(fds[1], "wb");
  ASSERT_NE(nullptr, out);
  QvNeutralFile nf;
  nf = QvNeutralFile(out);  // assigned: it has not asked the pipe yet
  const double v[2] = {1.5, -2.0};
  EXPECT_TRUE(nf.WriteInt(7) && nf.WriteDouble(v, 2) && nf.WriteUChar(9) &&
              nf.WriteString("", 3) && nf.WriteUChar(5));
  std::fclose(out);
  std::FILE* in = fdopen(fds[0], "rb");
  std::vector<int> got(40000, -1);
  EXPECT_FALSE(QvNeutralFile(in).ReadInt(got.data(), 40000));
  EXPECT_EQ(QvError::Truncated, QvLastError());
  std::fclose(in);
  EXPECT_TRUE(got[0] == 7 && got[2] == 0x3FF80000 && got[4] == -(1 << 30));
  EXPECT_TRUE(got[5] == 9 && got[6] == -1);
}
#endif

}  // namespace
