// The qvnf inspector on a file with nested blocks, on copies of it damaged
// in known ways and on a byte-reversed file: its exact listings, exit
// status and JSON.
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include <QvBase/QvColorTable.h>
#include <QvBase/QvNeutralFile.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

using nlohmann::json;
using Bytes = std::vector<unsigned char>;

// A run of qvnf: its arguments, exit status and output, and shell words
// before it (a pipe, limits).
struct QvnfRun {
  std::string args;
  int status;
  std::string out;
  std::string before = {};
};

// Runs qvnf with the arguments; stderr is folded into the output.
QvnfRun Qvnf(const std::string& args, const std::string& before = "") {
#if defined(_WIN32)
  // The cases with a shell prefix (a POSIX shell's) skip on Windows.
  static_cast<void>(before);
  // qvnf sits beside the test program; cmd.exe takes off the outer quotes.
  char self[MAX_PATH];
  const std::string exe(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  const std::string cmd = "\"\"" + exe.substr(0, exe.find_last_of("\\/") + 1) +
                          QVNF_EXE + "\" " + args + " 2>&1\"";
  std::FILE* p = _popen(cmd.c_str(), "rb");
#else
  // A cross build runs qvnf through the same emulator as the tests.
  const std::string cmd =
      before + QVNF_RUNNER + QVNF_EXE + " " + args + " 2>&1";
  std::FILE* p = popen(cmd.c_str(), "r");
#endif
  QvnfRun r{args, -1, {}};
  if (p == nullptr) return r;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
    r.out.append(buf, n);
#if defined(_WIN32)
  r.status = _pclose(p);
  // The console's text mode ends lines with CRLF; compare the lines.
  r.out.erase(std::remove(r.out.begin(), r.out.end(), '\r'), r.out.end());
#else
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
#endif
  return r;
}

std::int32_t Le32(const Bytes& b, std::size_t at) {
  std::uint32_t v = 0;
  for (unsigned i = 0; i < 4; ++i) v |= std::uint32_t{b.at(at + i)} << (8 * i);
  return static_cast<std::int32_t>(v);
}

void PatchLe32(Bytes& b, std::size_t at, std::int32_t v) {
  for (unsigned i = 0; i < 4; ++i)
    b.at(at + i) =
        static_cast<unsigned char>(static_cast<std::uint32_t>(v) >> (8 * i));
}

// Damages: the 4-byte value at `at` set to v; the end address of the
// block at `block` set to v; the file cut to n bytes; byte `at` set to v;
// two in turn.
using Damage = std::function<void(Bytes&)>;
Damage Word(std::size_t at, std::int32_t v) {
  return [=](Bytes& b) { PatchLe32(b, at, v); };
}
Damage End(std::size_t block, std::int32_t v) {
  return Word(block + 8, v);
}
Damage Cut(std::size_t n) {
  return [=](Bytes& b) { b.resize(n); };
}
Damage Set(std::size_t at, unsigned char v) {
  return [=](Bytes& b) { b[at] = v; };
}
Damage Both(Damage a, Damage b) {
  return [=](Bytes& x) { a(x), b(x); };
}

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

const char kColors[] =
    "colour table at 121, version 20010104 (2001-01-04): 2 colours\n"
    "    0: r 1  g 0  b 0  a 1\n"
    "    1: r 0  g 0  b 1  a 0.5\n";

class QvnfTest : public testing::Test {
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
  // A header and depth blocks L0, L1, ... each nested in the one before,
  // all ending where an empty colour table begins.
  Bytes Nest(int depth) {
    const std::string p = dir.File("nest.qnf");
    QvNeutralFile nf;
    std::vector<std::int32_t> open;
    EXPECT_TRUE(nf.OpenToWrite(p.c_str()) && nf.WriteHeader("", ""));
    for (int i = 0; i < depth; ++i)
      open.push_back(nf.WriteIdBlock(("L" + std::to_string(i)).c_str(), 1));
    for (auto it = open.rbegin(); it != open.rend(); ++it)
      EXPECT_TRUE(nf.UpdateIdBlock(*it));
    EXPECT_TRUE(QvColorTable().WriteNF(nf) && nf.CloseFile());
    return qvtest::ReadAll(p);
  }
  // Saves b, changed by damage, to a new file.
  std::string Save(Bytes b, const Damage& damage = {}) {
    if (damage) damage(b);
    const std::string p = dir.File("f" + std::to_string(++n) + ".qnf");
    EXPECT_TRUE(qvtest::WriteAll(p, b.data(), b.size()));
    return p;
  }
  // Salvages b: the exit status and actions; the input is left as it
  // was, and the output, which it returns, is sound (and, with `colours`,
  // holds a colour table that reads).
  Bytes Salvaged(const Bytes& b, int status, const std::string& actions,
                 bool colours = true) {
    const std::string in = Save(b), out = dir.File("out.qnf");
    const QvnfRun run = Qvnf("salvage " + in + " " + out);
    EXPECT_EQ(status, run.status) << run.out;
    EXPECT_EQ(actions, Actions(run.out)) << run.out;
    EXPECT_EQ(b, qvtest::ReadAll(in));
    const QvnfRun check = Qvnf("check " + out);
    EXPECT_EQ(0, check.status) << check.out;
    EXPECT_TRUE(!colours || QvColorTable().ReadNF(out.c_str()));
    return qvtest::ReadAll(out);
  }
  // Runs each row; out is the whole output (a raw string starts after its
  // first newline), a part of it after '~', a text it lacks after '!', a
  // JSON object of pointers into the JSON output and the values there
  // (null: nothing there), or "" for any output.
  void ExpectOutputs(const std::vector<QvnfRun>& cases) {
    for (const QvnfRun& c : cases) {
      SCOPED_TRACE(c.args);
      const QvnfRun run = Qvnf(c.args, c.before);
      EXPECT_EQ(c.status, run.status) << run.out;
      if (c.out.empty()) continue;
      const std::string rest = c.out.substr(1);
      if (c.out[0] == '{') {
        // The document, without the line on stderr after an error's.
        const json j = json::parse(run.out.substr(0, run.out.rfind("\n}") + 2),
                                   nullptr, false);
        ASSERT_FALSE(j.is_discarded()) << run.out;
        const json want = json::parse(c.out);
        for (const auto& w : want.items()) {
          const json::json_pointer at(w.key());
          EXPECT_EQ(w.value(), j.contains(at) ? j[at] : json()) << w.key();
        }
      } else if (c.out[0] == '~' || c.out[0] == '!') {
        EXPECT_EQ(c.out[0] == '~', run.out.find(rest) != std::string::npos)
            << run.out;
      } else {
        EXPECT_EQ(c.out[0] == '\n' ? rest : c.out, run.out);
      }
    }
  }
  qvtest::TempDir dir;
  std::string path;
  Bytes bytes;
  int n = 0;
};

// Text and JSON output on the sound file and on bad arguments.
TEST_F(QvnfTest, SoundFileOutputs) {
  const std::string text = Save(Bytes(300, 'x')), same = Save(bytes);
  const std::string missing = dir.File("missing.qnf"), dump = "dump " + path;
  const std::string cut301 = Save(bytes, Cut(301));
  const std::string cut285 = Save(bytes, Cut(285));
  auto diff = [this](Damage change) {
    return "diff " + path + " " + Save(bytes, change);
  };
  ExpectOutputs({
      {"check " + path, 0, path + ": sound (4 blocks)\n"},
      {"blocks " + path, 0, R"(
   address  name      version                        end   data size
         0  WyNF      20000701 (2000-07-01)          121         105
       121  ColorTab  20010104 (2001-01-04)          186          49
       186  Outer     20260101 (2026-01-01)          278          76
       278  ColorTab  20010104 (2001-01-04)          311          17
)"},
      {"colors " + path, 0,
       std::string(kColors) +
           "colour table at 278, version 20010104 (2001-01-04): 0 colours\n"},
      {"tree " + path, 0, R"(
   address  name          version                        end   data size
         0  WyNF          20000701 (2000-07-01)          121         105
       121  ColorTab      20010104 (2001-01-04)          186          49
       186  Outer         20260101 (2026-01-01)          278          76
       202    Inner1      1                              222           4
       222    Inner2      2                              262          24
       238      Deep      3                              262           8
       262    WyNULL      null block
       278  ColorTab      20010104 (2001-01-04)          311          17
)"},
      {dump + " --block Inner1", 0,
       "# Inner1 at 202, version 1: 4 data bytes at 218\n"
       "000000da: 61 62 63 64                                      abcd\n"},
      {dump + " --at 238 --as f64", 0,
       "# Deep at 238, version 3: 8 data bytes at 254\n000000fe: 2.5\n"},
      {dump + " --at 0xee --as i32", 0, "~000000fe: 0\n00000102: 1074003968\n"},
      {dump + " --block Inner1 --as text", 0, "~abcd\n"},
      {dump + " --at 262", 0,
       "# WyNULL at 262, version 0: 0 data bytes at 278\n"},
      {dump + " --block Outer --as f64", 0, "~# 4 bytes left over\n"},
      {dump + " --block ColorTable --as u32", 0, "~# ColorTab at 121"},
      {dump + " --block Nope", 1, "~no block named Nope"},
      {dump + " --at 203", 1, "~no block at 203"},
      {dump + " --at 12x", 2, ""},
      {dump + " --block Outer --at 186", 2, ""},
      {dump, 2, ""},
      {dump + " --block Outer --as words", 2, ""},
      // diff names only what differs.
      {"diff " + path + " " + same, 0, path + " and " + same + ": the same\n"},
      {diff(Word(186 + 12, 20260102)), 1,
       "Outer #1 (at 186 | 186): version 20260101 | 20260102\n"},
      {diff(Set(141, 0x40)), 1,
       "ColorTab #1 (at 121 | 121): data first difference at offset 4: "
       "3f 00 00 00 00 00 00 00 | 40 00 00 00 00 00 00 00\n"},
      {diff(Cut(278)), 1, "only in " + path + ": ColorTab #2 at 278\n"},
      {diff(Set(28, 'u')), 1, "header short_text: test | tesu\n"},
      // The walk of the second file stops there: its last table is lost.
      {diff(End(186, 0)), 1,
       "only in " + path +
           ": ColorTab #2 at 278\nOuter #1 (at 186 | 186): "
           "damage sound | never completed (end address 0)\n"},
      // Damaged copies that differ only past the walk's end still differ.
      {"diff " + cut301 + " " + Save(bytes, Both(Cut(301), Set(296, 'z'))), 1,
       "~ColorTab #2 (at 278 | 278): data to the end of the file first "
       "difference at offset 2: 79 4e 55 4c 4c | 7a 4e 55 4c 4c\n"},
      {"diff " + cut285 + " " + Save(bytes, Both(Cut(285), Set(283, 'U'))), 1,
       "other bytes first differ at offset 283: 54 61 | 55 61\n"},
      {"diff --json " + cut285 + " " + Save(bytes, Cut(284)), 1,
       R"({"/other_difference/offset": 284, "/same": false})"},
      {"diff " + path + " " + text, 2, ""},
      {"diff " + path + " " + missing, 2, ""},
      {"diff " + path, 2, ""},
      {"info " + missing, 2,
       "qvnf: " + missing + ": cannot open: No such file or directory\n"},
      {"check " + dir.Path(), 2, ""},
      {"", 2, ""},
      {"frobnicate " + path, 2, ""},
      {"check --help", 0, "~--json"},
      {"--version", 0, "qvnf " QV_VERSION "\nQvBase " QV_VERSION "\n"},
      {"-V", 0, "qvnf " QV_VERSION "\nQvBase " QV_VERSION "\n"},
      {"salvage --help", 0, ""},
      {"info --json " + path, 0,
       R"({"/byte_order": "little", "/file_size": 311})"},
      {"blocks --json " + Save(bytes, Set(121, 0xff)), 0,
       R"({"/blocks/3/data_size": 17})"},  // a name that is not UTF-8
      {"colors --json " + path, 0, R"({"/color_tables/0/colors/1/3": 0.5})"},
      {"check --json " + Save(bytes, End(121, 0)), 1,
       R"({"/sound": false, "/problems/1": null})"},
      {"tree --json " + path, 0,
       R"({"/blocks/2/children/1/children/0/name": "Deep",
           "/blocks/2/children/2/null": true, "/blocks/3/children": []})"},
      {dump + " --json --at 238", 0,
       R"({"/hex": "0000000000000440", "/data_address": 254})"},
      {diff(Set(141, 0x40)) + " --json", 1,
       R"({"/changed/0/first_difference": 4, "/changed/1": null,
           "/only_in_a": []})"},
      {"salvage --json " + path + " " + dir.File("out.qnf"), 0,
       R"({"/sound": true, "/entries/2/action": "kept"})"},
  });
}

