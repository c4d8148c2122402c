#include "support/TempDir.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace qvtest {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  std::error_code ec;
  fs::path p;
  do {
    p = fs::temp_directory_path() /
        ("qvtest-" + std::to_string(rd()) + "-" + std::to_string(counter++));
  } while (!fs::create_directory(p, ec));
  m_Path = p.string();
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(m_Path, ec);
}

std::string TempDir::File(const std::string& name) const {
  return (fs::path(m_Path) / name).string();
}

std::vector<unsigned char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteAll(const std::string& path, const void* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

}  // namespace qvtest
