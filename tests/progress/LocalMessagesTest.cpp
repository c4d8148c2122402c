// The block-wise lookup against the line-by-line one, on random files that
// mix short and long lines, zero bytes and carriage returns, and span
// several read areas: the same result, text and stream position.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "progress/LocalMessages.h"
#include "support/TempDir.h"

namespace {

constexpr std::size_t kPiece = qv::kMessagePiece;

// Random text; starts of long lines (of random letters, split by pieces and
// read areas, most of their short runs unique) are added to longLines.
std::string RandomText(std::mt19937& rng, std::size_t size,
                       std::vector<std::size_t>* longLines = nullptr) {
  static const char alphabet[] = "ab \",\t\r\n\n";
  std::string out;
  while (out.size() < size) {
    if (rng() % 50 == 0) {
      out.push_back('\n');
      if (longLines != nullptr) longLines->push_back(out.size());
      for (std::size_t n = 1100 + rng() % 3000; n > 0; --n)
        out.push_back(static_cast<char>('c' + rng() % 24));
    } else if (rng() % 400 == 0) {
      out.push_back('\0');
    } else {
      out.push_back(alphabet[rng() % (sizeof alphabet - 1)]);
    }
  }
  return out;
}

TEST(LocalMessages, BlockLookupAgreesWithLineLookup) {
  qvtest::TempDir dir;
  const std::string path = dir.File("m.txt");
  std::string scratch(qv::kMessageReadSize, '\0');
  std::mt19937 rng(2026);
  for (int file = 0; file < 24; ++file) {
    const std::size_t size = file < 12 ? rng() % 400 : 60000 + rng() % 150000;
    std::vector<std::size_t> longLines;
    const std::string content = RandomText(rng, size, &longLines);
    ASSERT_TRUE(qvtest::WriteAll(path, content));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(nullptr, f);
    for (int k = 0; k < 40; ++k) {
      std::string key = RandomText(rng, 1 + rng() % 6).substr(0, 1 + rng() % 6);
      key = key.c_str();  // keys are zero-terminated texts
      if (k == 0) key = std::string(1 + rng() % 1100, 'a');
      if (k % 4 == 1 && !longLines.empty()) {
        // A run that lies across, or right at, a piece boundary.
        const std::size_t len = 1 + rng() % 8;
        const std::size_t at =
            longLines[rng() % longLines.size()] + kPiece - rng() % (len + 1);
        key = content.substr(at, len);
      }
      SCOPED_TRACE("file " + std::to_string(file) + " key [" + key + "]");
      std::string byLines = "unset", byBlocks = "unset";
      const bool a = qv::FindLocalMessageByLines(f, key.c_str(), &byLines);
      const long after = std::ftell(f);
      const bool b =
          qv::FindLocalMessage(f, &scratch[0], key.c_str(), &byBlocks);
      ASSERT_EQ(a, b);
      ASSERT_EQ(byLines, byBlocks);
      ASSERT_EQ(after, std::ftell(f));  // right after the matching piece
    }
    std::fclose(f);
  }
  // A zero byte ends the text of the message it is in (past the lines
  // that are read one by one).
  ASSERT_TRUE(qvtest::WriteAll(
      path, std::string(600, '\n') + std::string("KEY \"va\0lue\"\n", 13)));
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(nullptr, f);
  std::string text;
  EXPECT_TRUE(qv::FindLocalMessage(f, &scratch[0], "KEY", &text));
  EXPECT_EQ("va", text);
  std::fclose(f);
}

}  // namespace