// Each kind of damage is named; big-endian files and deep nesting are read.
TEST_F(QvnfTest, DamagedAndUnusualFiles) {
  const std::string text = Save(Bytes(300, 'x')), tiny = Save(Bytes(10, 0));
  auto check = [this](Damage damage) { return "check " + Save(bytes, damage); };
  // A big-endian file: order byte 1, every 4-byte value of the header and
  // the colour table reversed, and a block holding the int -2 and the
  // float 1.5 most-significant first.
  Bytes b = bytes;
  b[16] = 1;
  for (std::size_t w :
       {8, 12, 129, 133, 178, 182, 138, 142, 146, 150, 154, 158, 162, 166})
    std::reverse(b.begin() + w, b.begin() + w + 4);
  const unsigned char block[] = {'V', 'a', 'l', 's', 0,    0,    0, 0,
                                 0,   0,   0,   210, 0,    0,    0, 7,
                                 255, 255, 255, 254, 0x3f, 0xc0, 0, 0};
  std::copy_n(block, 24, b.begin() + 186);
  b.resize(210);
  const std::string be = Save(b), deep = Save(Nest(40));
  ExpectOutputs({
    {check(End(121, 0)), 1, "~block at 121: never completed"},
        {check(End(121, 5000)), 1,
         "~block at 121: end address 5000 is outside"},
        {check(End(121, -8)), 1, "~block at 121: end address -8 is outside"},
        {check(End(121, 130)), 1,
         "~block at 121: end address 130 points backwards"},
        {check(End(121, 121)), 1, "~leads back to an earlier block (loop)"},
        {check(End(0, 120)), 1, "~header end address is 120"},
        {check([](Bytes& b) {  // last table turned into an open null block
           PatchLe32(b, 278 + 8, 0);
           std::copy_n("WyNULL\0\0", 8, b.begin() + 278);
         }),
         1, "~block at 278: null block at top level"},
        {check(Set(137, 3)), 1, "~count 3 disagrees"},
        {check(Set(170, 'X')), 1, "~lacks its closing null block"},
        {check(Cut(300)), 1, "~block at 278: end address 311 is outside"},
        {check(Cut(100)), 1, "~header cut off"},
        // info and colors tell a cut-off header or table, and exit 1.
        {"info " + Save(bytes, Cut(60)), 1,
         "~problem:     header cut off: file is 60 bytes, a header needs "
         "121\n"},
        {"info --json " + Save(bytes, Cut(60)), 1,
         R"({"/problem": "header cut off: file is 60 bytes, a header needs 121",
           "/header/name": "WyNF", "/header/long_text": ""})"},
        {"colors " + Save(bytes, Cut(300)), 1,
         std::string(kColors) +
             "colour table at 278, version 20010104 (2001-01-04): 0 colours\n"
             "  ! end address 311 is outside the file (size 300)\n"},
        {"colors --json " + Save(bytes, End(186, 0)), 1,
         R"({"/color_tables/1": null, "/problem": "chain broken at 186: never completed (end address 0); no colour table after it is read"})"},
        {"colors " + Save(bytes, Cut(60)), 1, "~no colour table in "},
#if !defined(_WIN32)
        {"blocks " + be + " >/dev/full", 2,
         ""},  // output that cannot be written
#endif
        {"tree " + Save(bytes, End(186, 121)), 1, ""},  // a loop
        {"check " + text, 1,
         "qvnf: " + text + ": not a neutral file (first block is not WyNF)\n"},
        {"blocks " + tiny, 1,
         "qvnf: " + tiny +
             ": truncated: 10 bytes, too short for a neutral file\n"},
        {"check " + be, 0, be + ": sound (3 blocks)\n"},
        {"colors " + be, 0, kColors},
        {"info " + be, 0, "~big-endian (order byte 1)"},
        {"dump " + be + " --block Vals --as i32", 0, "~000000ca: -2\n"},
        {"dump " + be + " --block Vals --as f32", 0, "~000000ce: 1.5\n"},
        {"tree " + deep, 0, "~ L32 "}, {"tree " + deep, 0, "! L33 "},
        {"tree " + deep, 0, "~nested past depth 32"},
  });
}

