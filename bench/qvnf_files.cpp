// Makes the neutral files that bench/qvnf-bench.sh runs qvnf on, written
// with the library itself, into the folder given as the first argument:
//
//   chain-1e4/1e5/1e6.qnf  that many top-level blocks of 24 bytes
//   nest.qnf               one block holding 1400 lists of 1000 blocks
//   deep-1e4/1e5.qnf       blocks nested that many levels deep
//   floats.qnf             8 blocks of 63.7 million floats, 1.90 GiB
//
// and beside each file F.qnf a copy F-b.qnf with one data byte changed in
// its middle block. Prints one line per file: its name and the address of
// its last top-level block. A second argument "small" leaves out the big
// float file.
#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kNames[] = {"Point", "Edge", "Face", "Normal"};

struct Made {
  std::int32_t last = -1;    // address of the last top-level block
  std::int32_t middle = -1;  // a data byte of the middle top-level block
};

bool Fail(const std::string& what) {
  std::fprintf(stderr, "qvnf_files: %s\n", what.c_str());
  return false;
}

bool Chain(QvNeutralFile& nf, int count, Made& m) {
  for (int i = 0; i < count; ++i) {
    const std::int32_t at = nf.WriteIdBlock(kNames[i % 4], 20260101);
    if (at < 0 || !nf.WriteDouble(0.5 * i) || !nf.UpdateIdBlock(at))
      return false;
    m.last = at;
    if (i == count / 2) m.middle = at + 20;
  }
  return true;
}

bool Nest(QvNeutralFile& nf, Made& m) {
  const std::int32_t model = nf.WriteIdBlock("Model", 20260101);
  for (int part = 0; part < 1400 && model >= 0; ++part) {
    const std::int32_t p = nf.WriteIdBlock("Part", 1);
    for (int i = 0; i < 1000; ++i) {
      const std::int32_t at = nf.WriteIdBlock("Pt", 1);
      if (at < 0 || !nf.WriteDouble(i) || !nf.UpdateIdBlock(at)) return false;
      if (part == 700 && i == 500) m.middle = at + 20;
    }
    if (p < 0 || !nf.WriteNullIdBlock() || !nf.UpdateIdBlock(p)) return false;
  }
  m.last = model;
  return model >= 0 && nf.WriteNullIdBlock() && nf.UpdateIdBlock(model);
}

bool Deep(QvNeutralFile& nf, int depth, Made& m) {
  std::vector<std::int32_t> open;
  for (int i = 0; i < depth; ++i) {
    open.push_back(nf.WriteIdBlock(("L" + std::to_string(i)).c_str(), 1));
    if (open.back() < 0) return false;
  }
  if (!nf.WriteDouble(2.5)) return false;
  for (auto it = open.rbegin(); it != open.rend(); ++it)
    if (!nf.UpdateIdBlock(*it)) return false;
  m.last = open.front();
  m.middle = open.back() + 20;
  return true;
}

bool Floats(QvNeutralFile& nf, Made& m) {
  constexpr int kBlocks = 8, kCount = 63700000, kPiece = 1 << 20;
  const char* const names[kBlocks] = {"Vertices", "Normals", "Uvs",
                                      "Colors",   "Weights", "Tangents",
                                      "Extra",    "LastObj"};
  std::vector<float> piece(kPiece);
  for (int b = 0; b < kBlocks; ++b) {
    const std::int32_t at = nf.WriteIdBlock(names[b], 20260101);
    if (at < 0) return false;
    for (int done = 0; done < kCount; done += kPiece) {
      const int n = kCount - done < kPiece ? kCount - done : kPiece;
      for (int i = 0; i < n; ++i)
        piece[i] = static_cast<float>((done + i) % 1000003) * 0.25f + b;
      if (!nf.WriteFloat(piece.data(), n)) return false;
    }
    if (!nf.UpdateIdBlock(at)) return false;
    m.last = at;
    if (b == kBlocks / 2) m.middle = at + 16 + 1000;
  }
  return true;
}

// Copies from to to with the byte at offset `at` changed.
bool CopyChanged(const std::string& from, const std::string& to,
                 std::int32_t at) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  std::FILE* out = std::fopen(to.c_str(), "wb");
  bool ok = in != nullptr && out != nullptr;
  std::vector<char> buf(1 << 20);
  for (std::int64_t pos = 0; ok;) {
    const std::size_t n = std::fread(buf.data(), 1, buf.size(), in);
    if (n == 0) break;
    if (at >= pos && at < pos + static_cast<std::int64_t>(n))
      buf[static_cast<std::size_t>(at - pos)] ^= 0x5a;
    ok = std::fwrite(buf.data(), 1, n, out) == n;
    pos += static_cast<std::int64_t>(n);
  }
  if (in != nullptr) ok = std::fclose(in) == 0 && ok;
  if (out != nullptr) ok = std::fclose(out) == 0 && ok;
  return ok;
}

template <typename Write>
bool Make(const std::string& dir, const char* name, Write write) {
  const std::string path = dir + "/" + name + ".qnf";
  Made m;
  QvNeutralFile nf;
  if (!nf.OpenToWrite(path.c_str()) || !nf.WriteHeader("bench", name) ||
      !write(nf, m) || !nf.CloseFile())
    return Fail("cannot write " + path);
  if (!CopyChanged(path, dir + "/" + name + "-b.qnf", m.middle))
    return Fail("cannot copy " + path);
  std::printf("%s %d\n", name, m.last);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qvnf_files FOLDER [small]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const bool small = argc > 2 && std::strcmp(argv[2], "small") == 0;
  bool ok = true;
  for (int count : {10000, 100000, 1000000}) {
    const std::string name = count == 10000    ? "chain-1e4"
                             : count == 100000 ? "chain-1e5"
                                               : "chain-1e6";
    ok = ok && Make(dir, name.c_str(), [count](QvNeutralFile& nf, Made& m) {
           return Chain(nf, count, m);
         });
  }
  ok = ok && Make(dir, "nest", Nest);
  for (int depth : {10000, 100000})
    ok = ok && Make(dir, depth == 10000 ? "deep-1e4" : "deep-1e5",
                    [depth](QvNeutralFile& nf, Made& m) {
                      return Deep(nf, depth, m);
                    });
  if (!small) ok = ok && Make(dir, "floats", Floats);
  return ok ? 0 : 1;
}
