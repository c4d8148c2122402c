#include <QvBase/QvColorTable.h>
#include <QvBase/QvError.h>
#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvSerializableObj.h>
#include <QvBase/QvWritableObj.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "NeutralTestUtil.h"
#include "support/TempDir.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using qvtest::Bytes;
using qvtest::Entries;
using qvtest::Filled;
using qvtest::StoredValue;
using Names = std::vector<std::string>;

// A table's colours, read out through the public interface.
std::vector<std::vector<float>> Colors(QvColorTable& t) {
  std::vector<std::vector<float>> out;
  float c[4];
  for (int id = 0; t.GetColor(id, c); ++id)
    out.push_back({c[0], c[1], c[2], c[3]});
  return out;
}

QvColorTable Table(int n, float tolerance = 0.5f) {
  QvColorTable t;
  for (int i = 0; i < n; ++i) {
    const float c[4] = {static_cast<float>(i), 0.25f, -2.5f, 1};
    EXPECT_EQ(i, t.AddColor(c, tolerance));  // AddColor never refuses
  }
  return t;
}

// The whole file: header dated today with the maker name in both texts, the
// table's id block, a one-byte count, four floats per colour, a closing null
// block.
TEST(QvColorTable, FileBytesAreExact) {
  qvtest::TempDir dir;
  const std::string path = dir.File("t.qnf");
  const float colors[2][4] = {{1, 0, 0, 1}, {0, 0, 1, 1}};
  const std::time_t now = std::time(nullptr);
  char today[16];
  std::strftime(today, sizeof today, "%Y%m%d", std::localtime(&now));
  for (int n : {0, 2}) {
    SCOPED_TRACE(n);
    QvColorTable t;
    for (int i = 0; i < n; ++i) t.AddColor(colors[i], 0.01f);
    ASSERT_TRUE(t.WriteNF(path.c_str()));
    // (a run at midnight may differ in the date)
    Bytes want = qvtest::MakeHeader(0, today, "Vorlanex", "Vorlanex");
    qvtest::PutIdBlock(want, "ColorTab", 154 + 16 * n, 20010104);
    want.push_back(static_cast<unsigned char>(n));
    for (int i = 0; i < n; ++i)  // 1.0f is stored as 0x3F800000
      for (float f : colors[i]) qvtest::PutU32(want, f == 1 ? 0x3F800000 : 0);
    qvtest::PutIdBlock(want, "WyNULL", 0, 0);
    EXPECT_EQ(want, qvtest::ReadAll(path));
  }
}

// By path, by borrowed stream (left open), and from a file whose values
// are stored most significant byte first.
TEST(QvColorTable, ReadsBackByEveryRouteAndByteOrder) {
  qvtest::TempDir dir;
  const std::string path = dir.File("t.qnf");
  QvColorTable t = Table(40, 0.001f);
  ASSERT_TRUE(t.WriteNF(path.c_str()));
  QvColorTable byPath, byStream, reversed;
  ASSERT_TRUE(byPath.ReadNF(path.c_str()));
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(nullptr, f);
  ASSERT_TRUE(byStream.ReadNF(f));
  EXPECT_EQ(0, std::fseek(f, 0, SEEK_SET));
  std::fclose(f);

  Bytes b = qvtest::ReadAll(path);
  auto reverse4 = [&b](std::size_t at) { std::reverse(&b[at], &b[at + 4]); };
  for (std::size_t at : {8, 12, 129, 133}) reverse4(at);
  for (int i = 0; i < 40 * 4; ++i) reverse4(138 + 4 * i);
  b[16] = 1;
  ASSERT_TRUE(qvtest::WriteAll(path, b.data(), b.size()));
  ASSERT_TRUE(reversed.ReadNF(path.c_str()));
  for (QvColorTable* back : {&byPath, &byStream, &reversed})
    EXPECT_EQ(Colors(t), Colors(*back));
}

