// The neutral file opened on arbitrary bytes: header, block scans, the
// colour table, both byte orders and a bounded memory buffer.
#include <QvBase/QvColorTable.h>
#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzUtil.h"

namespace {

const char* const kNames[] = {"ColorTab", "ColorTable", "WyNULL", "WyNF",
                              "Part"};

std::int32_t Position(const QvNeutralFile& f) {
  std::int32_t pos = -1;
  f.GetFilePosition(pos);
  return pos;
}

// A scan that succeeds stands at the data of a block with the wanted name.
void CheckScan(QvNeutralFile& f, const char* name) {
  QvNeutralFile::IdBlock block;
  if (!f.ScanIdBlock(name, block)) return;
  QV_FUZZ_CHECK(std::strncmp(block.m_Name, name, 8) == 0);
  QV_FUZZ_CHECK(Position(f) == block.m_Address + 16);
}

std::vector<std::vector<float>> Colors(QvColorTable& t) {
  std::vector<std::vector<float>> out;
  float c[4];
  for (int id = 0; t.GetColor(id, c); ++id) out.emplace_back(c, c + 4);
  return out;
}

bool SameBits(const std::vector<std::vector<float>>& a,
              const std::vector<std::vector<float>>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::memcmp(a[i].data(), b[i].data(), 4 * sizeof(float)) != 0)
      return false;
  return true;
}

// A table that loads is written to a new file and must read back the same
// colours, bit for bit. A load whose scan failed leaves the position as it
// was.
void CheckColorTable(QvNeutralFile& f, std::int32_t from) {
  if (!f.GoToFilePosition(from)) return;
  QvNeutralFile::IdBlock block;
  const bool found = f.ScanIdBlock("ColorTable", block);
  f.GoToFilePosition(from);
  QvColorTable table;
  if (!table.LoadColorTable(f)) {
    if (!found) QV_FUZZ_CHECK(Position(f) == from);
    return;
  }
  const auto colors = Colors(table);
  const std::string& path = qvfuzz::ScratchPath(1);
  {
    QvNeutralFile out;
    QV_FUZZ_CHECK(out.OpenToWrite(path.c_str()));
    QV_FUZZ_CHECK(out.WriteHeader("fuzz", "fuzz"));
    QV_FUZZ_CHECK(table.WriteColorTable(out));
  }
  QvNeutralFile in;
  QV_FUZZ_CHECK(in.OpenToRead(path.c_str()));
  QvColorTable again;
  QV_FUZZ_CHECK(again.LoadColorTable(in));
  QV_FUZZ_CHECK(SameBits(colors, Colors(again)));
}

void ReadValues(QvNeutralFile& f) {
  unsigned int u = 0;
  std::int32_t l[3] = {};
  double d[2] = {};
  float fl[3] = {};
  char text[17];
  bool b = false;
  unsigned char c = 0;
  f.ReadUInt(u);
  f.ReadLong(l, 3);
  f.ReadDouble(d, 2);
  f.ReadFloat(fl, 3);
  if (f.ReadString(text, 16)) QV_FUZZ_CHECK(text[16] == '\0');
  f.ReadBool(&b);
  f.ReadWyBOOL(&c);
}

// The same bytes through a buffer of known size: nothing moves past it.
void CheckBuffer(const std::string& bytes, std::size_t cut) {
  std::vector<char> buf(bytes.begin(), bytes.end());
  const std::size_t capacity = cut % (buf.size() + 1);
  QvNeutralFile f;
  f.SetBuf(buf.data(), capacity);
  for (const char* name : kNames) {
    QvNeutralFile::IdBlock block;
    if (f.ScanIdBlock(name, block))
      QV_FUZZ_CHECK(std::strncmp(block.m_Name, name, 8) == 0);
    QV_FUZZ_CHECK(static_cast<std::size_t>(f.BufSize()) <= capacity);
  }
  f.SetBuf(buf.data(), capacity);
  for (int i = 0; i < 4; ++i) ReadValues(f);
  QV_FUZZ_CHECK(static_cast<std::size_t>(f.BufSize()) <= capacity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string& path = qvfuzz::WriteScratch(0, bytes);
  CheckBuffer(bytes, size > 0 ? data[size - 1] * 7u : 0);

  QvNeutralFile f;
  if (!f.OpenToRead(path.c_str())) return 0;
  char date[9], shortText[17], longText[81];
  if (f.ReadHeader(date, shortText, longText)) {
    QV_FUZZ_CHECK(std::strlen(date) <= 8 && std::strlen(shortText) <= 16 &&
                  std::strlen(longText) <= 80);
  }
  // First with the order the file gives, then with each order forced.
  for (int pass = 0; pass < 3; ++pass) {
    if (pass > 0) f.SetL2R(pass == 1);
    for (const char* name : kNames) {
      if (!f.GoToFilePosition(121)) continue;
      CheckScan(f, name);
      ReadValues(f);
    }
    CheckColorTable(f, 121);
    CheckColorTable(f, 0);
  }
  return 0;
}
