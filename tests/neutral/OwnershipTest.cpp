#include <gtest/gtest.h>

#include <QvBase/QvNeutralFile.h>

#include <string>

#include "NeutralTestUtil.h"
#include "support/TempDir.h"

#if defined(__linux__)
#include <filesystem>
#endif

namespace {

using qvtest::Bytes;
using qvtest::MemFile;

// Open descriptors of the process, to see that owned streams are closed;
// -1 where it can't be counted.
int OpenDescriptors() {
#if defined(__linux__)
  int n = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++n;
  }
  return n;
#else
  return -1;
#endif
}

// Checks the count against base + extra where descriptors can be counted.
void ExpectDescriptors(int base, int extra) {
  if (base < 0) return;
  EXPECT_EQ(base + extra, OpenDescriptors());
}

std::string MakeNeutralFile(const qvtest::TempDir& dir) {
  const std::string path = dir.File("own.nf");
  QvNeutralFile nf;
  EXPECT_TRUE(nf.OpenToWrite(path.c_str()));
  EXPECT_TRUE(nf.WriteHeader("s", "l"));
  return path;
}

TEST(QvNeutralOwnership, BorrowedStreamIsNeverClosed) {
  MemFile mem(qvtest::MakeHeader(1));
  {
    qvtest::ProbeFile nf(mem.f);
    EXPECT_TRUE(nf.L2R());
    EXPECT_FALSE(nf.OwnsFile());
    qvtest::ProbeFile copy(nf);
    EXPECT_EQ(mem.f, copy.File());
    EXPECT_TRUE(copy.L2R());
    EXPECT_TRUE(nf.CloseFile());
    EXPECT_EQ(mem.f, nf.File());  // neither closed nor detached
    qvtest::ProbeFile assigned;
    assigned = nf;
    EXPECT_FALSE(assigned.OwnsFile());
    EXPECT_FALSE(assigned.OpenToRead(nullptr));
    EXPECT_EQ(mem.f, assigned.File());  // a failed open keeps the borrow
  }
  EXPECT_EQ(0, mem.stream.Closes());
}

// Attaching reads the order byte and leaves the stream where it was, on a
// stream open for writing only too.
TEST(QvNeutralOwnership, AttachingKeepsThePosition) {
  for (const char* mode : {"w+b", "wb"}) {
    SCOPED_TRACE(mode);
    Bytes bytes = qvtest::MakeHeader(3);
    bytes.resize(600, 0);
    MemFile mem(bytes, {}, mode);
    ASSERT_EQ(0, std::fseek(mem.f, 500, SEEK_SET));
    qvtest::ProbeFile nf(mem.f);
    EXPECT_EQ(std::string(mode) == "w+b", nf.L2R());
    EXPECT_EQ(500, std::ftell(mem.f));
  }
  qvtest::ProbeFile none(nullptr);
  EXPECT_FALSE(none.L2R());
  EXPECT_EQ(nullptr, none.File());
}

TEST(QvNeutralOwnership, OwnedStreamIsClosedExactlyOnce) {
  qvtest::TempDir dir;
  const std::string path = MakeNeutralFile(dir);
  const int base = OpenDescriptors();
  {
    qvtest::ProbeFile owner;
    ASSERT_TRUE(owner.OpenToRead(path.c_str()));
    EXPECT_TRUE(owner.OwnsFile());
    {
      qvtest::ProbeFile copy(owner);  // borrows; its end closes nothing
      EXPECT_FALSE(copy.OwnsFile());
    }
    char shortText[17];
    ASSERT_TRUE(owner.ReadHeader(nullptr, shortText, nullptr));
    ASSERT_TRUE(owner.OpenToRead(path.c_str()));  // closes the first
    ExpectDescriptors(base, 1);
    ASSERT_TRUE(owner.CloseFile());
    EXPECT_EQ(nullptr, owner.File());
    EXPECT_TRUE(owner.CloseFile());
    ASSERT_TRUE(owner.OpenToRead(path.c_str()));
  }
  ExpectDescriptors(base, 0);
}

TEST(QvNeutralOwnership, AssignmentClosesTheTargetsOwnStreamFirst) {
  qvtest::TempDir dir;
  const std::string path = MakeNeutralFile(dir);
  const int base = OpenDescriptors();
  MemFile mem(qvtest::MakeHeader(0));
  char buf[4];
  {
    qvtest::ProbeFile target;
    ASSERT_TRUE(target.OpenToRead(path.c_str()));
    qvtest::ProbeFile source(mem.f);
    source.SetBuf(buf);
    target = source;
    EXPECT_FALSE(target.OwnsFile());
    EXPECT_EQ(mem.f, target.File());
    ExpectDescriptors(base, 0);
    EXPECT_EQ(buf, target.Buf());

    // A copy that borrows the target's own stream, assigned back: the
    // stream stays open and owned, so neither is left with a dead stream.
    ASSERT_TRUE(target.OpenToRead(path.c_str()));
    qvtest::ProbeFile borrower(target);
    target = borrower;
    EXPECT_TRUE(target.OwnsFile());
    const qvtest::ProbeFile& alias = target;
    target = alias;
    EXPECT_TRUE(target.OwnsFile());
    char date[9];
    EXPECT_TRUE(target.ReadHeader(date, nullptr, nullptr));
  }
  ExpectDescriptors(base, 0);
  EXPECT_EQ(0, mem.stream.Closes());
}

TEST(QvNeutralOwnership, FailedAppendKeepsFileOpenFailedReadClosesIt) {
  qvtest::TempDir dir;
  const std::string path = dir.File("plain.txt");
  ASSERT_TRUE(qvtest::WriteAll(path, std::string(40, 'x')));
  const int base = OpenDescriptors();
  qvtest::ProbeFile nf;
  EXPECT_FALSE(nf.OpenToAppend(path.c_str()));
  EXPECT_TRUE(nf.OwnsFile());
  EXPECT_NE(nullptr, nf.File());
  EXPECT_FALSE(nf.OpenToRead(path.c_str()));
  EXPECT_FALSE(nf.OwnsFile());
  EXPECT_EQ(nullptr, nf.File());
  ExpectDescriptors(base, 0);
  EXPECT_FALSE(nf.OpenToAppend(path.c_str()));
  // the destructor closes the file left open
}

TEST(QvNeutralOwnership, ProgressorAndAllocHook) {
  QvNeutralFile nf;
  EXPECT_EQ(nullptr, nf.Progressor());
  alignas(8) static char fake[8];
  auto* p = reinterpret_cast<QvProgress*>(fake);
  nf.SetProgressor(p);
  const QvNeutralFile& cref = nf;
  EXPECT_EQ(p, cref.Progressor());
  QvNeutralFile copy(nf);
  EXPECT_EQ(p, copy.Progressor());
  QvNeutralFile assigned;
  assigned = nf;
  EXPECT_EQ(p, assigned.Progressor());
  EXPECT_EQ(nullptr, nf.Alloc("ColorTable"));
}

}  // namespace
