// The reason every failing operation gives through QvLastError, where the
// other tests do not check it beside their own cases: real files in a
// temporary folder, real stdio streams that fail on purpose.
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
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
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

// An application class whose read fails without a reason of its own.
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
    {"OpenToReplace of null or an empty path", QvError::BadArgument,
     [](auto&) {
       return !QvNeutralFile().OpenToReplace(nullptr) &&
              !QvNeutralFile().OpenToReplace("");
     }},
    {"OpenToReplace in a missing folder", QvError::CannotOpen,
     [&](auto&) { return !QvNeutralFile().OpenToReplace(missing.c_str()); }},
#if !defined(_WIN32)  // a folder opens there, and its read fails
    {"OpenToRead of a folder", QvError::ReadFailed,
     [](auto& d) { return !QvNeutralFile().OpenToRead(d.Path().c_str()); }},
    {"OpenToAppend of a FIFO", QvError::SeekFailed,
     [](auto& d) {
       return mkfifo(d.File("fifo").c_str(), 0600) == 0 &&
              !QvNeutralFile().OpenToAppend(d.File("fifo").c_str());
     }},
#endif
    {"Commit over a folder, leaving no temporary file", QvError::WriteFailed,
     [](auto& d) {
       QvNeutralFile nf;
       return std::filesystem::create_directory(d.File("sub")) &&
              nf.OpenToReplace(d.File("sub").c_str()) && !nf.Commit() &&
              qvtest::Entries(d.Path()).size() == 1;
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
    {"ScanIdBlock of null", QvError::BadArgument,
     [](auto&) {
       QvNeutralFile::IdBlock block;
       return !QvNeutralFile().ScanIdBlock(nullptr, block) &&
              !QvNeutralFile().ScanIdBlock("A", block);
     }},
    {"WriteIdBlock past 2^31 - 1", QvError::TooLarge,
     [](auto& d) {
       std::FILE* f = std::fopen(d.File("big.qnf").c_str(), "wb");
       const bool moved = std::fseek(f, INT32_MAX - 8, SEEK_SET) == 0;
       const bool refused = QvNeutralFile(f).WriteIdBlock("Big", 1) < 0;
       std::fclose(f);
       return moved && refused;
     }},
    {"UpdateIdBlock's way back, then GoToFileEnd, that the stream refuses",
     QvError::SeekFailed,
     [](auto&) {
       qvtest::FaultPlan plan = qvtest::Unbuffered();
       plan.failSeeksAfter = 17;  // after the id block and the address
       MemFile m({}, plan);
       QvNeutralFile nf(m.f);
       return nf.WriteIdBlock("A", 1) == 0 && !nf.UpdateIdBlock(0) &&
              QvLastError() == QvError::SeekFailed && !nf.GoToFileEnd();
     }},
    // Positioning.
    {"GoToFilePosition(-1)", QvError::BadArgument,
     [](auto&) {
       MemFile m;
       return !QvNeutralFile(m.f).GoToFilePosition(-1);
     }},
#if !defined(_WIN32)
    {"GetFilePosition of a pipe; WriteIdBlock on one that appends",
     QvError::SeekFailed,
     [](auto&) {
       int fds[2];
       if (pipe(fds) != 0) return false;
       std::FILE* r = fdopen(fds[0], "rb");
       std::FILE* w = fdopen(fds[1], "ab");
       std::int32_t pos = 0;
       const bool failed = !QvNeutralFile(r).GetFilePosition(pos) &&
                           QvLastError() == QvError::SeekFailed &&
                           QvNeutralFile(w).WriteIdBlock("A", 1) < 0;
       std::fclose(r);
       std::fclose(w);
       return failed;
     }},
#endif
    // Values.
    {"ReadFloat into null", QvError::BadArgument,
     [](auto&) {
       MemFile m(Bytes(8, 0));
       QvNeutralFile nf(m.f);
       return !nf.ReadFloat(nullptr, 2) && !nf.ReadDouble(nullptr, 2) &&
              !nf.ReadBool(nullptr) && !nf.ReadUChar(nullptr) &&
              !nf.ReadString(nullptr, 2);
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
    {"WriteNF of a table whose count or colours the stream refuses",
     QvError::WriteFailed,
     [](auto&) {
       bool failed = true;
       for (const int n : {16, 17}) {  // after the id block, the count
         qvtest::FaultPlan plan = qvtest::Unbuffered();
         plan.failWritesAfter = n;
         MemFile m({}, plan);
         failed = failed && !QvColorTable().WriteNF(m.f);
       }
       return failed;
     }},
    {"LoadColorTable of a file without one", QvError::NotFound,
     [](auto& d) {
       QvNeutralFile nf;
       nf.OpenToWrite(d.File("h.qnf").c_str());
       nf.WriteHeader("", "");
       nf.CloseFile();
       nf.OpenToRead(d.File("h.qnf").c_str());
       return !QvColorTable().LoadColorTable(nf);
     }},
#if defined(__linux__)
    // A device that takes no byte: what stdio holds fails where it goes on.
    {"WriteNF to a full device", QvError::WriteFailed,
     [](auto&) { return !QvColorTable().WriteNF("/dev/full"); }},
    {"Held blocks a full device refuses: whole, in pieces, at the end",
     QvError::WriteFailed,
     [](auto&) {
       const std::vector<int> v(40000, 1);
       bool refused = true;
       for (const int n : {40000, 5000, 15000}) {
         QvNeutralFile nf;
         bool ok = nf.OpenToWrite("/dev/full");
         for (int i = 0; i < 20 && ok; ++i) {  // nested blocks; at 15000 each
           const std::int32_t at = nf.WriteIdBlock("A", 1);  // ends at once
           ok = at >= 0 && nf.WriteInt(v.data(), n) &&
                (n != 15000 || nf.UpdateIdBlock(at));
         }
         refused = refused && !ok && QvLastError() == QvError::WriteFailed;
       }
       return refused;
     }},
#endif
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
