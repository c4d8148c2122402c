// tree, dump, diff and salvage on a file with nested blocks, on copies of
// it damaged in known ways, and on a byte-reversed file.
#include <QvBase/QvColorTable.h>
#include <QvBase/QvNeutralFile.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "QvnfRun.h"
#include "support/TempDir.h"

namespace {

using nlohmann::json;
using qvtest::Bytes;
using qvtest::CmdResult;
using qvtest::PatchLe32;
using qvtest::Qvnf;

// "action address name" of each salvage line, joined by '|'.
std::string Actions(const std::string& out) {
  std::istringstream in(out);
  std::string line, all;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string action, address, name;
    words >> action >> address >> name;
    if (action != "kept" && action != "repaired" && action != "dropped")
      continue;
    all += (all.empty() ? "" : "|") + action + " " + address + " " + name;
  }
  return all;
}

class QvnfCommandsTest : public testing::Test {
 protected:
  // header; ColorTab 121..186 (two colours); Outer 186..278 holding
  // Inner1 202..222 ("abcd"), Inner2 222..262 holding Deep 238..262 (2.5),
  // and a null block 262..278; an empty ColorTab 278..311.
  void SetUp() override {
    path = dir.File("nested.qnf");
    QvColorTable t;
    const float red[4] = {1, 0, 0, 1}, blue[4] = {0, 0, 1, 0.5f};
    t.AddColor(red, 0.1f);
    t.AddColor(blue, 0.1f);
    QvNeutralFile nf;
    ASSERT_TRUE(nf.OpenToWrite(path.c_str()) && nf.WriteHeader("test", "n") &&
                t.WriteNF(nf));
    const std::int32_t outer = nf.WriteIdBlock("Outer", 20260101);
    const std::int32_t inner1 = nf.WriteIdBlock("Inner1", 1);
    ASSERT_TRUE(nf.WriteString("abcd", 4) && nf.UpdateIdBlock(inner1));
    const std::int32_t inner2 = nf.WriteIdBlock("Inner2", 2);
    const std::int32_t deep = nf.WriteIdBlock("Deep", 3);
    ASSERT_TRUE(nf.WriteDouble(2.5) && nf.UpdateIdBlock(deep) &&
                nf.UpdateIdBlock(inner2) && nf.WriteNullIdBlock() &&
                nf.UpdateIdBlock(outer) && QvColorTable().WriteNF(nf) &&
                nf.CloseFile());
    bytes = qvtest::ReadAll(path);
    ASSERT_EQ(311u, bytes.size());
  }
  std::string Save(const Bytes& b, const std::string& name = "") {
    const std::string p =
        dir.File(name.empty() ? "f" + std::to_string(++n) + ".qnf" : name);
    EXPECT_TRUE(qvtest::WriteAll(p, b.data(), b.size()));
    return p;
  }
  qvtest::TempDir dir;
  std::string path;
  Bytes bytes;
  int n = 0;
};

TEST_F(QvnfCommandsTest, TreeShowsNestingAsTextAndJson) {
  const CmdResult text = Qvnf("tree " + path);
  EXPECT_EQ(0, text.status);
  EXPECT_EQ(
      "   address  name          version                        end   data "
      "size\n"
      "         0  WyNF          20000701 (2000-07-01)          121         "
      "105\n"
      "       121  ColorTab      20010104 (2001-01-04)          186          "
      "49\n"
      "       186  Outer         20260101 (2026-01-01)          278          "
      "76\n"
      "       202    Inner1      1                              222           "
      "4\n"
      "       222    Inner2      2                              262          "
      "24\n"
      "       238      Deep      3                              262           "
      "8\n"
      "       262    WyNULL      null block\n"
      "       278  ColorTab      20010104 (2001-01-04)          311          "
      "17\n",
      text.out);
  const json j = json::parse(Qvnf("tree --json " + path).out);
  ASSERT_EQ(4u, j["blocks"].size());
  const json& outer = j["blocks"][2];
  EXPECT_EQ(76, outer["data_size"]);
  ASSERT_EQ(3u, outer["children"].size());
  EXPECT_EQ("Deep", outer["children"][1]["children"][0]["name"]);
  EXPECT_EQ(262, outer["children"][1]["children"][0]["end_address"]);
  EXPECT_EQ(true, outer["children"][2]["null"]);
  for (int top : {0, 1, 3}) EXPECT_TRUE(j["blocks"][top]["children"].empty());

  Bytes loop = bytes;
  PatchLe32(loop, 186 + 8, 121);  // Outer leads back to the colour table
  EXPECT_EQ(1, Qvnf("tree " + Save(loop)).status);
}