// Cut before the count the table is unchanged; cut inside the third colour
// it holds the two read before.
TEST(QvColorTable, CutOffTableKeepsColoursReadSoFar) {
  qvtest::TempDir dir;
  const std::string path = dir.File("cut.qnf");
  const float old[4] = {9, 9, 9, 9};
  QvColorTable back, two = Table(2), one;
  one.AddColor(old, 0.1f);
  ASSERT_TRUE(Table(3).WriteNF(path.c_str()));
  const Bytes whole = qvtest::ReadAll(path);
  for (std::size_t cut : {137, 137 + 1 + 2 * 16 + 5}) {
    ASSERT_TRUE(qvtest::WriteAll(path, whole.data(), cut));
    back = one;
    EXPECT_FALSE(back.ReadNF(path.c_str()));
    EXPECT_EQ(QvError::Truncated, QvLastError());
    EXPECT_EQ(Colors(cut == 137 ? one : two), Colors(back)) << cut;
  }

  QvNeutralFile detached;  // an unknown version leaves the table alone
  EXPECT_FALSE(back.ReadDataBlock(detached, 20000701));
  EXPECT_EQ(QvError::Unsupported, QvLastError());
  EXPECT_EQ(2u, Colors(back).size());
}

TEST(QvColorTable, TooManyAreNotStoredAndRemovalMovesTheRest) {
  QvColorTable t = Table(256);
  char buf[8192];
  QvNeutralFile nf;
  nf.SetBuf(buf);
  EXPECT_FALSE(t.WriteDataBlock(nf));
  EXPECT_EQ(QvError::TooLarge, QvLastError());
  EXPECT_EQ(0, nf.BufSize());
  float last[4];
  ASSERT_TRUE(t.GetColor(255, last));
  ASSERT_TRUE(t.RemoveColor(last, 0.5f));
  EXPECT_TRUE(t.WriteDataBlock(nf));
  EXPECT_EQ(1 + 255 * 16 + 12, nf.BufSize());
  // Removing moves later colours forward; copies are equal.
  t = Table(3);
  const float first[4] = {0, 0.25f, -2.5f, 1};
  EXPECT_FALSE(t.RemoveColor(first, 0));
  ASSERT_TRUE(t.RemoveColor(first, 0.5f));
  float out[4] = {7, 7, 7, 7};
  ASSERT_TRUE(t.GetColor(1, out));
  EXPECT_EQ(2.0f, out[0]);
  EXPECT_FALSE(t.GetColor(2, out) || t.GetColor(-1, out));
  EXPECT_EQ(2.0f, out[0]);  // untouched by the failed calls
  QvColorTable copy(t), assigned;
  assigned = t;
  t = t;
  EXPECT_EQ(Colors(t), Colors(copy));
  EXPECT_EQ(Colors(t), Colors(assigned));
}

TEST(QvColorTable, ToleranceIsStrictPerComponent) {
  const float nan = std::nanf("");
  const struct {
    float stored, probe, tolerance;
    bool match;
  } cases[] = {
      {0.5f, 0.505f, 0.01f, true}, {0.5f, 0.505f, 0.001f, false},
      {0.5f, 0.75f, 0.25f, false}, {0.5f, 0.5f, 0.0f, false},
      {0.5f, 0.5f, -1.0f, false},  {0.5f, nan, 1e30f, false},
      {nan, nan, 1e30f, false},    {-1.0f, 1.0f, 2.0001f, true},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(testing::Message()
                 << k.stored << " ~ " << k.probe << " within " << k.tolerance);
    QvColorTable t;
    const float stored[4] = {k.stored, 0.5f, 0.5f, 1};
    const float probe[4] = {k.probe, 0.5f, 0.5f, 1};
    t.AddColor(stored, 0);
    EXPECT_EQ(k.match, t.HasSameColor(probe, k.tolerance));
    EXPECT_EQ(k.match ? 0 : 1, t.AddColor(probe, k.tolerance));
  }
  const float any[4] = {0, 0, 0, 0};
  EXPECT_FALSE(QvColorTable().HasSameColor(any, 1e30f));
}

// A stored object whose data hold a nested block and a list closed by a
// null block, as application objects commonly do.
class Polyline : public QvWritableObj {
 public:
  std::vector<int> points;
  bool failWrite = false;

