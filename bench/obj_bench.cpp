// The OBJ import example (examples/obj_import, written on QvFile,
// QvStdString and the number readers) beside a hand-written importer of
// the same file with fgets and std::from_chars, on a generated OBJ file of
// about 3.3 MB: positions, texture coordinates and normals, faces in all four
// corner forms with some negative indexes, comments, CRLF line ends and a
// few lines longer than 1023 characters. Both must give the same mesh.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "BenchRandom.h"
#include "ObjImport.h"
#include "ObjMesh.h"

namespace {

using qvbench::Mix;

// Writes the test file once and returns its path.
const std::string& ObjPath() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    std::string p = std::string(dir != nullptr ? dir : "/tmp") +
                    "/qv_obj_bench_" + std::to_string(std::rand()) + ".obj";
    std::FILE* f = std::fopen(p.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::uint64_t s = 3;
    auto unit = [&s] { return static_cast<double>(Mix(s) >> 11) * 0x1p-53; };
    constexpr int kVertices = 20000, kFaces = 40000;
    std::fprintf(f, "# generated mesh\nmtllib m.mtl\no part\n");
    for (int i = 0; i < kVertices; ++i) {
      const char* end = i % 4 == 0 ? "\r\n" : "\n";
      std::fprintf(f, "v %.6f %.6f %.6f%s", 200 * unit() - 100,
                   200 * unit() - 100, 50 * unit(), end);
      std::fprintf(f, "vt %.6f %.6f%s", unit(), unit(), end);
      const double a = 6.283 * unit(), z = 2 * unit() - 1;
      const double r = std::sqrt(1 - z * z);
      std::fprintf(f, "vn %.4f %.4f %.4f%s", r * std::cos(a), r * std::sin(a),
                   z, end);
      if (i % 5000 == 0) std::fprintf(f, "# block %d\ng group%d\n", i, i);
    }
    std::fprintf(f, "usemtl steel\ns 1\n");
    for (int i = 0; i < kFaces; ++i) {
      const int form = static_cast<int>(Mix(s) % 4);
      const int n = i % 2000 == 1999 ? 150 : 3 + static_cast<int>(Mix(s) % 2);
      std::fputc('f', f);
      for (int k = 0; k < n; ++k) {
        long long v = 1 + static_cast<long long>(Mix(s) % kVertices);
        if (i % 7 == 0) v -= kVertices + 1;  // relative: -1 is the last
        if (form == 0)
          std::fprintf(f, " %lld", v);
        else if (form == 1)
          std::fprintf(f, " %lld/%lld", v, v);
        else if (form == 2)
          std::fprintf(f, " %lld//%lld", v, v);
        else
          std::fprintf(f, " %lld/%lld/%lld", v, v, v);
      }
      std::fputs(i % 3 == 0 ? "\r\n" : "\n", f);
    }
    std::fclose(f);
    return p;
  }();
  return path;
}

// ---- The hand-written importer ----

const char* SkipBlanks(const char* p) {
  while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
  return p;
}

bool Float(const char*& p, const char* end, float* out) {
  const auto r = std::from_chars(SkipBlanks(p), end, *out);
  p = r.ptr;
  return r.ec == std::errc();
}

bool Index(const char*& p, const char* end, std::size_t have, int* out) {
  int i = 0;
  const auto r = std::from_chars(p, end, i);
  if (r.ec != std::errc() || i == 0) return false;
  p = r.ptr;
  const long long at = i > 0 ? i - 1LL : static_cast<long long>(have) + i;
  if (at < 0 || at >= static_cast<long long>(have)) return false;
  *out = static_cast<int>(at);
  return true;
}

