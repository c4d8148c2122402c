#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "frame/Platform.h"
#include "support/FaultStream.h"
#include "support/TempDir.h"

namespace {

TEST(QvPlatform, StatTellsFilesFromFolders) {
  qvtest::TempDir dir;
  ASSERT_TRUE(qvtest::WriteAll(dir.File("a.txt"), "x"));
  qv::platform::FileStatus st;
  ASSERT_TRUE(qv::platform::StatPath(dir.Path().c_str(), &st));
  EXPECT_TRUE(st.isDirectory && !st.isRegular);
  ASSERT_TRUE(qv::platform::StatPath(dir.File("a.txt").c_str(), &st));
  EXPECT_TRUE(!st.isDirectory && st.isRegular);
  EXPECT_FALSE(qv::platform::StatPath(dir.File("missing").c_str(), &st));
  EXPECT_FALSE(qv::platform::StatPath(nullptr, &st));
}

// A stream on a regular file tells its file's length and its own position
// (buffered bytes not yet taken count as unread); a callback stream has no
// file to tell about.
TEST(QvPlatform, StreamStatusOfFilesAndCallbackStreams) {
  qvtest::TempDir dir;
  ASSERT_TRUE(qvtest::WriteAll(dir.File("ten"), "0123456789"));
  std::FILE* f = std::fopen(dir.File("ten").c_str(), "rb");
  ASSERT_NE(nullptr, f);
  char three[3];
  ASSERT_EQ(3u, std::fread(three, 1, 3, f));
  qv::platform::StreamStatus st;
  std::int64_t pos = -1;
  EXPECT_TRUE(qv::platform::StatStream(f, &st));
  EXPECT_TRUE(st.isRegular && st.size == 10);
  EXPECT_TRUE(qv::platform::TellStream(f, &pos));
  EXPECT_EQ(3, pos);
  std::fclose(f);
  EXPECT_FALSE(qv::platform::StatStream(nullptr, &st));
  if (!qvtest::FaultStream::Supported()) return;
  qvtest::FaultStream store({'a', 'b'});
  f = store.Open("rb");
  st = {};
  EXPECT_FALSE(qv::platform::StatStream(f, &st));
  EXPECT_FALSE(st.isRegular);
  std::fclose(f);
}

}  // namespace