  const char* IdString() const override { return "Polyline"; }
  unsigned int Version() const override { return 20260101; }
  bool WriteDataBlock(QvNeutralFile& f) const override {
    const std::int32_t nested = failWrite ? -1 : f.WriteIdBlock("Points", 1);
    const int n = static_cast<int>(points.size());
    return nested >= 0 && f.WriteInt(n) && f.WriteInt(points.data(), n) &&
           f.UpdateIdBlock(nested) && f.WriteNullIdBlock();
  }
  bool ReadDataBlock(QvNeutralFile& f, unsigned int version) override {
    QvNeutralFile::IdBlock block;
    block.m_EndAddress = -1;
    int n = 0;
    if (version != 20260101 || !f.ReadIdBlock(block) || !f.ReadInt(&n, 1) ||
        n < 0 || n > 1000)
      return false;
    points.assign(static_cast<std::size_t>(n), 0);
    return f.ReadInt(points.data(), n);
  }
};

// The stream form writes the block where the stream stands, without a
// header. The line's data end in a null block, so reading the table after
// it wraps to the header and finds the table stored before it.
TEST(QvWritableObj, StreamFormAppendsAndObjectsReadInReverseOrder) {
  qvtest::TempDir dir;
  const std::string path = dir.File("two.qnf");
  QvColorTable colors;
  const float c[4] = {0.1f, 0.2f, 0.3f, 1};
  colors.AddColor(c, 0.01f);
  ASSERT_TRUE(colors.WriteNF(path.c_str()));
  Polyline line, lineBack;
  line.points = {3, 1, 4, 1, 5};
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  ASSERT_NE(nullptr, f);
  ASSERT_EQ(0, std::fseek(f, 0, SEEK_END));
  ASSERT_TRUE(line.WriteNF(f));
  std::fclose(f);
  EXPECT_EQ(170u + 16 + 16 + 4 + 4 * 5 + 16, qvtest::ReadAll(path).size());

  QvNeutralFile nf;
  ASSERT_TRUE(nf.OpenToRead(path.c_str()));
  ASSERT_TRUE(lineBack.ReadNF(nf));
  EXPECT_EQ(line.points, lineBack.points);
  QvColorTable colorsBack;
  ASSERT_TRUE(colorsBack.ReadNF(nf));
  EXPECT_EQ(Colors(colors), Colors(colorsBack));
}

// Failed data leave the block's end address 0. A missing object ends
// promptly despite a null block or an unfinished block, and a read from an
// open file restores the position it started from.
TEST(QvWritableObj, FailuresGiveFalse) {
  qvtest::TempDir dir;
  const std::string table = dir.File("table.qnf"), failed = dir.File("f.qnf");
  Polyline line;
  line.failWrite = true;
  EXPECT_FALSE(line.WriteNF(failed.c_str()));
  EXPECT_EQ(QvError::WriteFailed, QvLastError());  // it gave no reason
  auto b = qvtest::ReadAll(failed);
  ASSERT_EQ(137u, b.size());
  EXPECT_EQ(Bytes(4, 0), Bytes(b.begin() + 129, b.begin() + 133));
  QvColorTable t;
  EXPECT_FALSE(t.ReadNF(failed.c_str()));
  EXPECT_FALSE(t.WriteNF(dir.File("no/such/folder.qnf").c_str()));
  EXPECT_EQ(QvError::CannotOpen, QvLastError());
  QvNeutralFile nowhere;  // neither stream nor buffer: no id block
  EXPECT_FALSE(t.WriteNF(nowhere));

  ASSERT_TRUE(QvColorTable().WriteNF(table.c_str()));
  QvNeutralFile nf;
  ASSERT_TRUE(nf.OpenToRead(table.c_str()) && nf.GoToFilePosition(121));
  EXPECT_FALSE(line.ReadNF(nf));
  EXPECT_EQ(121, qvtest::Position(nf));
  EXPECT_FALSE(line.ReadNF(table.c_str()));
}

// The base moves no bytes; a derived class is reached through the base and
// sees the one read version, which Set swaps and reports.
TEST(QvSerializableObj, BaseMovesNothingAndReadVersionIsShared) {
  struct Versioned : QvSerializableObj {
    void Read(std::istream& in) override { in >> got; }
    void Write(std::ostream& out) override { out << GetReadVersion() << ' '; }
    unsigned int got = 0;
  } derived;
  QvSerializableObj base;
  std::stringstream s("17 ");
  base.Read(s);
  base.Write(s);
  EXPECT_EQ("17 ", s.str());
  QvSerializableObj& viaBase = derived;
  viaBase.Read(s);
  EXPECT_EQ(17u, derived.got);
  const unsigned int old = QvSerializableObj::SetReadVersion(20260101);
  EXPECT_EQ(0u, old);  // nothing else in this program sets it
  EXPECT_EQ(20260101u, QvSerializableObj::SetReadVersion(5));
  EXPECT_EQ(5u, QvSerializableObj::GetReadVersion());
  std::stringstream out;
  viaBase.Write(out);
  EXPECT_EQ("5 ", out.str());
  QvSerializableObj::SetReadVersion(old);
}

