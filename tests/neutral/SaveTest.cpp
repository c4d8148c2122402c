#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvWritableObj.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "neutral/SavedObject.h"
#include "support/TempDir.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using qvtest::Entries;
using qvtest::Filled;
using qvtest::StoredValue;
using Names = std::vector<std::string>;

// The header's date, which two saves on either side of midnight differ in.
void ClearDate(std::vector<unsigned char>& file) {
  if (file.size() >= 25) std::fill(file.begin() + 17, file.begin() + 25, 0);
}

TEST(QvSave, WritesWhatWriteNFWritesAndCreatesMissingFiles) {
  qvtest::TempDir dir;
  const Filled obj(5, 1000);
  ASSERT_TRUE(obj.WriteNF(dir.File("plain.qnf").c_str()));
  ASSERT_TRUE(obj.SaveNF(dir.File("saved.qnf").c_str()));
  auto plain = qvtest::ReadAll(dir.File("plain.qnf"));
  auto saved = qvtest::ReadAll(dir.File("saved.qnf"));
  ClearDate(plain);
  ClearDate(saved);
  EXPECT_EQ(plain, saved);
  EXPECT_EQ((Names{"plain.qnf", "saved.qnf"}), Entries(dir.Path()));
}

// Every way a save can fail leaves the old file byte for byte and nothing
// beside it.
TEST(QvSave, FailuresKeepTheOldFileAndLeaveNothingBeside) {
  qvtest::TempDir dir;
  const std::string target = dir.File("model.qnf");
  const std::string missing = dir.File("no-such-folder/model.qnf");
  const std::vector<std::pair<const char*, std::function<bool()>>> cases = {
      {"object write fails",
       [&] {
         Filled obj(7, 1000);
         obj.failWrite = true;
         return obj.SaveNF(target.c_str());
       }},
      {"null path", [] { return Filled(7, 10).SaveNF(nullptr); }},
      {"missing folder", [&] { return Filled(7, 10).SaveNF(missing.c_str()); }},
      {"an earlier write failed",
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
      {"commit without a replacement",
       [&] {
         QvNeutralFile nf;
         return nf.Commit() || (nf.OpenToWrite(dir.File("other").c_str()) &&
                                nf.CloseFile() && nf.Commit());
       }},
  };
  for (const auto& [what, save] : cases) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(Filled(1, 100).WriteNF(target.c_str()));
    const auto before = qvtest::ReadAll(target);
    EXPECT_FALSE(save());
    EXPECT_EQ(before, qvtest::ReadAll(target));
    std::remove(dir.File("other").c_str());
    EXPECT_EQ(Names{"model.qnf"}, Entries(dir.Path()));
  }
}

// The target changes only at commit; a replacement given up, whichever
// way, changes nothing; copies borrow the stream and cannot commit it.
TEST(QvSave, TheTargetChangesOnlyAtCommit) {
  qvtest::TempDir dir;
  const std::string target = dir.File("model.qnf");
  ASSERT_TRUE(Filled(1, 100).SaveNF(target.c_str()));
  const auto before = qvtest::ReadAll(target);
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
  std::FILE* f = std::fopen(dir.File("plain").c_str(), "wb");
  ASSERT_NE(nullptr, f);
  std::fclose(f);
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