TEST_F(QvnfCommandsTest, TreeStopsAtTheDepthLimit) {
  const std::string deep = dir.File("deep.qnf");
  QvNeutralFile nf;
  ASSERT_TRUE(nf.OpenToWrite(deep.c_str()) && nf.WriteHeader("", ""));
  std::vector<std::int32_t> open;
  for (int i = 0; i < 40; ++i)
    open.push_back(nf.WriteIdBlock(("L" + std::to_string(i)).c_str(), 1));
  for (auto it = open.rbegin(); it != open.rend(); ++it)
    ASSERT_TRUE(nf.UpdateIdBlock(*it));
  ASSERT_TRUE(nf.CloseFile());
  const CmdResult run = Qvnf("tree " + deep);
  EXPECT_EQ(0, run.status);
  EXPECT_NE(std::string::npos, run.out.find(" L32 "));
  EXPECT_EQ(std::string::npos, run.out.find(" L33 "));
  EXPECT_NE(std::string::npos, run.out.find("nested past depth 32"));
}

TEST_F(QvnfCommandsTest, DumpShowsOneBlocksData) {
  const struct {
    std::string args;
    int status;
    std::string out;  // the whole output, or a part of it after '~'
  } cases[] = {
      {"--block Inner1", 0,
       "# Inner1 at 202, version 1: 4 data bytes at 218\n"
       "000000da: 61 62 63 64                                      abcd\n"},
      {"--at 238 --as f64", 0,
       "# Deep at 238, version 3: 8 data bytes at 254\n000000fe: 2.5\n"},
      {"--at 0xee --as i32", 0, "~000000fe: 0\n00000102: 1074003968\n"},
      {"--block Inner1 --as text", 0, "~abcd\n"},
      {"--at 262", 0, "# WyNULL at 262, version 0: 0 data bytes at 278\n"},
      {"--block Outer --as f64", 0, "~# 4 bytes left over\n"},
      {"--block ColorTable --as u32", 0, "~# ColorTab at 121"},
      {"--block Nope", 1, "~no block named Nope"},
      {"--at 203", 1, "~no block at 203"},
      {"--at 12x", 2, ""},
      {"--block Outer --at 186", 2, ""},
      {"", 2, ""},
      {"--block Outer --as words", 2, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const CmdResult run = Qvnf("dump " + path + " " + c.args);
    EXPECT_EQ(c.status, run.status) << run.out;
    if (!c.out.empty() && c.out[0] == '~') {
      EXPECT_NE(std::string::npos, run.out.find(c.out.substr(1))) << run.out;
    } else if (!c.out.empty()) {
      EXPECT_EQ(c.out, run.out);
    }
  }
  const json j = json::parse(Qvnf("dump --json " + path + " --at 238").out);
  EXPECT_EQ("0000000000000440", j["hex"]);
  EXPECT_EQ(254, j["data_address"]);
}

TEST_F(QvnfCommandsTest, DumpReadsTheFilesByteOrder) {
  // A big-endian file: order byte 1, every 4-byte value reversed, and one
  // block holding the int -2 and the float 1.5 most-significant first.
  Bytes b(bytes.begin(), bytes.begin() + 121);
  b[16] = 1;
  std::reverse(b.begin() + 8, b.begin() + 12);
  std::reverse(b.begin() + 12, b.begin() + 16);
  const unsigned char block[] = {'V', 'a', 'l', 's', 0,    0,    0, 0,
                                 0,   0,   0,   145, 0,    0,    0, 7,
                                 255, 255, 255, 254, 0x3f, 0xc0, 0, 0};
  b.insert(b.end(), std::begin(block), std::end(block));
  const std::string p = Save(b);
  EXPECT_EQ(0, Qvnf("check " + p).status);
  const CmdResult ints = Qvnf("dump " + p + " --block Vals --as i32");
  EXPECT_NE(std::string::npos, ints.out.find("00000089: -2\n")) << ints.out;
  const CmdResult floats = Qvnf("dump " + p + " --block Vals --as f32");
  EXPECT_NE(std::string::npos, floats.out.find("0000008d: 1.5\n"))
      << floats.out;
}

TEST_F(QvnfCommandsTest, DiffNamesWhatDiffers) {
  const struct {
    std::function<void(Bytes&)> change;
    int status;
    std::string line;
    long lines;  // only what differs is named
  } cases[] = {
      {[](Bytes&) {}, 0, "the same", 1},
      {[](Bytes& b) { PatchLe32(b, 186 + 12, 20260102); }, 1,
       "Outer #1 (at 186 | 186): version 20260101 | 20260102\n", 1},
      {[](Bytes& b) { b[141] = 0x40; }, 1,
       "ColorTab #1 (at 121 | 121): data first difference at offset 4: "
       "3f 00 00 00 00 00 00 00 | 40 00 00 00 00 00 00 00\n",
       1},
      {[](Bytes& b) { b.resize(278); }, 1, ": ColorTab #2 at 278\n", 1},
      {[](Bytes& b) { b[28] = 'u'; }, 1, "header short_text: test | tesu\n", 1},
      // The walk of the second file stops there: its last table is lost.
      {[](Bytes& b) { PatchLe32(b, 186 + 8, 0); }, 1,
       "Outer #1 (at 186 | 186): damage sound | never completed", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Bytes b = bytes;
    c.change(b);
    const CmdResult run = Qvnf("diff " + path + " " + Save(b));
    EXPECT_EQ(c.status, run.status);
    EXPECT_NE(std::string::npos, run.out.find(c.line)) << run.out;
    EXPECT_EQ(c.lines, std::count(run.out.begin(), run.out.end(), '\n'));
  }
  Bytes b = bytes;
  b[141] = 0x40;
  const json j = json::parse(Qvnf("diff --json " + path + " " + Save(b)).out);
  EXPECT_EQ(false, j["same"]);
  ASSERT_EQ(1u, j["changed"].size());
  EXPECT_EQ(4, j["changed"][0]["first_difference"]);
  EXPECT_TRUE(j["only_in_a"].empty() && j["header"].empty());
  EXPECT_EQ(2, Qvnf("diff " + path + " " + Save(Bytes(300, 'x'))).status);
  EXPECT_EQ(2, Qvnf("diff " + path + " " + dir.File("missing")).status);
  EXPECT_EQ(2, Qvnf("diff " + path).status);
}

TEST_F(QvnfCommandsTest, SalvageKeepsWhatCanBeRecovered) {
  auto end = [](std::size_t block, std::int32_t v) {
    return [=](Bytes& b) { PatchLe32(b, block + 8, v); };
  };
  const struct {
    const char* what;
    std::function<void(Bytes&)> damage;
    int status;
    std::string actions;
    std::size_t outSize;
    bool sameAsSound;  // the output is the undamaged file
  } cases[] = {
      {"sound", [](Bytes&) {}, 0,
       "kept 0 WyNF|kept 121 ColorTab|kept 186 Outer|kept 278 ColorTab", 311,
       true},
      {"chain broken in the middle",
       [](Bytes& b) { std::fill_n(b.begin() + 186, 16, 0xee); }, 1,
       "kept 0 WyNF|kept 121 ColorTab|dropped 186 -|kept 202 Inner1|"
       "kept 222 Inner2|dropped 262 WyNULL|kept 278 ColorTab",
       311, false},
      {"end address past the file", end(186, 99999), 1,
       "kept 0 WyNF|kept 121 ColorTab|repaired 186 Outer|kept 278 ColorTab",
       311, true},
      {"colour table never completed", end(121, 0), 1,
       "kept 0 WyNF|repaired 121 ColorTab|kept 186 Outer|kept 278 ColorTab",
       311, true},
      {"cyclic chain", end(186, 121), 1,
       "kept 0 WyNF|kept 121 ColorTab|repaired 186 Outer|kept 278 ColorTab",
       311, true},
      {"cut off", [](Bytes& b) { b.resize(300); }, 1,
       "kept 0 WyNF|kept 121 ColorTab|kept 186 Outer|dropped 278 ColorTab", 278,
       false},
      {"header gone", [](Bytes& b) { std::fill_n(b.begin(), 16, 0); }, 1,
       "repaired 0 WyNF|kept 121 ColorTab|kept 186 Outer|kept 278 ColorTab",
       311, false},
      {"five bytes slipped in before Outer",
       [](Bytes& b) {
         for (std::size_t at : {186, 202, 222, 238, 278})  // ends below 64K
           PatchLe32(b, at + 8, b[at + 8] + 256 * b[at + 9] + 5);
         b.insert(b.begin() + 186, 5, 0xee);
       },
       1,
       "kept 0 WyNF|kept 121 ColorTab|dropped 186 -|repaired 191 Outer|"
       "repaired 283 ColorTab",
       311, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes b = bytes;
    c.damage(b);
    const std::string in = Save(b), out = dir.File("out.qnf");
    const CmdResult run = Qvnf("salvage " + in + " " + out);
    EXPECT_EQ(c.status, run.status) << run.out;
    EXPECT_EQ(c.actions, Actions(run.out)) << run.out;
    EXPECT_EQ(b, qvtest::ReadAll(in));  // the input is never written
    const Bytes got = qvtest::ReadAll(out);
    EXPECT_EQ(c.outSize, got.size());
    if (c.sameAsSound) {
      EXPECT_EQ(bytes, got);
    }
    EXPECT_EQ(0, Qvnf("check " + out).status) << Qvnf("check " + out).out;
    EXPECT_TRUE(QvColorTable().ReadNF(out.c_str()));
  }
}

TEST_F(QvnfCommandsTest, SalvageNeverWritesOverItsInput) {
  const std::string out = dir.File("out.qnf");
  ASSERT_TRUE(qvtest::WriteAll(out, "old"));
  const std::string spelled = dir.Path() + "/./nested.qnf";
  const struct {
    std::string args;
    int status;
  } cases[] = {
      {path + " " + path, 2},
      {path + " " + spelled, 2},
      {dir.File("missing") + " " + out, 2},
      {path + " " + dir.File("no/such/dir.qnf"), 2},
      {path, 2},
      {path + " " + out, 0},  // replaces the old file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    EXPECT_EQ(c.status, Qvnf("salvage " + c.args).status);
    EXPECT_EQ(bytes, qvtest::ReadAll(path));
  }
  EXPECT_EQ(bytes, qvtest::ReadAll(out));
  // Nothing but the input and the output is left in the folder.
  EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(dir.Path()),
                             std::filesystem::directory_iterator()));
  const json j = json::parse(Qvnf("salvage --json " + path + " " + out).out);
  EXPECT_EQ(true, j["sound"]);
  EXPECT_EQ("kept", j["entries"][2]["action"]);
  EXPECT_EQ(0, Qvnf("salvage --help").status);
}

}  // namespace