// The JSON form of each report and each way a command can fail, with
// the parts of the text forms that only damage or odd input reaches.
TEST_F(QvnfTest, JsonFormsAndFailures) {
  const std::string cut285 = Save(bytes, Cut(285));
  const std::string cut301 = Save(bytes, Cut(301));
  const std::string missing = dir.File("missing.qnf"), dump = "dump " + path;
  const std::string escapes = Save(bytes, [](Bytes& b) {
    std::copy_n("\"\\\n\t", 4, b.begin() + 218);  // Inner1's data
  });
  // The last table four bytes longer; the header's short text with other
  // bytes after its zero.
  const std::string longer = Save(bytes, Both(Cut(315), Word(278 + 8, 315)));
  const std::string hidden = Save(bytes, Set(35, 'z'));
  // Eighteen blocks of different names, and the same without the last:
  // chains of more names than a short list keeps.
  std::string many[2];
  for (int k = 0; k < 2; ++k) {
    many[k] = dir.File("many" + std::to_string(k) + ".qnf");
    QvNeutralFile nf;
    ASSERT_TRUE(nf.OpenToWrite(many[k].c_str()) && nf.WriteHeader("", ""));
    for (int i = 0; i < 18 - k; ++i)
      ASSERT_TRUE(nf.UpdateIdBlock(
          nf.WriteIdBlock(("N" + std::to_string(i)).c_str(), 1)));
    ASSERT_TRUE(nf.CloseFile());
  }
  std::string tooDeep = "/blocks/1";
  for (int i = 0; i < 32; ++i) tooDeep += "/children/0";
  const std::string deep = Save(Nest(40)), text = Save(Bytes(300, 'x'));
  const std::string out = " " + dir.File("out.qnf");
  std::vector<QvnfRun> cases = {
      {dump + " --json --at 238 --as f64", 0,
       R"({"/values/0": 2.5, "/left_over": 0, "/as": "f64"})"},
      {dump + " --json --block Inner1 --as i32", 0,
       R"({"/values": [1684234849], "/left_over": 0})"},
      {dump + " --json --block Inner1 --as u32", 0,
       R"({"/values": [1684234849]})"},
      {dump + " --json --block Outer --as f32", 0, R"({"/left_over": 0})"},
      {dump + " --json --at 262", 0, R"({"/hex": "", "/data_size": 0})"},
      {"dump " + escapes + " --at 202 --as text", 0,
       "~\"\\\\\n\t\n"},  // a backslash doubled, the others as they are
      {"dump --json " + escapes + " --at 202 --as text", 0,
       R"({"/text": "\"\\\\\n\t"})"},
      {dump + " --json --block Nope", 1,
       R"({"/error": "no block named Nope"})"},
      {"dump " + Save(bytes, End(186, 0)) + " --at 186", 1,
       "~Outer at 186: its end address 0 gives its data no end"},
      {dump + " --at 0X79", 0, "~# ColorTab at 121"},
      {dump + " --at 12345678901", 2, "~not an address"},
      {dump + " --at 0x80000000", 2, "~not an address"},
      {"dump --json " + missing + " --at 0", 2,
       R"({"/file": )" + json(missing).dump() + "}"},
      {"diff --json " + path + " " + Save(bytes, Set(28, 'u')), 1,
       R"({"/header/0": {"a": "test", "b": "tesu", "field": "short_text"}})"},
      {"diff --json " + path + " " + hidden, 1,
       R"({"/header/0/field": "bytes"})"},
      {"diff " + path + " " + hidden, 1,
       "header bytes: differ at offset 35 | differ at offset 35\n"},
      {"diff --json " + path + " " + Save(bytes, Cut(278)), 1,
       R"({"/only_in_a/0": {"address": 278, "name": "ColorTab",
              "occurrence": 2}, "/only_in_b": []})"},
      {"diff --json " + path + " " + Save(bytes, End(186, 0)), 1,
       R"j({"/changed/0/damage_b": "never completed (end address 0)",
           "/changed/0/damage_a": "sound"})j"},
      {"diff --json " + cut301 + " " +
           Save(bytes, Both(Cut(301), Set(296, 'z'))),
       1,
       R"({"/changed/0/to_end": true, "/changed/0/bytes_b": "7a 4e 55 4c 4c"})"},
      {"diff " + Save(bytes, End(186, 0)) + " " + Save(bytes, End(186, 5000)),
       1,
       "~Outer #1 (at 186 | 186): damage never completed (end address 0) | "
       "end address 5000 is outside the file (size 311)"},
      {"diff " + path + " " + longer, 1,
       "ColorTab #2 (at 278 | 278): data size 17 | 21, first difference at "
       "offset 17: (end) | 00 00 00 00\n"},
      {"diff --json " + many[0] + " " + many[1], 1,
       R"({"/only_in_a/0/name": "N17", "/changed": []})"},
      {"blocks --json " + Save(bytes, End(121, 0)), 1,
       R"({"/blocks/1/mark": "uncompleted", "/blocks/2": null})"},
      {"blocks --json " + Save(bytes, End(121, 130)), 1,
       R"({"/blocks/1/mark": "end-backwards"})"},
      {"blocks --json " + Save(bytes, End(121, 5000)), 1,
       R"({"/blocks/1/mark": "end-out-of-range"})"},
      {"blocks --json " + Save(bytes, End(121, 121)), 1,
       R"({"/blocks/1/mark": "loop"})"},
      {"blocks --json " + cut285, 1,
       R"j({"/blocks/3/mark": "truncated", "/blocks/3/problem":
           "id block cut off by the end of the file (7 bytes left)"})j"},
      {"blocks " + cut285, 1,
       "~       278  ! id block cut off by the end of the file (7 bytes "
       "left)\n"},
      {"tree " + cut285, 1,
       "~       278  ! id block cut off by the end of the file (7 bytes "
       "left)\n"},
      {"tree --json " + Save(bytes, End(186, 0)), 1,
       R"j({"/blocks/2/problem": "never completed (end address 0)"})j"},
      {"tree --json " + deep, 0, "{\"" + tooDeep + "/too_deep\": true}"},
      {"tree --json " + missing, 2,
       R"({"/file": )" + json(missing).dump() + "}"},
      {"check " + Save(bytes, Word(12, 1)), 1,
       "~header version is 1, not 20000701"},
      {"colors " + Save(bytes, Word(121 + 12, 5)), 1,
       "~  ! colour table of unknown version 5\n"},
      {"colors --json " + Save(bytes, Both(Cut(294), Word(278 + 8, 294))), 1,
       R"({"/color_tables/1/problems": ["colour table has no count"]})"},
      {"info --json " + text, 1,
       R"({"/error": )" +
           json(text + ": not a neutral file (first block is not WyNF)")
               .dump() +
           "}"},
      {"salvage --json " + Save(bytes, End(186, 99999)) + out, 1,
       R"({"/sound": false, "/entries/2/note":
           "end address 99999 is outside the file; now 278",
           "/entries/2/action": "repaired", "/out_size": 311})"},
      {"salvage --json " + missing + out, 2,
       R"({"/file": )" + json(missing).dump() + "}"},
      {"salvage " + Save(bytes, Word(8, 120)) + out, 1,
       "~header rebuilt: end address 120, not 121"},
      {"salvage " + Save(bytes, Word(12, 1)) + out, 1,
       "~header rebuilt: version 1, not 20000701"},
      {"salvage " + Save(Bytes(10, 0)) + out, 1,
       "~header rebuilt: cut off at 10 bytes"},
      {"salvage " + text + out, 1, "~header rebuilt: first block is not WyNF"},
  };
