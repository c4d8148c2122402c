// The inspector on sound and damaged files: its findings through the
// module, and its exact output, exit status and JSON through the program.
#include <QvBase/QvColorTable.h>
#include <QvBase/QvNeutralFile.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Inspect.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct CmdResult {
  int status;
  std::string out;
};

// Runs qvnf with the arguments; stderr is folded into the output.
CmdResult Qvnf(const std::string& args) {
  const std::string cmd = std::string(QVNF_EXE) + " " + args + " 2>&1";
  CmdResult r{-1, {}};
  std::FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

void PatchLe32(Bytes& b, std::size_t at, std::int32_t v) {
  ASSERT_LE(at + 4, b.size());
  const auto u = static_cast<std::uint32_t>(v);
  const unsigned char le[4] = {
      static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
      static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
  std::copy(le, le + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
}

class QvnfTest : public testing::Test {
 protected:
  // A sound file: header, a two-colour table (121..170), a second table.
  void SetUp() override {
    good = dir.File("good.qnf");
    QvColorTable t;
    const float red[4] = {1, 0, 0, 1}, blue[4] = {0, 0, 1, 0.5f};
    t.AddColor(red, 0.1f);
    t.AddColor(blue, 0.1f);
    QvNeutralFile nf;
    ASSERT_TRUE(nf.OpenToWrite(good.c_str()));
    ASSERT_TRUE(nf.WriteHeader("test", "a test file"));
    ASSERT_TRUE(t.WriteNF(nf));
    ASSERT_TRUE(QvColorTable().WriteNF(nf));
    ASSERT_TRUE(nf.CloseFile());
    bytes = qvtest::ReadAll(good);
    ASSERT_EQ(121u + 65 + 33, bytes.size());
  }
  std::string Damaged(const Bytes& b) {
    const std::string p = dir.File("damaged" + std::to_string(++n) + ".qnf");
    EXPECT_TRUE(qvtest::WriteAll(p, b.data(), b.size()));
    return p;
  }
  qvtest::TempDir dir;
  std::string good;
  Bytes bytes;
  int n = 0;
};

TEST_F(QvnfTest, SoundFileWalksAndChecksClean) {
  const qvnf::Report r = qvnf::Inspect(good);
  ASSERT_EQ(qvnf::OpenStatus::Ok, r.status);
  ASSERT_EQ(3u, r.blocks.size());
  EXPECT_EQ("WyNF", r.blocks[0].name);
  EXPECT_EQ(121, r.blocks[1].address);
  EXPECT_EQ(186, r.blocks[1].endAddress);
  EXPECT_EQ(49, r.blocks[1].dataSize);
  EXPECT_TRUE(qvnf::Problems(r).empty());
  ASSERT_EQ(2u, r.colorTables.size());
  EXPECT_EQ((std::vector<float>{0, 0, 1, 0.5f}), r.colorTables[0].colors[1]);

  const CmdResult check = Qvnf("check " + good);
  EXPECT_EQ(0, check.status);
  EXPECT_EQ(good + ": sound (3 blocks)\n", check.out);
  const CmdResult blocks = Qvnf("blocks " + good);
  EXPECT_EQ(0, blocks.status);
  EXPECT_EQ(
      "   address  name      version                        end   data size\n"
      "         0  WyNF      20000701 (2000-07-01)          121         105\n"
      "       121  ColorTab  20010104 (2001-01-04)          186          49\n"
      "       186  ColorTab  20010104 (2001-01-04)          219          17\n",
      blocks.out);
}

TEST_F(QvnfTest, EachKindOfDamageIsFlagged) {
  struct Case {
    const char* what;
    Bytes file;
    const char* problem;
  };
  std::vector<Case> cases;
  Bytes b = bytes;
  PatchLe32(b, 129, 0);
  cases.push_back({"uncompleted", b, "block at 121: never completed"});
  b = bytes;
  PatchLe32(b, 129, 5000);
  cases.push_back({"past end", b, "block at 121: end address 5000 is outside"});
  b = bytes;
  PatchLe32(b, 129, -8);
  cases.push_back({"negative", b, "block at 121: end address -8 is outside"});
  b = bytes;
  PatchLe32(b, 129, 130);
  cases.push_back(
      {"backwards", b, "block at 121: end address 130 points backwards"});
  b = bytes;
  PatchLe32(b, 129, 121);
  cases.push_back({"into itself", b, "leads back to an earlier block (loop)"});
  b = bytes;
  PatchLe32(b, 194, 0);  // second table's end → a top-level null-like loop
  std::copy_n("WyNULL\0\0", 8, b.begin() + 186);
  cases.push_back({"loop", b, "block at 186: null block at top level"});
  b = bytes;
  b[137] = 3;  // count 3, two colours stored
  cases.push_back({"count", b, "count 3 disagrees"});
  b = bytes;
  b[170] = 'X';  // the table's closing null block damaged
  cases.push_back({"no null", b, "lacks its closing null block"});
  b = bytes;
  PatchLe32(b, 8, 120);
  cases.push_back({"header end", b, "header end address is 120"});
  b = bytes;
  b.resize(210);
  cases.push_back({"truncated", b, "block at 186: end address 219 is outside"});
  b = bytes;
  b.resize(100);
  cases.push_back({"short header", b, "header cut off"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Damaged(c.file);
    const CmdResult run = Qvnf("check " + path);
    EXPECT_EQ(1, run.status) << run.out;
    EXPECT_NE(std::string::npos, run.out.find(c.problem)) << run.out;
  }
}

TEST_F(QvnfTest, BadFilesGiveOneClearLine) {
  const std::string text = Damaged(Bytes(300, 'x'));
  const std::string tiny = Damaged(Bytes(10, 0));
  const struct {
    std::string args;
    int status;
    std::string out;
  } cases[] = {
      {"info " + dir.File("missing.qnf"), 2,
       "qvnf: " + dir.File("missing.qnf") +
           ": cannot open: No such file or directory\n"},
      {"check " + text, 1,
       "qvnf: " + text + ": not a neutral file (first block is not WyNF)\n"},
      {"blocks " + tiny, 1,
       "qvnf: " + tiny +
           ": truncated: 10 bytes, too short for a neutral file\n"},
      {"check " + dir.Path(), 2, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const CmdResult run = Qvnf(c.args);
    EXPECT_EQ(c.status, run.status);
    if (!c.out.empty()) {
      EXPECT_EQ(c.out, run.out);
    }
  }
  EXPECT_EQ(2, Qvnf("").status);
  EXPECT_EQ(2, Qvnf("frobnicate " + good).status);
  const CmdResult help = Qvnf("check --help");
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("--json"));
}

TEST_F(QvnfTest, JsonParsesBack) {
  const auto info = nlohmann::json::parse(Qvnf("info --json " + good).out);
  EXPECT_EQ("little", info["byte_order"]);
  EXPECT_EQ("test", info["header"]["short_text"]);
  EXPECT_EQ(219, info["file_size"]);
  const auto blocks = nlohmann::json::parse(Qvnf("blocks --json " + good).out);
  ASSERT_EQ(3u, blocks["blocks"].size());
  EXPECT_EQ("2001-01-04", blocks["blocks"][1]["version_date"]);
  const auto colors = nlohmann::json::parse(Qvnf("colors --json " + good).out);
  EXPECT_EQ(0.5, colors["color_tables"][0]["colors"][1][3]);
  Bytes b = bytes;
  PatchLe32(b, 129, 0);
  const auto check =
      nlohmann::json::parse(Qvnf("check --json " + Damaged(b)).out);
  EXPECT_FALSE(check["sound"]);
  EXPECT_EQ(1u, check["problems"].size());
}

TEST_F(QvnfTest, ReadsReversedByteOrder) {
  Bytes b = bytes;
  b[16] = 1;
  // Every 4-byte value of the header, the id blocks and the colours,
  // stored most-significant byte first.
  const std::size_t words[] = {8,        12,  129, 133,     170 + 8,
                               170 + 12, 194, 198, 203 + 8, 203 + 12};
  auto rev = [&b](std::size_t at) {
    std::swap(b[at], b[at + 3]);
    std::swap(b[at + 1], b[at + 2]);
  };
  for (std::size_t w : words) rev(w);
  for (int i = 0; i < 8; ++i) rev(138 + 4 * i);
  const std::string path = Damaged(b);
  const qvnf::Report r = qvnf::Inspect(path);
  EXPECT_TRUE(qvnf::Problems(r).empty());
  ASSERT_EQ(2u, r.colorTables.size());
  EXPECT_EQ((std::vector<float>{1, 0, 0, 1}), r.colorTables[0].colors[0]);
  EXPECT_NE(std::string::npos,
            Qvnf("info " + path).out.find("big-endian (order byte 1)"));
}

}  // namespace
