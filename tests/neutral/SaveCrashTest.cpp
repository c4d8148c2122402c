// Saves that meet a full disk or a killed process: the old file survives
// whole. POSIX only (mount, fork, kill).
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "neutral/NeutralTestUtil.h"
#include "support/TempDir.h"

namespace {

using qvtest::Entries;
using qvtest::Filled;
using qvtest::StoredValue;

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

// A child saves a 4 MiB object over and over, with new values each time,
// telling after each save; after its second it is killed at a moment spread
// over the time that save took. The file then holds one whole save, the
// last told (old) or a later one (new), with at most a temporary file beside.
TEST(QvSaveCrash, AKilledSaveLeavesTheOldFileOrANewOneWhole) {
  qvtest::TempDir dir;
  const std::string target = dir.File("model.qnf");
  constexpr int kKills = 48;
  int old = 0, fresh = 0, strays = 0;
  std::chrono::microseconds longest{0};
  for (int kill = 0; kill < kKills; ++kill) {
    int told[2];
    ASSERT_EQ(0, pipe(told));
    const int first = 1000 * (kill + 1);
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
      close(told[0]);
      for (int value = first;; ++value)
        if (Filled(value, 1 << 20).SaveNF(target.c_str()) &&
            write(told[1], "s", 1) != 1)
          _exit(1);
    }
    close(told[1]);
    char byte = 0;
    ASSERT_EQ(1, read(told[0], &byte, 1));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(1, read(told[0], &byte, 1));
    const auto save = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    longest = std::max(longest, save);
    std::this_thread::sleep_for(save * (kill + 1) / kKills);
    ::kill(child, SIGKILL);
    ASSERT_EQ(child, waitpid(child, nullptr, 0));
    close(told[0]);

    const int now = StoredValue(target);
    ASSERT_GE(now, first + 1) << "kill " << kill;  // never a mixture (-1)
    (now == first + 1 ? old : fresh) += 1;
    for (const std::string& name : Entries(dir.Path())) {
      if (name == "model.qnf") continue;
      ASSERT_TRUE(qvtest::IsTempName(name, "model.qnf")) << name;
      std::remove(dir.File(name).c_str());
      ++strays;
    }
  }
  std::printf(
      "%d kills, saves of up to %lld us: old file %d, new file %d, "
      "stray temporary files %d\n",
      kKills, static_cast<long long>(longest.count()), old, fresh, strays);
  RecordProperty("old", old);
  RecordProperty("new", fresh);
  EXPECT_GT(old, 0);  // some kills met a save in progress
}

}  // namespace
#endif
