// The inspector on sound, damaged and byte-reversed files: its exact
// listings, exit status and JSON.
#include <QvBase/QvColorTable.h>
#include <QvBase/QvNeutralFile.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "QvnfRun.h"
#include "support/TempDir.h"

namespace {

using qvtest::Bytes;
using qvtest::CmdResult;
using qvtest::PatchLe32;
using qvtest::Qvnf;

class QvnfTest : public testing::Test {
 protected:
  // A sound file: header, a two-colour table (121..186), a second table.
  void SetUp() override {
    good = dir.File("good.qnf");
    QvColorTable t;
    const float red[4] = {1, 0, 0, 1}, blue[4] = {0, 0, 1, 0.5f};
    t.AddColor(red, 0.1f);
    t.AddColor(blue, 0.1f);
    QvNeutralFile nf;
    ASSERT_TRUE(nf.OpenToWrite(good.c_str()) &&
                nf.WriteHeader("test", "a test file") && t.WriteNF(nf) &&
                QvColorTable().WriteNF(nf) && nf.CloseFile());
    bytes = qvtest::ReadAll(good);
    ASSERT_EQ(121u + 65 + 33, bytes.size());
  }
  std::string Save(const Bytes& b) {
    const std::string p = dir.File("file" + std::to_string(++n) + ".qnf");
    EXPECT_TRUE(qvtest::WriteAll(p, b.data(), b.size()));
    return p;
  }
  qvtest::TempDir dir;
  std::string good;
  Bytes bytes;
  int n = 0;
};

TEST_F(QvnfTest, SoundFileListings) {
  const struct {
    std::string command;
    std::string out;
  } cases[] = {
      {"check", good + ": sound (3 blocks)\n"},
      {"blocks",
       "   address  name      version                        end   data size\n"
       "         0  WyNF      20000701 (2000-07-01)          121         105\n"
       "       121  ColorTab  20010104 (2001-01-04)          186          49\n"
       "       186  ColorTab  20010104 (2001-01-04)          219          "
       "17\n"},
      {"colors",
       "colour table at 121, version 20010104 (2001-01-04): 2 colours\n"
       "    0: r 1  g 0  b 0  a 1\n"
       "    1: r 0  g 0  b 1  a 0.5\n"
       "colour table at 186, version 20010104 (2001-01-04): 0 colours\n"},
  };
  for (const auto& c : cases) {
    const CmdResult run = Qvnf(c.command + " " + good);
    EXPECT_EQ(0, run.status) << c.command;
    EXPECT_EQ(c.out, run.out);
  }
}

TEST_F(QvnfTest, EachKindOfDamageIsFlagged) {
  auto end = [](std::size_t at, std::int32_t v) {
    return [=](Bytes& b) { PatchLe32(b, at, v); };
  };
  const struct {
    std::function<void(Bytes&)> damage;
    const char* problem;
  } cases[] = {
      {end(129, 0), "block at 121: never completed"},
      {end(129, 5000), "block at 121: end address 5000 is outside"},
      {end(129, -8), "block at 121: end address -8 is outside"},
      {end(129, 130), "block at 121: end address 130 points backwards"},
      {end(129, 121), "leads back to an earlier block (loop)"},
      {end(8, 120), "header end address is 120"},
      {[](Bytes& b) {  // second table turned into an uncompleted null block
         PatchLe32(b, 194, 0);
         std::copy_n("WyNULL\0\0", 8, b.begin() + 186);
       },
       "block at 186: null block at top level"},
      {[](Bytes& b) { b[137] = 3; }, "count 3 disagrees"},  // two stored
      {[](Bytes& b) { b[170] = 'X'; }, "lacks its closing null block"},
      {[](Bytes& b) { b.resize(210); },
       "block at 186: end address 219 is outside"},
      {[](Bytes& b) { b.resize(100); }, "header cut off"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.problem);
    Bytes b = bytes;
    c.damage(b);
    const CmdResult run = Qvnf("check " + Save(b));
    EXPECT_EQ(1, run.status) << run.out;
    EXPECT_NE(std::string::npos, run.out.find(c.problem)) << run.out;
  }
}

TEST_F(QvnfTest, BadFilesGiveOneClearLine) {
  const std::string text = Save(Bytes(300, 'x'));
  const std::string tiny = Save(Bytes(10, 0));
  const std::string missing = dir.File("missing.qnf");
  const struct {
    std::string args;
    int status;
    std::string out;  // "": any
  } cases[] = {
      {"info " + missing, 2,
       "qvnf: " + missing + ": cannot open: No such file or directory\n"},
      {"check " + text, 1,
       "qvnf: " + text + ": not a neutral file (first block is not WyNF)\n"},
      {"blocks " + tiny, 1,
       "qvnf: " + tiny +
           ": truncated: 10 bytes, too short for a neutral file\n"},
      {"check " + dir.Path(), 2, ""},
      {"", 2, ""},
      {"frobnicate " + good, 2, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const CmdResult run = Qvnf(c.args);
    EXPECT_EQ(c.status, run.status);
    EXPECT_TRUE(c.out.empty() || c.out == run.out) << run.out;
  }
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
  Bytes odd = bytes;
  odd[121] = 0xff;  // a block name that is not UTF-8 still gives JSON
  const CmdResult named = Qvnf("blocks --json " + Save(odd));
  EXPECT_EQ(0, named.status);
  EXPECT_NO_THROW(nlohmann::json::parse(named.out)) << named.out;
  Bytes b = bytes;
  PatchLe32(b, 129, 0);
  const auto check = nlohmann::json::parse(Qvnf("check --json " + Save(b)).out);
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
    std::swap(b[at], b[at + 3]), std::swap(b[at + 1], b[at + 2]);
  };
  for (std::size_t w : words) rev(w);
  for (int i = 0; i < 8; ++i) rev(138 + 4 * i);
  const std::string path = Save(b);
  EXPECT_EQ(path + ": sound (3 blocks)\n", Qvnf("check " + path).out);
  // The same chain and colours as the file stored least-significant first.
  for (const std::string command : {"blocks ", "colors "})
    EXPECT_EQ(Qvnf(command + good).out, Qvnf(command + path).out);
  EXPECT_NE(std::string::npos,
            Qvnf("info " + path).out.find("big-endian (order byte 1)"));
}

}  // namespace
