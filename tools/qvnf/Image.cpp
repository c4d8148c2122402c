#include "Image.h"

#include <QvBase/QvNeutralFile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>

namespace qvnf {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Size of an open file, or -1.
std::int64_t FileSize(std::FILE* f) {
  if (std::fseek(f, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(f);
  std::rewind(f);
  return size;
}

// Runs read on a neutral file whose bounded buffer holds exactly the width
// bytes at offset at. The buffer is only read from; SetBuf takes a
// writable pointer because the same buffer serves writes.
template <typename Read>
bool ReadThrough(const View& v, std::int64_t at, std::int64_t width,
                 Read read) {
  if (at < 0 || width > v.size || at > v.size - width) return false;
  QvNeutralFile nf;
  nf.SetL2R(v.l2r);
  nf.SetBuf(const_cast<char*>(reinterpret_cast<const char*>(v.data + at)),
            static_cast<std::size_t>(width));
  return read(nf);
}

bool IsIdNameField(const unsigned char* field) {
  int length = 0;
  while (length < 8 && field[length] != 0) {
    if (field[length] < 0x20 || field[length] > 0x7e) return false;
    ++length;
  }
  for (int i = length; i < 8; ++i)
    if (field[i] != 0) return false;
  return length > 0;
}

}  // namespace

Image LoadImage(const std::string& path) {
  Image image;
  image.path = path;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    image.errorText = "is a directory";
    return image;
  }
  errno = 0;
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    image.errorText = std::strerror(errno);
    return image;
  }
  const std::int64_t size = FileSize(f.get());
  if (size < 0) {
    image.errorText = "cannot find its size (not a regular file?)";
    return image;
  }
  if (size > std::numeric_limits<std::int32_t>::max()) {
    image.status = OpenStatus::TooLarge;
    return image;
  }
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  const std::size_t got =
      bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f.get());
  if (std::ferror(f.get())) {
    image.errorText = "read error";
    return image;
  }
  bytes.resize(got);  // a file that shrank meanwhile is judged as it is now
  return ImageOf(path, std::move(bytes));
}

Image ImageOf(std::string path, std::vector<unsigned char> bytes) {
  Image image;
  image.path = std::move(path);
  image.bytes = std::move(bytes);
  if (image.Size() < kIdBlockSize + 1) {
    image.status = OpenStatus::TooShort;
    return image;
  }
  image.l2r = image.bytes[16] != 0;
  // The name as the library compares it: the stored text up to its zero.
  const bool neutral =
      std::memcmp(image.bytes.data(), "WyNF", 4) == 0 && image.bytes[4] == 0;
  image.status = neutral ? OpenStatus::Ok : OpenStatus::NotNeutral;
  return image;
}

View ViewOf(const Image& image) {
  return View{image.bytes.data(), image.Size(), image.l2r};
}

bool ReadU32(const View& v, std::int64_t at, std::uint32_t& value) {
  unsigned int u = 0;
  if (!ReadThrough(v, at, 4,
                   [&u](QvNeutralFile& nf) { return nf.ReadUInt(u); }))
    return false;
  value = u;
  return true;
}

bool ReadI32(const View& v, std::int64_t at, std::int32_t& value) {
  return ReadThrough(
      v, at, 4, [&value](QvNeutralFile& nf) { return nf.ReadAddress(value); });
}

bool ReadF32(const View& v, std::int64_t at, float& value) {
  return ReadThrough(v, at, 4, [&value](QvNeutralFile& nf) {
    return nf.ReadFloat(&value, 1);
  });
}

bool ReadF64(const View& v, std::int64_t at, double& value) {
  return ReadThrough(v, at, 8, [&value](QvNeutralFile& nf) {
    return nf.ReadDouble(&value, 1);
  });
}

std::string ReadText(const View& v, std::int64_t at, int width) {
  char buf[81] = {};
  if (width < 0 || width > 80) return {};
  if (!ReadThrough(v, at, width, [&buf, width](QvNeutralFile& nf) {
        return nf.ReadString(buf, width);
      }))
    return {};
  return buf;
}

void Put32(std::vector<unsigned char>& bytes, std::size_t at,
           std::uint32_t value, bool l2r) {
  for (unsigned i = 0; i < 4; ++i) {
    const unsigned shift = l2r ? 8 * (3 - i) : 8 * i;
    bytes[at + i] = static_cast<unsigned char>(value >> shift);
  }
}

bool HasIdName(const View& v, std::int64_t address) {
  return address >= 0 && address <= v.size - kIdBlockSize &&
         IsIdNameField(v.data + address);
}

bool ReadId(const View& v, std::int64_t address, IdView& id) {
  if (address < 0 || address > v.size - kIdBlockSize) return false;
  IdView out;
  out.address = address;
  out.name = ReadText(v, address, 8);
  out.idName = IsIdNameField(v.data + address);
  if (!ReadI32(v, address + 8, out.endAddress) ||
      !ReadU32(v, address + 12, out.version))
    return false;
  id = out;
  return true;
}

bool IsNullBlock(const IdView& id) {
  return id.name == "WyNULL" && id.endAddress == 0 && id.version == 0;
}

bool IsPlausible(const IdView& id, std::int64_t limit) {
  return id.idName && id.endAddress >= id.address + kIdBlockSize &&
         id.endAddress <= limit;
}

}  // namespace qvnf