#if !defined(_WIN32)
  // A sparse file past 2^31 - 1 bytes, the most an address can reach.
  const std::string large = dir.File("large.qnf");
  ASSERT_TRUE(qvtest::WriteAll(large, "WyNF"));
  std::filesystem::resize_file(large, std::uintmax_t{1} << 31);
  cases.push_back({"info " + large, 1, "~too large for a neutral file"});
  cases.push_back({"salvage " + large + out, 2, ""});
  cases.push_back({"info /dev/stdin", 2,
                   "~cannot find its size (not a regular file?)", "echo x | "});
#endif
  ExpectOutputs(cases);
}

// A damage kind per row, on the nested file or on one of leaf blocks:
// header; an empty ColorTab 121..154; First 154..210, Second 210..266 and
// Third 266..322, each holding five doubles.
TEST_F(QvnfTest, SalvageKeepsWhatCanBeRecovered) {
  const std::string leavesPath = dir.File("leaves.qnf");
  {
    QvNeutralFile nf;
    ASSERT_TRUE(nf.OpenToWrite(leavesPath.c_str()) && nf.WriteHeader("", "") &&
                QvColorTable().WriteNF(nf));
    const double v[5] = {1.5, -2, 0.25, 1e10, 3};
    for (const char* name : {"First", "Second", "Third"}) {
      const std::int32_t at = nf.WriteIdBlock(name, 1);
      ASSERT_TRUE(nf.WriteDouble(v, 5) && nf.UpdateIdBlock(at));
    }
  }
  const Bytes leaves = qvtest::ReadAll(leavesPath);
  ASSERT_EQ(322u, leaves.size());
  const auto noise = [](std::size_t at) {
    return [at](Bytes& b) {
      for (std::size_t i = 0; i < 16; ++i) b[at + i] = 0x80 + 7 * i;
    };
  };
  // b with [from, to) a filler block, and the block at `block` ending at
  // from.
  const auto filled = [](Bytes b, std::size_t block, std::size_t from,
                         std::size_t to) {
    PatchLe32(b, block + 8, static_cast<std::int32_t>(from));
    std::fill(b.begin() + from, b.begin() + to, 0);
    std::copy_n("QvnfFill", 8, b.begin() + from);
    PatchLe32(b, from + 8, static_cast<std::int32_t>(to));
    return b;
  };
  const Bytes cut(leaves.begin(), leaves.begin() + 266);
  const std::string head = "kept 0 WyNF|kept 121 ColorTab|";
  const std::string leafHead = head + "kept 154 First|";
  const struct {
    const char* what;
    const Bytes& base;
    Damage damage;
    int status;
    std::string actions;
    Bytes want;  // the output; empty: any that passes check
  } cases[] = {
      {"sound", bytes, [](Bytes&) {}, 0,
       head + "kept 186 Outer|kept 278 ColorTab", bytes},
      {"id block overwritten after a block whose list bears out its end",
       bytes,
       [](Bytes& b) { std::fill_n(b.begin() + 186, 16, 0xee); },
       1,
       head + "dropped 186 -|kept 202 Inner1|kept 222 Inner2|" +
           "dropped 262 WyNULL|kept 278 ColorTab",
       {}},
      // Nothing in First tells its end address wrong: Second's id block
      // was overwritten, not First's end address.
      {"id block overwritten after a block of data", leaves, noise(210), 1,
       leafHead + "dropped 210 -|kept 266 Third",
       filled(leaves, 154, 210, 266)},
      {"last id block overwritten", leaves, noise(266), 1,
       leafHead + "kept 210 Second|dropped 266 -", cut},
      // Both readings fit an end address moved into the block's own data
      // an id block or more before its end; the one that keeps it wins.
      {"end address into the block's own data", leaves, End(154, 180), 1,
       leafHead + "dropped 180 -|kept 210 Second|kept 266 Third",
       filled(leaves, 154, 180, 210)},
      {"end address into the last id block's worth of its data", leaves,
       End(154, 200), 1,
       head + "repaired 154 First|kept 210 Second|kept 266 Third", leaves},
      {"end address past the file", bytes, End(186, 99999), 1,
       head + "repaired 186 Outer|kept 278 ColorTab", bytes},
      {"colour table never completed", bytes, End(121, 0), 1,
       "kept 0 WyNF|repaired 121 ColorTab|kept 186 Outer|kept 278 ColorTab",
       bytes},
      {"cyclic chain", bytes, End(186, 121), 1,
       head + "repaired 186 Outer|kept 278 ColorTab", bytes},
      {"cut off", bytes, Cut(300), 1,
       head + "kept 186 Outer|dropped 278 ColorTab",
       Bytes(bytes.begin(), bytes.begin() + 278)},
      {"too few bytes at the end for an id block", bytes,
       [](Bytes& b) { b.resize(316, 0xee); }, 1,
       head + "kept 186 Outer|kept 278 ColorTab|dropped 311 -", bytes},
      {"header gone",
       bytes,
       [](Bytes& b) { std::fill_n(b.begin(), 16, 0); },
       1,
       "repaired 0 WyNF|kept 121 ColorTab|kept 186 Outer|kept 278 ColorTab",
       {}},
      {"five bytes slipped in before Outer", bytes,
       [](Bytes& b) {
         for (std::size_t at : {186, 202, 222, 238, 278})  // ends below 64K
           PatchLe32(b, at + 8, b[at + 8] + 256 * b[at + 9] + 5);
         b.insert(b.begin() + 186, 5, 0xee);
       },
       1, head + "dropped 186 -|repaired 191 Outer|repaired 283 ColorTab",
       bytes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes b = c.base;
    c.damage(b);
    const Bytes got = Salvaged(b, c.status, c.actions);
    if (!c.want.empty()) {
      EXPECT_EQ(c.want, got);
    }
  }
}

TEST_F(QvnfTest, SalvageNeverWritesOverItsInput) {
  const std::string out = dir.File("out.qnf"), salvage = "salvage " + path;
  ASSERT_TRUE(qvtest::WriteAll(out, "old"));
  ExpectOutputs({
      {salvage + " " + path, 2, ""},
      {salvage + " " + dir.Path() + "/./nested.qnf", 2, ""},
      {"salvage " + dir.File("missing") + " " + out, 2, ""},
      {salvage + " " + dir.File("no/such/dir.qnf"), 2, ""},
      {salvage, 2, ""},
  });
#if !defined(_WIN32)
  // Writes that fail (a file larger than the limit the shell sets, as on
  // a full disk) leave the old file, and no other.
  qvtest::TempDir inputs;
  const std::string sound = inputs.File("sound.qnf");
  const std::string damaged = inputs.File("damaged.qnf");
  Bytes b = Nest(120);
  std::remove(dir.File("nest.qnf").c_str());  // Nest's own file
  ASSERT_TRUE(qvtest::WriteAll(sound, b.data(), b.size()));
  PatchLe32(b, 121 + 8, 0);
  ASSERT_TRUE(qvtest::WriteAll(damaged, b.data(), b.size()));
  const std::string limit = "trap '' XFSZ; ulimit -f 1; ";
  ExpectOutputs({
      {"salvage " + sound + " " + out, 2, "~: cannot write it: ", limit},
      {"salvage --json " + damaged + " " + out, 2,
       R"({"/out_size": null, "/sound": false, "/entries/1/action":
           "repaired"})",
       limit},
  });
  EXPECT_EQ(Bytes({'o', 'l', 'd'}), qvtest::ReadAll(out));
