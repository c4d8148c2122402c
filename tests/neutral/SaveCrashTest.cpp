// Saves that meet a full disk or a killed process: the old file survives
// whole. POSIX only (mount, fork, kill).
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "neutral/SavedObject.h"
#include "support/TempDir.h"

namespace {

using qvtest::Entries;
using qvtest::Filled;
using qvtest::StoredValue;

constexpr int kMiB4 = 1 << 20;  // ints in a 4 MiB object

void SleepFor(std::chrono::microseconds span) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(span.count() / 1000000);
  ts.tv_nsec = static_cast<long>(span.count() % 1000000) * 1000;
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

TEST(QvSaveCrash, AFullDiskFailsTheSaveAndKeepsTheOldFile) {
  qvtest::TempDir dir;
  const std::string disk = dir.File("disk");
  ASSERT_EQ(0, mkdir(disk.c_str(), 0700));
  if (mount("qvtest", disk.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                 << "): mounting needs root";
  struct Unmount {
    std::string at;
    ~Unmount() { umount2(at.c_str(), MNT_DETACH); }
  } unmount{disk};
  const std::string target = disk + "/model.qnf";
  ASSERT_TRUE(Filled(1, 20000).SaveNF(target.c_str()));  // 80 KB of 256
  const auto before = qvtest::ReadAll(target);
  EXPECT_FALSE(Filled(2, 50000).SaveNF(target.c_str()));  // 200 KB more
  EXPECT_EQ(before, qvtest::ReadAll(target));
  EXPECT_EQ(std::vector<std::string>{"model.qnf"}, Entries(disk));
  // With the old file still there, a save that fits goes through.
  EXPECT_TRUE(Filled(3, 20000).SaveNF(target.c_str()));
  EXPECT_EQ(3, StoredValue(target));
}

// A child saves a 4 MiB object over and over, each time with new values,
// and is killed at moments spread over two saves. After every kill the
// file holds one whole save: the one before the child began, or one of
// the child's; at most a temporary file is left beside it.
TEST(QvSaveCrash, AKilledSaveLeavesTheOldFileOrANewOneWhole) {
  qvtest::TempDir dir;
  const std::string target = dir.File("model.qnf");
  ASSERT_TRUE(Filled(0, kMiB4).SaveNF(target.c_str()));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(Filled(1, kMiB4).SaveNF(target.c_str()));
  const auto save = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);

  constexpr int kKills = 48;
  int old = 0, fresh = 0, strays = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    const int before = StoredValue(target);
    ASSERT_GE(before, 0);
    const int first = 1000 * (kill + 1);
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
      for (int value = first;; ++value) Filled(value, kMiB4).SaveNF(target.c_str());
    }
    SleepFor(save * 2 * (kill + 1) / kKills);
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));

    const int now = StoredValue(target);
    ASSERT_TRUE(now == before || now >= first) << "kill " << kill << ": " << now;
    (now == before ? old : fresh) += 1;
    for (const std::string& name : Entries(dir.Path())) {
      if (name == "model.qnf") continue;
      ASSERT_TRUE(qvtest::IsTempName(name, "model.qnf")) << name;
      std::remove(dir.File(name).c_str());
      ++strays;
    }
  }
  std::printf("%d kills over saves of %lld us: old file %d, new file %d, "
              "stray temporary files %d\n",
              kKills, static_cast<long long>(save.count()), old, fresh, strays);
  RecordProperty("old", old);
  RecordProperty("new", fresh);
  EXPECT_GT(fresh, 0);  // the kills reached past the end of a save
}

}  // namespace
#endif
