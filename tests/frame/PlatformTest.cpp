#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "frame/SafeReplace.h"

#include "frame/Platform.h"
#include "support/FaultStream.h"
#include "support/TempDir.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace {

// A path tells a file from a folder; a stream on a regular file tells its
// file's length and its own position (buffered bytes not yet taken count as
// unread); a callback stream, a pipe and a stream whose descriptor is gone
// have no file to tell about. An appending stream stands past the bytes it
// holds at the end of its file. Refused: null arguments, a buffer that stdio
// can't take because the bytes it holds can't be written, a count of
// characters past any file (read through scratch where no seek reaches it).
TEST(QvPlatform, StatOfPathsAndStreams) {
  namespace p = qv::platform;
  qvtest::TempDir dir;
  const std::string ten = dir.File("ten");
  ASSERT_TRUE(qvtest::WriteAll(ten, "0123456789"));
  p::FileStatus fs;
  ASSERT_TRUE(p::StatPath(dir.Path().c_str(), &fs));
  EXPECT_TRUE(fs.isDirectory && !fs.isRegular);
  ASSERT_TRUE(p::StatPath(ten.c_str(), &fs));
  EXPECT_TRUE(!fs.isDirectory && fs.isRegular);
  EXPECT_FALSE(p::StatPath(dir.File("missing").c_str(), &fs));
  std::string target;
  std::int64_t pos = -1;
  p::StreamStatus st;
  EXPECT_FALSE(
      p::StatPath(nullptr, &fs) || p::StatStream(nullptr, &st) ||
      p::OpenStream(nullptr, "rb") || p::OpenStream(ten.c_str(), nullptr) ||
      p::ScanInt64(nullptr, &pos) || p::StreamPosition(nullptr, &pos) ||
      p::WritePosition(nullptr, &pos) || p::ReplaceTarget(nullptr, &target) ||
      p::ReplaceTarget("", &target));
  std::FILE* f = p::OpenStream(ten.c_str(), "rb");
  ASSERT_NE(nullptr, f);
  char buf[64];
  ASSERT_EQ(3u, std::fread(buf, 1, 3, f));
  EXPECT_TRUE(p::StatStream(f, &st));
  EXPECT_TRUE(st.isRegular && st.size == 10);
  EXPECT_TRUE(p::TellStream(f, &pos));
  EXPECT_EQ(3, pos);
  const std::uint64_t far = std::uint64_t{1} << 63;
  EXPECT_FALSE(
      p::SetStreamBuffer(nullptr, buf, 8) ||
      p::SetStreamBuffer(f, nullptr, 8) || p::SetStreamBuffer(f, buf, 0) ||
      p::SeekAfterChars(f, far, nullptr, 4) ||
      p::SeekAfterChars(f, far, buf, 0) || p::SeekAfterChars(f, far, buf, 4));
  EXPECT_TRUE(std::feof(f) && p::SeekAfterChars(f, 4, buf, 4));
  EXPECT_EQ('4', std::fgetc(f));
#if !defined(_WIN32)
  close(fileno(f));  // the stream outlives its descriptor
  EXPECT_FALSE(p::StatStream(f, &st));
  std::fclose(f);
  int fds[2];
  ASSERT_EQ(0, pipe(fds));
  f = fdopen(fds[1], "ab");
  ASSERT_NE(nullptr, f);
  EXPECT_TRUE(std::fputc('x', f) == 'x' && !p::WritePosition(f, &pos) &&
              !p::StreamPosition(f, &pos));
  std::fclose(f);
  close(fds[0]);
#else
  std::fclose(f);
#endif
  if (!qvtest::FaultStream::Supported()) return;
  qvtest::FaultPlan refuse;
  refuse.failWritesAfter = 0;
  qvtest::FaultStream store({'a', 'b'}, refuse);
  f = store.Open("ab");
  st = {};
  EXPECT_FALSE(p::StatStream(f, &st) || st.isRegular);
  EXPECT_TRUE(p::StreamAppends(f) && std::fputc('x', f) == 'x' &&
              p::WritePosition(f, &pos) && p::StreamPosition(f, &pos));
  EXPECT_EQ(3, pos);  // the end of the store and the byte held
  EXPECT_FALSE(p::SetStreamBuffer(f, buf, sizeof buf));
  std::fclose(f);
}

