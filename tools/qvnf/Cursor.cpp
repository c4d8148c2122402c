#include "Cursor.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>

namespace qvnf {
namespace {

constexpr std::int64_t kPage = 4096;

}  // namespace

Cursor::~Cursor() {
  if (file_ != nullptr) std::fclose(file_);
}

bool Cursor::Open(const std::string& path) {
  path_ = path;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    errorText_ = "is a directory";
    return false;
  }
  errno = 0;
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    errorText_ = std::strerror(errno);
    return false;
  }
  // The window is the only buffer: reads go straight into it.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  const long size =
      std::fseek(file_, 0, SEEK_END) == 0 ? std::ftell(file_) : -1L;
  if (size < 0) {
    errorText_ = "cannot find its size (not a regular file?)";
    return false;
  }
  size_ = size;
  if (size_ > std::numeric_limits<std::int32_t>::max()) {
    status_ = OpenStatus::TooLarge;
    return false;
  }
  // A window never needs more than the file, and a page before the byte
  // asked for.
  windowSize_ =
      static_cast<std::size_t>(std::min<std::int64_t>(kWindow, size_) + kPage);
  window_.reset(new unsigned char[windowSize_]);
  const unsigned char* head = Get(0, std::min<std::int64_t>(size_, 17));
  if (head == nullptr) {
    errorText_ = "read error";
    return false;
  }
  if (size_ < kIdBlockSize + 1) {
    status_ = OpenStatus::TooShort;
    return false;
  }
  l2r_ = head[16] != 0;
  // The name as the library compares it: the stored text up to its zero.
  const bool neutral = std::memcmp(head, "WyNF", 4) == 0 && head[4] == 0;
  status_ = neutral ? OpenStatus::Ok : OpenStatus::NotNeutral;
  return neutral;
}

bool Cursor::OpenLike(const Cursor& other) {
  Open(other.path_);
  l2r_ = other.l2r_;
  return status_ != OpenStatus::IoError && status_ != OpenStatus::TooLarge;
}

bool Cursor::Fill(std::int64_t at, std::size_t n) {
  const std::int64_t start = at / kPage * kPage;
  // Reads go on in order mostly, and then a whole window pays; a jump far
  // from the window (a search following end addresses) reads only what it
  // needs, as a jump is usually followed by another.
  const auto window = static_cast<std::int64_t>(windowSize_);
  const bool near =
      windowLen_ > 0 && at >= windowAt_ - window && at < windowAt_ + 2 * window;
  const std::int64_t most =
      near || windowLen_ == 0
          ? window
          : std::max<std::int64_t>(kPage,
                                   at - start + static_cast<std::int64_t>(n));
  const std::size_t want =
      static_cast<std::size_t>(std::min(most, size_ - start));
  windowLen_ = 0;
  if (filePos_ != start &&
      std::fseek(file_, static_cast<long>(start), SEEK_SET) != 0) {
    filePos_ = -1;
    return false;
  }
  const std::size_t got = std::fread(window_.get(), 1, want, file_);
  filePos_ = start + static_cast<std::int64_t>(got);
  windowAt_ = start;
  windowLen_ = got;
  return got == want;
}

// The window only ever holds bytes of the file, so a request inside it
// is inside the file; any other is checked against the file first.
const unsigned char* Cursor::GetOutside(std::int64_t at, std::size_t n) {
  if (file_ == nullptr || at < 0 || n > kWindow ||
      at > size_ - static_cast<std::int64_t>(n) || !Fill(at, n) ||
      at + static_cast<std::int64_t>(n) >
          windowAt_ + static_cast<std::int64_t>(windowLen_))
    return nullptr;
  return window_.get() + (at - windowAt_);
}

const unsigned char* Cursor::GetSome(std::int64_t at, std::size_t& n) {
  n = static_cast<std::size_t>(
      std::min<std::int64_t>(static_cast<std::int64_t>(kWindow), size_ - at));
  return at < size_ ? Get(at, n) : nullptr;
}

bool Cursor::U32(std::int64_t at, std::uint32_t& value) {
  const unsigned char* p = Get(at, 4);
  if (p == nullptr) return false;
  value = Decode32(p, l2r_);
  return true;
}

bool Cursor::I32(std::int64_t at, std::int32_t& value) {
  std::uint32_t u = 0;
  if (!U32(at, u)) return false;
  value = static_cast<std::int32_t>(u);
  return true;
}

bool Cursor::F32(std::int64_t at, float& value) {
  std::uint32_t u = 0;
  if (!U32(at, u)) return false;
  std::memcpy(&value, &u, 4);
  return true;
}

bool Cursor::F64(std::int64_t at, double& value) {
  const unsigned char* p = Get(at, 8);
  if (p == nullptr) return false;
  const std::uint64_t u = Decode64(p, l2r_);
  std::memcpy(&value, &u, 8);
  return true;
}

std::string Cursor::Text(std::int64_t at, int width) {
  if (width < 0 || width > 80) return {};
  const unsigned char* p = Get(at, static_cast<std::size_t>(width));
  if (p == nullptr) return {};
  const auto* text = reinterpret_cast<const char*>(p);
  return std::string(text, std::find(text, text + width, '\0'));
}

std::uint64_t Decode64(const unsigned char* p, bool l2r) {
  std::uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = v << 8 | p[l2r ? i : 7 - i];
  return v;
}

void Encode32(unsigned char* p, std::uint32_t value, bool l2r) {
  for (unsigned i = 0; i < 4; ++i)
    p[i] = static_cast<unsigned char>(value >> (l2r ? 8 * (3 - i) : 8 * i));
}

BlockName::BlockName(std::string_view s) {
  size = static_cast<std::uint32_t>(std::min<std::size_t>(s.size(), 8));
  std::memcpy(text, s.data(), size);
}

std::uint64_t BlockName::Key() const {
  std::uint64_t key = 0;
  for (int i = 0; i < 8; ++i)
    key = key << 8 | static_cast<unsigned char>(text[i]);
  return key;
}

bool IsNullBlock(const IdView& id) {
  return id.name == "WyNULL" && id.endAddress == 0 && id.version == 0;
}

bool IsPlausible(const IdView& id, std::int64_t limit) {
  return id.idName && id.endAddress >= id.address + kIdBlockSize &&
         id.endAddress <= limit;
}

}  // namespace qvnf
