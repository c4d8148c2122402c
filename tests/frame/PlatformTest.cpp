#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "frame/SafeReplace.h"

#include "frame/Platform.h"
#include "support/FaultStream.h"
#include "support/TempDir.h"

namespace {

// A path tells a file from a folder; a stream on a regular file tells its
// file's length and its own position (buffered bytes not yet taken count as
// unread); a callback stream has no file to tell about.
TEST(QvPlatform, StatOfPathsAndStreams) {
  qvtest::TempDir dir;
  const std::string ten = dir.File("ten");
  ASSERT_TRUE(qvtest::WriteAll(ten, "0123456789"));
  qv::platform::FileStatus fs;
  ASSERT_TRUE(qv::platform::StatPath(dir.Path().c_str(), &fs));
  EXPECT_TRUE(fs.isDirectory && !fs.isRegular);
  ASSERT_TRUE(qv::platform::StatPath(ten.c_str(), &fs));
  EXPECT_TRUE(!fs.isDirectory && fs.isRegular);
  EXPECT_FALSE(qv::platform::StatPath(dir.File("missing").c_str(), &fs));
  EXPECT_FALSE(qv::platform::StatPath(nullptr, &fs));
  std::FILE* f = std::fopen(ten.c_str(), "rb");
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

// A replacement's temporary file takes a name nobody has: a taken one is
// passed over and left alone; when every name tried is taken, nothing is
// created.
TEST(QvPlatform, TemporaryFilesPassOverTakenNames) {
  qvtest::TempDir dir;
  const std::string target = dir.File("m.qnf");
  const std::string taken = dir.File(".m.qnf.qvtmp.AAAAAA");
  ASSERT_TRUE(qvtest::WriteAll(taken, "taken"));
  std::string temp;
  std::FILE* f = qv::platform::CreateTempBeside(target, &temp, [](int tries) {
    return std::string(tries < 3 ? "AAAAAA" : "BBBBBB");
  });
  ASSERT_NE(nullptr, f);
  std::fclose(f);
  EXPECT_EQ(dir.File(".m.qnf.qvtmp.BBBBBB"), temp);
  EXPECT_EQ(std::vector<unsigned char>({'t', 'a', 'k', 'e', 'n'}),
            qvtest::ReadAll(taken));
  EXPECT_EQ(nullptr, qv::platform::CreateTempBeside(target, &temp, [](int) {
              return std::string("AAAAAA");
            }));
}

}  // namespace