// One line, zero-terminated at end.
bool Line(const char* p, const char* end, ObjMesh& m) {
  p = SkipBlanks(p);
  if (p[0] == 'v' && p[1] == ' ') {
    float x, y, z;
    p += 1;
    if (!Float(p, end, &x) || !Float(p, end, &y) || !Float(p, end, &z))
      return false;
    m.positions.insert(m.positions.end(), {x, y, z});
  } else if (p[0] == 'v' && p[1] == 't' && p[2] == ' ') {
    float u, v;
    p += 2;
    if (!Float(p, end, &u) || !Float(p, end, &v)) return false;
    m.texcoords.insert(m.texcoords.end(), {u, v});
  } else if (p[0] == 'v' && p[1] == 'n' && p[2] == ' ') {
    float x, y, z;
    p += 2;
    if (!Float(p, end, &x) || !Float(p, end, &y) || !Float(p, end, &z))
      return false;
    m.normals.insert(m.normals.end(), {x, y, z});
  } else if (p[0] == 'f' && p[1] == ' ') {
    int corners = 0;
    for (p = SkipBlanks(p + 1); *p != '\0' && *p != '#'; p = SkipBlanks(p)) {
      int v = -1, vt = -1, vn = -1;
      if (!Index(p, end, m.positions.size() / 3, &v)) return false;
      if (*p == '/') {
        ++p;
        if (*p != '/' && !Index(p, end, m.texcoords.size() / 2, &vt))
          return false;
        if (*p == '/' && (++p, !Index(p, end, m.normals.size() / 3, &vn)))
          return false;
      }
      ObjCorner& c = m.corners.emplace_back();
      c.v = v;
      c.vt = vt;
      c.vn = vn;
      ++corners;
    }
    if (corners < 3) return false;
    m.faceSizes.push_back(corners);
  }
  return true;
}

bool ImportByHand(const char* path, ObjMesh& m) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  m.Clear();
  char buf[4096];
  std::string longLine;
  bool ok = true;
  while (ok && std::fgets(buf, sizeof buf, f) != nullptr) {
    const std::size_t n = std::strlen(buf);
    if (n + 1 < sizeof buf || buf[n - 1] == '\n') {
      ok = Line(buf, buf + n, m);
      continue;
    }
    longLine = buf;
    while (std::fgets(buf, sizeof buf, f) != nullptr) {
      longLine += buf;
      if (longLine.back() == '\n') break;
    }
    ok = Line(longLine.c_str(), longLine.c_str() + longLine.size(), m);
  }
  std::fclose(f);
  return ok;
}

// Both importers read the file once before timing and must agree.
const ObjMesh& Reference() {
  static const ObjMesh mesh = [] {
    ObjMesh byHand, byQv;
    std::string error;
    if (!ImportByHand(ObjPath().c_str(), byHand) ||
        !ImportObj(ObjPath().c_str(), byQv, error) || !(byHand == byQv)) {
      std::fprintf(stderr, "the importers disagree: %s\n", error.c_str());
      std::abort();
    }
    return byHand;
  }();
  return mesh;
}

void Count(benchmark::State& state, const ObjMesh& m) {
  std::FILE* f = std::fopen(ObjPath().c_str(), "rb");
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fclose(f);
  state.SetBytesProcessed(state.iterations() * size);
  state.counters["faces"] = static_cast<double>(m.faceSizes.size());
}

void BM_QvObjImport(benchmark::State& state) {
  Reference();
  ObjMesh m;
  std::string error;
  for (auto _ : state)
    if (!ImportObj(ObjPath().c_str(), m, error)) std::abort();
  Count(state, m);
}
BENCHMARK(BM_QvObjImport)->Unit(benchmark::kMillisecond);

void BM_StdObjImport(benchmark::State& state) {
  Reference();
  ObjMesh m;
  for (auto _ : state)
    if (!ImportByHand(ObjPath().c_str(), m)) std::abort();
  Count(state, m);
}
BENCHMARK(BM_StdObjImport)->Unit(benchmark::kMillisecond);

// Storing the imported mesh and reading it back, for scale.
void BM_QvObjStoreAndRead(benchmark::State& state) {
  const std::string qnf = ObjPath() + ".qnf";
  ObjMesh back;
  for (auto _ : state)
    if (!Reference().WriteNF(qnf.c_str()) || !back.ReadNF(qnf.c_str()))
      std::abort();
  std::remove(qnf.c_str());
  Count(state, back);
}
BENCHMARK(BM_QvObjStoreAndRead)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(ObjPath().c_str());
  return 0;
}