// Random stdio calls on a file, after each its mark and ftell: equal
// marks never come with different positions.
TEST(QvPlatform, EqualStreamMarksMeanEqualPositions) {
  qvtest::TempDir dir;
  std::FILE* f = std::fopen(dir.File("marks").c_str(), "w+b");
  ASSERT_NE(nullptr, f);
  std::mt19937 rng(5);
  std::vector<std::pair<qv::platform::StreamMark, std::int64_t>> seen;
  int matches = 0;
  char buf[300] = {};
  int last = 0;  // 1 after a write, 2 after a read: C wants a seek between
  for (int step = 0; step < 3000; ++step) {
    const unsigned op = rng() % 7;
    const int kind = op == 0 || op == 6 ? 1 : op == 1 || op == 4 ? 2 : 0;
    if (kind != 0 && last != 0 && kind != last) std::fseek(f, 0, SEEK_CUR);
    if (op == 0) std::fwrite(buf, 1, rng() % sizeof buf, f);
    if (op == 1) std::fread(buf, 1, rng() % sizeof buf, f);
    if (op == 2) std::fseek(f, static_cast<long>(rng() % 5000), SEEK_SET);
    if (op == 3) std::fflush(f);
    if (op == 4) std::ungetc('x', f);
    if (op == 5) std::fseek(f, 0, SEEK_CUR);
    if (op == 6) std::fputc('y', f);
    last = kind != 0 ? kind : op == 3 ? last : 0;
    qv::platform::StreamMark mark;
    mark.Take(f);
    std::vector<std::int64_t> held;  // where earlier marks the stream holds
    for (const auto& [earlier, pos] : seen)
      if (earlier.Holds(f)) held.push_back(pos);
    const std::int64_t at = std::ftell(f);
    for (const std::int64_t pos : held) ASSERT_EQ(pos, at) << step;
    matches += static_cast<int>(held.size());
    seen.emplace_back(mark, at);
    if (seen.size() > 64) seen.erase(seen.begin());
  }
  std::fclose(f);
  EXPECT_TRUE(matches > 0 || !qv::platform::kCanPeekBuffered);
}

// SeekInBuffer and PutBuffered are fseek and fwrite: random stdio calls on
// two copies of a file, once through them, once by stdio, agree in
// positions, bytes read, end-of-file flag and the files. (No put-back
// characters: glibc's ftell after one that follows a write depends on
// where the heap put its put-back area.)
TEST(QvPlatform, BufferShortcutsAreStdio) {
  qvtest::TempDir dir;
  std::string content(20000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i)
    content[i] = static_cast<char>(i * 7 + i / 251);
  std::FILE* f[2];
  for (int k = 0; k < 2; ++k) {
    const std::string path = dir.File("copy" + std::to_string(k));
    ASSERT_TRUE(qvtest::WriteAll(path, content));
    f[k] = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(nullptr, f[k]);
  }
  std::mt19937 rng(11);
  int inBuffer = 0;
  int last = 0;  // 1 after a write, 2 after a read: C wants a seek between
  for (int step = 0; step < 4000; ++step) {
    const unsigned op = rng() % 6;
    const long to = static_cast<long>(rng() % 21000);
    const std::size_t n = rng() % 700;
    const int kind = op == 0 ? 1 : op == 1 || op == 3 ? 2 : 0;
    char got[2][700];
    std::size_t read[2] = {};
    for (int k = 0; k < 2; ++k) {
      if (kind != 0 && last != 0 && kind != last) std::fseek(f[k], 0, SEEK_CUR);
      if (op == 0 && k == 0 && n > 0 &&
          qv::platform::PutBuffered(f[k], content.data() + n, n))
        ++inBuffer;
      else if (op == 0)
        std::fwrite(content.data() + n, 1, n, f[k]);
      if (op == 1) read[k] = std::fread(got[k], 1, n, f[k]);
      if (op == 2 && k == 0 && qv::platform::SeekInBuffer(f[k], to))
        ++inBuffer;
      else if (op == 2)
        std::fseek(f[k], to, SEEK_SET);
      if (op == 3) read[k] = std::fread(got[k], 1, 1, f[k]);
      if (op == 4) std::fflush(f[k]);
    }
    last = kind != 0 ? kind : op == 4 ? last : 0;
    ASSERT_EQ(std::ftell(f[1]), std::ftell(f[0])) << step;
    ASSERT_EQ(read[1], read[0]) << step;
    ASSERT_EQ(0, std::memcmp(got[0], got[1], read[0])) << step;
    ASSERT_EQ(std::feof(f[1]) != 0, std::feof(f[0]) != 0) << step;
  }
  // A put fills the buffer to its end and no further; a line-buffered
  // stream is left to fwrite, which may flush at any newline.
  for (const int mode : {_IOFBF, _IOLBF}) {
    std::FILE* g = std::fopen(dir.File("small").c_str(), "wb");
    ASSERT_NE(nullptr, g);
    static char buf[64];
    ASSERT_EQ(0, std::setvbuf(g, buf, mode, sizeof buf));
    ASSERT_EQ('a', std::fputc('a', g));
    const bool full = mode == _IOFBF && qv::platform::kCanPeekBuffered;
    EXPECT_FALSE(qv::platform::PutBuffered(g, content.data(), 64));
    EXPECT_EQ(full, qv::platform::PutBuffered(g, content.data(), 63));
    EXPECT_FALSE(qv::platform::PutBuffered(g, "x", 1) && !full);
    std::fclose(g);
  }
  // A put-back character is left to fseek, which drops it.
  ASSERT_EQ(0, std::fseek(f[0], 100, SEEK_SET));
  ASSERT_EQ('x', std::ungetc('x', f[0]));
  EXPECT_FALSE(qv::platform::SeekInBuffer(f[0], 100));
  for (std::FILE* s : f) std::fclose(s);
  EXPECT_EQ(qvtest::ReadAll(dir.File("copy1")),
            qvtest::ReadAll(dir.File("copy0")));
  EXPECT_TRUE(inBuffer > 30 || !qv::platform::kCanPeekBuffered) << inBuffer;
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
