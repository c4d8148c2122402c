// The reason every failing operation gives through QvLastError: one row
// per reason and operation, each on real files in a temporary folder or a
// real stdio stream that fails on purpose.
#include <QvBase/QvColorTable.h>
#include <QvBase/QvError.h>
#include <QvBase/QvFile.h>
#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvProgress.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "neutral/NeutralTestUtil.h"
#include "support/TempDir.h"

namespace {

using qvtest::Bytes;
using qvtest::MemFile;

// A reason that no row expects, so that a row that sets none is seen.
void Prime(QvError expected) {
  QvNeutralFile none;
  if (expected == QvError::BadArgument)
    none.OpenToRead("/no/such/folder/at/all.qnf");  // CannotOpen
  else
    none.GoToFileBegin();  // BadArgument
}

// A colour table's read of an application class that fails without a
// reason of its own, and its write likewise.
class Silent : public QvWritableObj {
 public:
  const char* IdString() const override { return "Silent"; }
  unsigned int Version() const override { return 1; }
  bool WriteDataBlock(QvNeutralFile&) const override { return false; }
  bool ReadDataBlock(QvNeutralFile&, unsigned int) override { return false; }
};

struct Row {
  const char* what;
  QvError reason;
  std::function<bool(const qvtest::TempDir&)> fails;  // true: it failed
};

bool WriteFile(const std::string& path, const Bytes& bytes) {
  return qvtest::WriteAll(path, bytes.data(), bytes.size());
}

// A file of a header and one colour table.
std::string Stored(const qvtest::TempDir& dir) {
  const std::string path = dir.File("stored.qnf");
  QvColorTable table;
  const float red[4] = {1, 0, 0, 1};
  table.AddColor(red, 0.0f);
  table.SaveNF(path.c_str());
  return path;
}

TEST(QvError, EveryFailureGivesItsReason) {
  QV_NEEDS_FAULT_STREAM();
  const std::string missing = "/no/such/folder/x.qnf";
  const Row rows[] = {
    // Opening.
    {"OpenToRead of a missing file", QvError::CannotOpen,
     [&](auto&) { return !QvNeutralFile().OpenToRead(missing.c_str()); }},
    {"OpenToRead of null", QvError::BadArgument,
     [](auto&) { return !QvNeutralFile().OpenToRead(nullptr); }},
    {"OpenToRead of a text file", QvError::NotNeutral,
     [](auto& d) {
       qvtest::WriteAll(d.File("t.txt"), "plain text, no neutral file\n");
       return !QvNeutralFile().OpenToRead(d.File("t.txt").c_str());
     }},
    {"OpenToRead of an empty file", QvError::NotNeutral,
     [](auto& d) {
       qvtest::WriteAll(d.File("e.qnf"), "");
       return !QvNeutralFile().OpenToRead(d.File("e.qnf").c_str());
     }},
    {"OpenToRead of a file cut before its order byte", QvError::Truncated,
     [](auto& d) {
       Bytes b = qvtest::MakeHeader(0);
       b.resize(16);
       WriteFile(d.File("c.qnf"), b);
       return !QvNeutralFile().OpenToRead(d.File("c.qnf").c_str());
     }},
    {"OpenToAppend of a text file", QvError::NotNeutral,
     [](auto& d) {
       qvtest::WriteAll(d.File("t.txt"), "plain text, no neutral file\n");
       return !QvNeutralFile().OpenToAppend(d.File("t.txt").c_str());
     }},
    {"OpenToWrite in a missing folder", QvError::CannotOpen,
     [&](auto&) { return !QvNeutralFile().OpenToWrite(missing.c_str()); }},
    {"OpenToReplace of null", QvError::BadArgument,
     [](auto&) { return !QvNeutralFile().OpenToReplace(nullptr); }},
    {"OpenToReplace in a missing folder", QvError::CannotOpen,
     [&](auto&) { return !QvNeutralFile().OpenToReplace(missing.c_str()); }},
    {"Commit without a replacement", QvError::BadArgument,
     [](auto&) { return !QvNeutralFile().Commit(); }},
    {"Commit after a failed write", QvError::WriteFailed,
     [](auto& d) {
       QvNeutralFile nf;
       nf.OpenToReplace(d.File("r.qnf").c_str());
       nf.WriteString("x", -1);
       return !nf.Commit();
     }},
    // Header and blocks.
    {"ReadHeader of another first block", QvError::NotNeutral,
     [](auto&) {
       Bytes b;
       qvtest::PutIdBlock(b, "Other", 16, 1);
       MemFile m(b);
       return !QvNeutralFile(m.f).ReadHeader(nullptr, nullptr, nullptr);
     }},
    {"ReadHeader of a 60-byte file", QvError::Truncated,
     [](auto&) {
       Bytes b = qvtest::MakeHeader(0);
       b.resize(60);
       MemFile m(b);
       return !QvNeutralFile(m.f).ReadHeader(nullptr, nullptr, nullptr);
     }},
    {"ScanIdBlock of a name not in the file", QvError::NotFound,
     [](auto& d) {
       QvNeutralFile nf;
       QvNeutralFile::IdBlock block;
       return nf.OpenToRead(Stored(d).c_str()) &&
              !nf.ScanIdBlock("Absent", block);
     }},
    {"ScanIdBlock of a chain that loops", QvError::Damaged,
     [](auto&) {
       Bytes b = qvtest::MakeHeader(0);
       qvtest::PutIdBlock(b, "Loop", 121, 1);  // ends where it begins
       MemFile m(b);
       QvNeutralFile nf(m.f);
       QvNeutralFile::IdBlock block;
       return !nf.ScanIdBlock("Absent", block);
     }},
    {"ScanIdBlock of null", QvError::BadArgument,
     [](auto&) {
       QvNeutralFile::IdBlock block;
       return !QvNeutralFile().ScanIdBlock(nullptr, block);
     }},
    {"ScanIdBlock of an unbounded buffer", QvError::BadArgument,
     [](auto&) {
       char buf[64] = {};
       QvNeutralFile nf;
       nf.SetBuf(buf);
       QvNeutralFile::IdBlock block;
       return !nf.ScanIdBlock("A", block);
     }},
    {"ScanIdBlock of a bounded buffer without the name", QvError::NotFound,
     [](auto&) {
       char buf[24] = {};
       QvNeutralFile nf;
       nf.SetBuf(buf, sizeof buf);
       QvNeutralFile::IdBlock block;
       return !nf.ScanIdBlock("A", block);
     }},
    {"WriteIdBlock past 2^31 - 1", QvError::TooLarge,
     [](auto& d) {
       std::FILE* f = std::fopen(d.File("big.qnf").c_str(), "wb");
       const bool moved = std::fseek(f, INT32_MAX - 8, SEEK_SET) == 0;
       const bool refused = QvNeutralFile(f).WriteIdBlock("Big", 1) < 0;
       std::fclose(f);
       return moved && refused;
     }},
    {"UpdateIdBlock of a negative address", QvError::BadArgument,
     [](auto&) {
       MemFile m;
       return !QvNeutralFile(m.f).UpdateIdBlock(-5);
     }},
    // Positioning.
    {"GoToFilePosition(-1)", QvError::BadArgument,
     [](auto&) {
       MemFile m;
       return !QvNeutralFile(m.f).GoToFilePosition(-1);
     }},
#if !defined(_WIN32)
    {"GetFilePosition of a pipe", QvError::SeekFailed,
     [](auto&) {
       int fds[2];
       if (pipe(fds) != 0) return false;
       std::FILE* r = fdopen(fds[0], "rb");
       std::int32_t pos = 0;
       const bool failed = !QvNeutralFile(r).GetFilePosition(pos);
       std::fclose(r);
       close(fds[1]);
       return failed;
     }},
#endif
    // Values.
    {"ReadInt past the end", QvError::Truncated,
     [](auto&) {
       MemFile m(Bytes{1, 2});
       int v = 0;
       return !QvNeutralFile(m.f).ReadInt(&v, 1);
     }},
    {"ReadDouble that the stream refuses", QvError::ReadFailed,
     [](auto&) {
       qvtest::FaultPlan plan = qvtest::Unbuffered();
       plan.failReadsAfter = 4;
       MemFile m(Bytes(64, 0), plan, "rb");
       double v[4];
       return !QvNeutralFile(m.f).ReadDouble(v, 4);
     }},
    {"ReadUInt without a stream or buffer", QvError::BadArgument,
     [](auto&) {
       unsigned v = 0;
       return !QvNeutralFile().ReadUInt(v);
     }},
    {"ReadFloat into null", QvError::BadArgument,
     [](auto&) {
       MemFile m(Bytes(8, 0));
       return !QvNeutralFile(m.f).ReadFloat(nullptr, 2);
     }},
    {"ReadString past a bounded buffer", QvError::Truncated,
     [](auto&) {
       char buf[4] = {}, text[9];
       QvNeutralFile nf;
       nf.SetBuf(buf, sizeof buf);
       return !nf.ReadString(text, 8);
     }},
    {"WriteInt that the stream refuses", QvError::WriteFailed,
     [](auto&) {
       qvtest::FaultPlan plan = qvtest::Unbuffered();
       plan.failWritesAfter = 2;
       MemFile m({}, plan);
       const int v[2] = {1, 2};
       return !QvNeutralFile(m.f).WriteInt(v, 2);
     }},
    {"WriteDouble past a bounded buffer", QvError::TooLarge,
     [](auto&) {
       char buf[4];
       QvNeutralFile nf;
       nf.SetBuf(buf, sizeof buf);
       return !nf.WriteDouble(1.5);
     }},
    {"WriteName without a stream or buffer", QvError::BadArgument,
     [](auto&) { return !QvNeutralFile().WriteName("A"); }},
    {"WriteString of a negative width", QvError::BadArgument,
     [](auto&) {
       MemFile m;
       return !QvNeutralFile(m.f).WriteString("A", -1);
     }},
    // Objects, the colour table and saves.
    {"ReadNF of a path that is missing", QvError::CannotOpen,
     [&](auto&) { return !QvColorTable().ReadNF(missing.c_str()); }},
    {"ReadNF of a null stream", QvError::BadArgument,
     [](auto&) {
       return !QvColorTable().ReadNF(static_cast<std::FILE*>(nullptr));
     }},
    {"ReadNF of a class that fails silently", QvError::Damaged,
     [](auto& d) {
       Silent s;
       QvNeutralFile nf;
       nf.OpenToWrite(d.File("s.qnf").c_str());
       nf.WriteHeader("", "");
       nf.WriteIdBlock("Silent", 1);
       nf.CloseFile();
       return !s.ReadNF(d.File("s.qnf").c_str());
     }},
    {"WriteNF of a class that fails silently", QvError::WriteFailed,
     [](auto& d) { return !Silent().WriteNF(d.File("s.qnf").c_str()); }},
    {"WriteNF in a missing folder", QvError::CannotOpen,
     [&](auto&) { return !QvColorTable().WriteNF(missing.c_str()); }},
    {"SaveNF in a missing folder", QvError::CannotOpen,
     [&](auto&) { return !QvColorTable().SaveNF(missing.c_str()); }},
    {"LoadColorTable of a file without one", QvError::NotFound,
     [](auto& d) {
       QvNeutralFile nf;
       nf.OpenToWrite(d.File("h.qnf").c_str());
       nf.WriteHeader("", "");
       nf.CloseFile();
       nf.OpenToRead(d.File("h.qnf").c_str());
       return !QvColorTable().LoadColorTable(nf);
     }},
    {"ReadDataBlock of another version", QvError::Unsupported,
     [](auto&) {
       MemFile m(Bytes(8, 0));
       QvNeutralFile nf(m.f);
       return !QvColorTable().ReadDataBlock(nf, 1);
     }},
    {"ReadDataBlock of a cut-off table", QvError::Truncated,
     [](auto&) {
       MemFile m(Bytes{2, 0, 0, 0, 0});
       QvNeutralFile nf(m.f);
       return !QvColorTable().ReadDataBlock(nf, 20010104);
     }},
    {"WriteDataBlock of 256 colours", QvError::TooLarge,
     [](auto&) {
       QvColorTable t;
       for (int i = 0; i < 256; ++i) {
         const float c[4] = {static_cast<float>(i), 0, 0, 1};
         t.AddColor(c, 0.0f);
       }
       MemFile m;
       QvNeutralFile nf(m.f);
       return !t.WriteDataBlock(nf);
     }},
    // Text files.
    {"QvFile::OpenToRead without a name", QvError::BadArgument,
     [](auto&) { return !QvFile().OpenToRead(true); }},
    {"QvFile::OpenToRead of a missing file", QvError::CannotOpen,
     [&](auto&) { return !QvFile(missing.c_str()).OpenToRead(true); }},
    {"QvFile::OpenToRead of a folder", QvError::CannotOpen,
     [](auto& d) { return !QvFile(d.Path().c_str()).OpenToRead(true); }},
    {"QvFile::GetLine at the end", QvError::EndOfFile,
     [](auto& d) {
       qvtest::WriteAll(d.File("l.txt"), "one line\n");
       QvFile f(d.File("l.txt").c_str());
       return f.OpenToRead(true) && f.GetLine() != nullptr &&
              f.GetLine() == nullptr;
     }},
    {"QvFile::GetString of a closed file", QvError::BadArgument,
     [](auto&) { return QvFile().GetString() == nullptr; }},
    {"QvFile::GetNextString at the end", QvError::EndOfFile,
     [](auto& d) {
       qvtest::WriteAll(d.File("w.txt"), "  \n");
       QvFile f(d.File("w.txt").c_str());
       return f.OpenToRead(true) && f.GetNextString() == nullptr;
     }},
    // Local messages.
    {"OpenLocalMessageFile of null", QvError::BadArgument,
     [](auto&) { return !QvProgress().OpenLocalMessageFile(nullptr); }},
    {"OpenLocalMessageFile of a missing file", QvError::CannotOpen,
     [&](auto&) {
       return !QvProgress().OpenLocalMessageFile(missing.c_str());
     }},
    {"GetLocalMsg without a file", QvError::CannotOpen,
     [](auto&) {
       QvStdString text;
       return !QvProgress().GetLocalMsg(QvStdString("KEY"), text);
     }},
    {"GetLocalMsg of a missing key", QvError::NotFound,
     [](auto& d) {
       qvtest::WriteAll(d.File("m.txt"), "ONE \"one\"\n");
       QvProgress p;
       QvStdString text;
       return p.OpenLocalMessageFile(d.File("m.txt").c_str()) &&
              !p.GetLocalMsg(QvStdString("TWO"), text);
     }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    qvtest::TempDir dir;
    Prime(row.reason);
    ASSERT_NE(row.reason, QvLastError());
    EXPECT_TRUE(row.fails(dir));
    EXPECT_EQ(row.reason, QvLastError()) << QvErrorText(QvLastError());
  }
}

// The system's number comes with the reason; a success changes neither;
// each thread has its own; every reason has a text of its own.
TEST(QvError, SystemNumberThreadsAndTexts) {
  qvtest::TempDir dir;
  EXPECT_FALSE(QvNeutralFile().OpenToRead(dir.File("missing").c_str()));
  EXPECT_EQ(ENOENT, QvLastSystemError());
  EXPECT_FALSE(QvFile(dir.Path().c_str()).OpenToRead(true));
  EXPECT_EQ(EISDIR, QvLastSystemError());
  EXPECT_TRUE(QvColorTable().SaveNF(dir.File("ok.qnf").c_str()));
  EXPECT_EQ(QvError::CannotOpen, QvLastError());
  EXPECT_EQ(EISDIR, QvLastSystemError());

  QvError other = QvError::CannotOpen;
  std::thread([&other] { other = QvLastError(); }).join();
  EXPECT_EQ(QvError::None, other);

  std::set<std::string> texts;
  for (int e = 0; e <= 13; ++e) {
    const char* text = QvErrorText(static_cast<QvError>(e));
    ASSERT_NE(nullptr, text);
    texts.insert(text);
  }
  EXPECT_EQ(14u, texts.size());
  EXPECT_STREQ("unknown error", QvErrorText(static_cast<QvError>(99)));
}

}  // namespace