#endif
  ExpectOutputs({{salvage + " " + out, 0, ""}});  // replaces the old file
  EXPECT_EQ(bytes, qvtest::ReadAll(path));
  EXPECT_EQ(bytes, qvtest::ReadAll(out));
  // Nothing but the input and the output is left in the folder.
  EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(dir.Path()),
                             std::filesystem::directory_iterator()));
}

// Salvage takes no block from data and drops none: three blocks of floats
// whose middle one holds what looks like an id block ending on more
// name-like bytes, its end address broken; a nest 40 deep moved up by 8
// bytes that are no block; the same nest with an inner end address past
// its parent's data, which check finds, and with two.
TEST_F(QvnfTest, SalvageGivesBackEveryBlockWhole) {
  const std::string floats = dir.File("floats.qnf");
  {
    std::vector<float> v(4000);
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = 0.25f * i;
    QvNeutralFile nf;
    ASSERT_TRUE(nf.OpenToWrite(floats.c_str()) && nf.WriteHeader("", ""));
    for (const char* name : {"Vertices", "Vertices", "LastObj"}) {
      const std::int32_t at = nf.WriteIdBlock(name, 1);
      ASSERT_TRUE(nf.WriteFloat(v.data(), 4000) && nf.UpdateIdBlock(at));
    }
  }
  Bytes data = qvtest::ReadAll(floats);
  const std::size_t middle = 121 + 16 + 16000, fake = middle + 1016;
  std::copy_n("CX^\\DX#e", 8, data.begin() + fake);
  PatchLe32(data, fake + 8, static_cast<std::int32_t>(fake + 1000));
  std::copy_n("ABCDEFGH", 8, data.begin() + fake + 1000);
  const Bytes nest = Nest(40);  // L0..L39 from 121 to 761, ColorTab to 794
  Bytes moved = nest;
  for (std::size_t at = 121; at <= 761; at += 16)
    PatchLe32(moved, at + 8, Le32(moved, at + 8) + 8);
  moved.insert(moved.begin() + 121, 8, 0xee);
  const struct {
    Bytes sound, damaged;
    std::string actions;
  } cases[] = {
      {data,
       [&] {
         Bytes b = data;
         PatchLe32(b, middle + 8, 0x7fffffff);
         return b;
       }(),
       "kept 0 WyNF|kept 121 Vertices|repaired 16137 Vertices|"
       "kept 32153 LastObj"},
      {nest, moved,
       "kept 0 WyNF|dropped 121 -|repaired 129 L0|repaired 769 ColorTab"},
      {nest,
       [&] {
         Bytes b = nest;
         PatchLe32(b, 121 + 35 * 16 + 8, 769);
         return b;
       }(),
       "kept 0 WyNF|repaired 121 L0|kept 761 ColorTab"},
      {nest,
       [&] {  // two levels of it
         Bytes b = nest;
         PatchLe32(b, 121 + 35 * 16 + 8, 769);
         PatchLe32(b, 121 + 36 * 16 + 8, 769);
         return b;
       }(),
       "kept 0 WyNF|repaired 121 L0|kept 761 ColorTab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.actions);
    EXPECT_EQ(c.sound, Salvaged(c.damaged, 1, c.actions, false));
  }
  ExpectOutputs({{"check " + Save(cases[2].damaged), 1,
                  "~block at 121: nested block L35 at 681: end address 769 "
                  "lies past its parent's data, which end at 761\n"}});
}

}  // namespace