// Every way a save can fail gives its reason and leaves the old file byte
// for byte and nothing beside it.
TEST(QvSave, FailuresKeepTheOldFileAndLeaveNothingBeside) {
  qvtest::TempDir dir;
  const std::string target = dir.File("model.qnf");
  const std::string missing = dir.File("no-such-folder/model.qnf");
  const struct {
    const char* what;
    QvError reason;
    std::function<bool()> save;
  } cases[] = {
      {"object write fails", QvError::WriteFailed,
       [&] { return Filled(7, 1000, true).SaveNF(target.c_str()); }},
      {"null path", QvError::BadArgument,
       [] { return Filled(7, 10).SaveNF(nullptr); }},
      {"missing folder", QvError::CannotOpen,
       [&] { return Filled(7, 10).SaveNF(missing.c_str()); }},
      {"an earlier write failed", QvError::WriteFailed,
       [&] {
         // A write refused at the size limit, then good writes: the
         // first failure decides.
         QvNeutralFile nf;
         if (!nf.OpenToReplace(target.c_str())) return true;
         const std::int32_t nearLimit = INT32_MAX - 2;
         const bool refused = nf.GoToFilePosition(nearLimit) && !nf.WriteInt(1);
         return !refused || !nf.GoToFileBegin() || !nf.WriteHeader("a", "b") ||
                nf.Commit();
       }},
      // A failure that stdio cannot see: a null array, a header whose
      // positioning fails. Only the replacement's own record knows.
      {"a null array", QvError::WriteFailed,
       [&] {
         QvNeutralFile nf;
         return nf.OpenToReplace(target.c_str()) &&
                !nf.WriteInt(static_cast<const int*>(nullptr), 3) &&
                nf.Commit();
       }},
      {"the header's seek fails", QvError::WriteFailed,
       [&] {
         qvtest::ProbeFile nf;
         if (!qvtest::FaultStream::Supported() ||
             !nf.OpenToReplace(target.c_str()))
           return false;
         qvtest::FaultPlan noSeeks;
         noSeeks.failSeeksAfter = 0;
         qvtest::MemFile mem({}, noSeeks, "wb");
         std::FILE* own = nf.File();
         nf.SetFile(mem.f);
         const bool header = nf.WriteHeader("a", "b");
         nf.SetFile(own);
         return header || nf.Commit();
       }},
      {"commit without a replacement", QvError::BadArgument,
       [&] {
         QvNeutralFile nf;
         return nf.Commit() || (nf.OpenToWrite(dir.File("other").c_str()) &&
                                nf.CloseFile() && nf.Commit());
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(Filled(1, 100).WriteNF(target.c_str()));
    const auto before = qvtest::ReadAll(target);
    EXPECT_FALSE(c.save());
    EXPECT_EQ(c.reason, QvLastError());
    EXPECT_EQ(before, qvtest::ReadAll(target));
    std::remove(dir.File("other").c_str());
    EXPECT_EQ(Names{"model.qnf"}, Entries(dir.Path()));
  }
}

// A save creates a missing file with what WriteNF writes. The target
// changes only at commit; a replacement given up, whichever way, changes
// nothing; copies borrow the stream and cannot commit it.
TEST(QvSave, TheTargetChangesOnlyAtCommit) {
  qvtest::TempDir dir;
  const std::string target = dir.File("model.qnf"), plain = dir.File("p");
  ASSERT_TRUE(Filled(1, 100).SaveNF(target.c_str()));
  const auto before = qvtest::ReadAll(target);
  ASSERT_TRUE(Filled(1, 100).WriteNF(plain.c_str()));
  Bytes same = qvtest::ReadAll(plain);
  ASSERT_EQ(before.size(), same.size());
  // The dates may differ (at midnight).
  std::copy(before.begin() + 17, before.begin() + 25, same.begin() + 17);
  EXPECT_EQ(before, same);
  std::remove(plain.c_str());
  const std::vector<std::pair<const char*, std::function<void(QvNeutralFile&)>>>
      endings = {
          {"closed", [](QvNeutralFile& nf) { nf.CloseFile(); }},
          {"opened again",
           [&](QvNeutralFile& nf) { nf.OpenToRead(target.c_str()); }},
          {"replaced again",
           [&](QvNeutralFile& nf) { nf.OpenToReplace(target.c_str()); }},
          {"assigned", [](QvNeutralFile& nf) { nf = QvNeutralFile(); }},
          {"destroyed", [](QvNeutralFile&) {}},
      };
  for (const auto& [what, end] : endings) {
    SCOPED_TRACE(what);
    {
      QvNeutralFile nf;
      ASSERT_TRUE(nf.OpenToReplace(target.c_str()));
      ASSERT_TRUE(nf.WriteHeader("s", "l") && Filled(2, 100).WriteNF(nf));
      end(nf);
    }
    EXPECT_EQ(before, qvtest::ReadAll(target));
    EXPECT_EQ(Names{"model.qnf"}, Entries(dir.Path()));
  }

  QvNeutralFile nf;
  ASSERT_TRUE(nf.OpenToReplace(target.c_str()) && nf.WriteHeader("s", "l"));
  {
    QvNeutralFile copy(nf), assigned;
    assigned = nf;
    EXPECT_FALSE(copy.Commit() || assigned.Commit());
    EXPECT_TRUE(Filled(3, 100).WriteNF(assigned));  // the borrowed stream
  }
  EXPECT_EQ(1, StoredValue(target));  // readable as before meanwhile
  const Names during = Entries(dir.Path());
  ASSERT_EQ(2u, during.size());
  EXPECT_TRUE(qvtest::IsTempName(during[0], "model.qnf")) << during[0];
  EXPECT_TRUE(nf.Commit());
  EXPECT_EQ(3, StoredValue(target));
  EXPECT_EQ(Names{"model.qnf"}, Entries(dir.Path()));
  EXPECT_FALSE(nf.Commit());  // the object holds no stream any more
  std::int32_t pos = 0;
  EXPECT_FALSE(nf.GetFilePosition(pos));
}

#if !defined(_WIN32)
TEST(QvSave, KeepsPermissionsAndSymbolicLinks) {
  qvtest::TempDir dir;
  const std::string target = dir.File("model.qnf");
  ASSERT_TRUE(Filled(1, 10).SaveNF(target.c_str()));
  // A new file gets what fopen gives it.
  ASSERT_TRUE(qvtest::WriteAll(dir.File("plain"), ""));
  struct stat st, plain;
  ASSERT_EQ(0, stat(target.c_str(), &st));
  ASSERT_EQ(0, stat(dir.File("plain").c_str(), &plain));
  EXPECT_EQ(plain.st_mode & 07777, st.st_mode & 07777);

  ASSERT_EQ(0, chmod(target.c_str(), 0640));
  ASSERT_TRUE(Filled(2, 10).SaveNF(target.c_str()));
  ASSERT_EQ(0, stat(target.c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 07777);

  // Links, relative and chained, stay links; the file they end at changes.
  ASSERT_EQ(0, symlink("model.qnf", dir.File("link1").c_str()));
  ASSERT_EQ(0, symlink(dir.File("link1").c_str(), dir.File("link2").c_str()));
  ASSERT_TRUE(Filled(3, 10).SaveNF(dir.File("link2").c_str()));
  for (const char* link : {"link1", "link2"}) {
    ASSERT_EQ(0, lstat(dir.File(link).c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
  }
  EXPECT_EQ(3, StoredValue(target));
  // A link to a file not there yet creates it; a looping link is refused.
  ASSERT_EQ(0, symlink("new.qnf", dir.File("link3").c_str()));
  EXPECT_TRUE(Filled(4, 10).SaveNF(dir.File("link3").c_str()));
  EXPECT_EQ(4, StoredValue(dir.File("new.qnf")));
  ASSERT_EQ(0, symlink("loop", dir.File("loop").c_str()));
  EXPECT_FALSE(Filled(5, 10).SaveNF(dir.File("loop").c_str()));
  EXPECT_EQ((Names{"link1", "link2", "link3", "loop", "model.qnf", "new.qnf",
                   "plain"}),
            Entries(dir.Path()));
}
#endif

}  // namespace
