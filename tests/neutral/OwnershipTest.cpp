#include <gtest/gtest.h>

#include <QvBase/QvNeutralFile.h>

#include <string>

#include "NeutralTestUtil.h"
#include "support/OpenFiles.h"
#include "support/TempDir.h"

namespace {

using qvtest::MemFile;
using qvtest::OpenDescriptors;  // -1 where they can't be counted
using qvtest::ProbeFile;

void ExpectDescriptors(int base, int extra) {
  EXPECT_TRUE(base < 0 || base + extra == OpenDescriptors());
}

TEST(QvNeutralOwnership, BorrowedStreamIsNeverClosedAndKeepsItsPosition) {
  QV_NEEDS_FAULT_STREAM();
  for (const char* mode : {"w+b", "wb"}) {
    SCOPED_TRACE(mode);
    qvtest::Bytes bytes = qvtest::MakeHeader(3);
    bytes.resize(600, 0);
    MemFile mem(bytes, {}, mode);
    ASSERT_EQ(0, std::fseek(mem.f, 500, SEEK_SET));
    {
      ProbeFile nf(mem.f);
      EXPECT_EQ(std::string(mode) == "w+b", nf.L2R());  // write-only: unread
      EXPECT_EQ(500, std::ftell(mem.f));
      ProbeFile copy(nf);
      EXPECT_EQ(mem.f, copy.File());
      EXPECT_EQ(nf.L2R(), copy.L2R());
      EXPECT_TRUE(nf.CloseFile());
      EXPECT_EQ(mem.f, nf.File());  // neither closed nor detached
      ProbeFile assigned;
      assigned = nf;
      EXPECT_FALSE(assigned.OwnsFile());
      EXPECT_FALSE(assigned.OpenToRead(nullptr));
      EXPECT_EQ(mem.f, assigned.File());
    }
    EXPECT_EQ(0, mem.stream.Closes());
    EXPECT_EQ(0, std::ferror(mem.f));  // the failed probe left no error
  }
}

TEST(QvNeutralOwnership, OwnedStreamIsClosedExactlyOnce) {
  QV_NEEDS_FAULT_STREAM();
  qvtest::TempDir dir;
  const std::string path = dir.File("own.nf");
  const int base = OpenDescriptors();
  MemFile mem(qvtest::MakeHeader(0));
  char buf[4];
  {
    ProbeFile owner;
    ASSERT_TRUE(owner.OpenToWrite(path.c_str()));
    ASSERT_TRUE(owner.WriteHeader("s", "l"));
    { ProbeFile copy(owner); }  // borrows: its end closes nothing
    ASSERT_TRUE(owner.OpenToRead(path.c_str()));  // closes the first
    ExpectDescriptors(base, 1);
    ASSERT_TRUE(owner.CloseFile());
    EXPECT_TRUE(owner.CloseFile());
    ExpectDescriptors(base, 0);

    // Assignment closes the target's own stream first and takes the
    // source's stream (borrowed) and buffer.
    ASSERT_TRUE(owner.OpenToRead(path.c_str()));
    ProbeFile source(mem.f);
    source.SetBuf(buf);
    owner = source;
    ExpectDescriptors(base, 0);
    EXPECT_FALSE(owner.OwnsFile());
    EXPECT_EQ(buf, owner.Buf());

    // A copy that borrows the target's own stream, assigned back: the
    // stream stays open and owned, so neither is left with a dead stream.
    ASSERT_TRUE(owner.OpenToRead(path.c_str()));
    ProbeFile borrower(owner);
    owner = borrower;
    const ProbeFile& alias = owner;
    owner = alias;
    EXPECT_TRUE(owner.OwnsFile());
    EXPECT_TRUE(owner.ReadHeader(nullptr, nullptr, nullptr));

    // A failed append keeps a non-neutral file open; a failed read closes.
    ASSERT_TRUE(qvtest::WriteAll(dir.File("x.txt"), std::string(40, 'x')));
    EXPECT_FALSE(owner.OpenToAppend(dir.File("x.txt").c_str()));
    EXPECT_TRUE(owner.OwnsFile());
    ExpectDescriptors(base, 1);
    EXPECT_FALSE(owner.OpenToRead(dir.File("x.txt").c_str()));
    ExpectDescriptors(base, 0);
    EXPECT_FALSE(owner.OpenToAppend(dir.File("x.txt").c_str()));
  }  // the destructor closes the file left open
  ExpectDescriptors(base, 0);
  EXPECT_EQ(0, mem.stream.Closes());
}

// The reporter is only carried along: copies share it, nothing calls it.
TEST(QvNeutralOwnership, ProgressorIsCarriedAndAllocGivesNull) {
  QvNeutralFile nf;
  EXPECT_EQ(nullptr, nf.Progressor());
  alignas(8) static char fake[8];
  auto* p = reinterpret_cast<QvProgress*>(fake);
  nf.SetProgressor(p);
  const QvNeutralFile copy(nf);
  QvNeutralFile assigned;
  assigned = nf;
  EXPECT_EQ(p, copy.Progressor());
  EXPECT_EQ(p, assigned.Progressor());
  EXPECT_EQ(nullptr, nf.Alloc("ColorTable"));
}

}  // namespace
