// A million small objects in one neutral file, each its own block (an int
// and a float), beside the plain C library doing the same amount of work:
//   writing through one open file (OpenToWrite, WriteNF per object)
//                                   vs one fwrite of the same bytes
//   the same saved safely (OpenToReplace ... Commit)
//                                   vs fwrite, fflush, fsync and rename
//   ReadNF(path) of the last object, and of a name that is not there
//                                   vs reading the whole file (cat)
// Files are temporary and page-cached: the figures are the library's cost.
#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvWritableObj.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

constexpr int kObjects = 1000000;
constexpr std::size_t kObjectBytes = 16 + 8;  // id block, int, float

// One small model object; the last one stored gets a name of its own.
class Small : public QvWritableObj {
 public:
  Small(int i, const char* name = "Small") : m_I(i), m_Name(name) {}
  const char* IdString() const override { return m_Name; }
  unsigned int Version() const override { return 20260101; }
  bool WriteDataBlock(QvNeutralFile& f) const override {
    return f.WriteInt(m_I) && f.WriteFloat(static_cast<float>(m_I) * 0.5f);
  }
  bool ReadDataBlock(QvNeutralFile& f, unsigned int) override {
    float x = 0;
    return f.ReadInt(&m_I, 1) && f.ReadFloat(&x, 1);
  }
  int m_I;

 private:
  const char* m_Name;
};

std::string TempPath(const char* name) {
  return (fs::temp_directory_path() /
          (std::string(name) + "-" + std::to_string(std::random_device{}())))
      .string();
}

struct Removed {
  std::string path;
  ~Removed() {
    std::error_code ec;
    fs::remove(path, ec);
  }
};

bool StoreAll(QvNeutralFile& nf) {
  bool ok = nf.WriteHeader("objects", "a million small objects");
  for (int i = 0; i < kObjects && ok; ++i)
    ok = Small(i, i + 1 == kObjects ? "LastObj" : "Small").WriteNF(nf);
  return ok;
}

// The bytes the library writes, made once, for the baselines.
const std::vector<char>& Image() {
  static const std::vector<char> image = [] {
    const Removed file{TempPath("qv-objects-image")};
    QvNeutralFile nf;
    if (!nf.OpenToWrite(file.path.c_str()) || !StoreAll(nf)) std::abort();
    nf.CloseFile();
    std::vector<char> bytes(fs::file_size(file.path));
    std::FILE* in = std::fopen(file.path.c_str(), "rb");
    if (std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size())
      std::abort();
    std::fclose(in);
    return bytes;
  }();
  return image;
}

void Finish(benchmark::State& state, bool ok) {
  if (!ok) state.SkipWithError("failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(Image().size()));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                          kObjects);
}

void BM_FwriteImage(benchmark::State& state) {
  const std::vector<char>& image = Image();
  const Removed file{TempPath("qv-objects-raw")};
  bool ok = true;
  for (auto _ : state) {
    std::FILE* f = std::fopen(file.path.c_str(), "wb");
    ok &= f != nullptr &&
          std::fwrite(image.data(), 1, image.size(), f) == image.size();
    ok &= f != nullptr && std::fclose(f) == 0;
  }
  Finish(state, ok);
}
BENCHMARK(BM_FwriteImage)->Unit(benchmark::kMillisecond);

void BM_WriteObjects(benchmark::State& state) {
  Image();
  const Removed file{TempPath("qv-objects")};
  bool ok = true;
  for (auto _ : state) {
    QvNeutralFile nf;
    ok &= nf.OpenToWrite(file.path.c_str()) && StoreAll(nf);
  }
  Finish(state, ok && fs::file_size(file.path) == Image().size());
}
BENCHMARK(BM_WriteObjects)->Unit(benchmark::kMillisecond);

#if !defined(_WIN32)
// The safe save's baseline: the same bytes to a new file beside the
// target, forced to storage, renamed over it.
void BM_FwriteSyncRename(benchmark::State& state) {
  const std::vector<char>& image = Image();
  const Removed file{TempPath("qv-objects-raw")};
  const std::string temp = file.path + ".tmp";
  bool ok = true;
  for (auto _ : state) {
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    ok &= f != nullptr &&
          std::fwrite(image.data(), 1, image.size(), f) == image.size() &&
          std::fflush(f) == 0 && fsync(fileno(f)) == 0;
    ok &= f != nullptr && std::fclose(f) == 0 &&
          std::rename(temp.c_str(), file.path.c_str()) == 0;
  }
  Finish(state, ok);
}
BENCHMARK(BM_FwriteSyncRename)->Unit(benchmark::kMillisecond);
#endif

void BM_SaveObjects(benchmark::State& state) {
  Image();
  const Removed file{TempPath("qv-objects")};
  bool ok = true;
  for (auto _ : state) {
    QvNeutralFile nf;
    ok &= nf.OpenToReplace(file.path.c_str()) && StoreAll(nf) && nf.Commit();
  }
  Finish(state, ok && fs::file_size(file.path) == Image().size());
}
BENCHMARK(BM_SaveObjects)->Unit(benchmark::kMillisecond);

// The stored file, for the reading cases.
const std::string& StoredFile() {
  static const Removed file = [] {
    Removed f{TempPath("qv-objects-stored")};
    QvNeutralFile nf;
    if (!nf.OpenToWrite(f.path.c_str()) || !StoreAll(nf)) std::abort();
    return f;
  }();
  return file.path;
}

void BM_CatFile(benchmark::State& state) {
  const std::string& path = StoredFile();
  std::vector<char> chunk(128 * 1024);
  std::size_t total = 0;
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::setvbuf(f, nullptr, _IONBF, 0);
    total = 0;
    for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), f)) > 0;)
      total += n;
    std::fclose(f);
  }
  Finish(state, total == fs::file_size(path));
}
BENCHMARK(BM_CatFile)->Unit(benchmark::kMillisecond);

// range(0): 1 finds the last object, 0 looks for a name that is not there.
void BM_ReadNF(benchmark::State& state) {
  const std::string& path = StoredFile();
  const bool last = state.range(0) != 0;
  Small object(-1, last ? "LastObj" : "Missing");
  bool found = false;
  for (auto _ : state) found = object.ReadNF(path.c_str());
  Finish(state, found == last && (!last || object.m_I == kObjects - 1));
}
BENCHMARK(BM_ReadNF)->ArgName("last")->Arg(1)->Arg(0)->Unit(
    benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
