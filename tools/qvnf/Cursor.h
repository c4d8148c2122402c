// Cursor.h - a neutral file read through positioned reads into a small
// window, and the reads of values and id blocks that every qvnf command
// makes on it. The file is never held whole: a command keeps a few
// windows, whatever the file's size.
//
// Every read checks its offset against the file's size first, so an
// address taken from a damaged file never reaches outside the file. Values
// are little-endian unless the header's order byte says otherwise; then
// each 4- and 8-byte value is reversed as a whole, as the library reads it.
#ifndef QVBASE_TOOLS_QVNF_CURSOR_H
#define QVBASE_TOOLS_QVNF_CURSOR_H

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace qvnf {

constexpr std::int32_t kHeaderSize = 121;
constexpr std::int32_t kIdBlockSize = 16;
constexpr std::uint32_t kHeaderVersion = 20000701;

/// How far a file could be opened.
enum class OpenStatus {
  Ok,          // a neutral file (its header may still have problems)
  IoError,     // missing or unreadable: ErrorText says why
  TooShort,    // shorter than an id block plus the order byte
  NotNeutral,  // first block is not named "WyNF"
  TooLarge,    // past 2^31 - 1 bytes, the most an address can reach
};

/// One open file. Reads go through a window of kWindow bytes, refilled by
/// one positioned read when a request falls outside it.
class Cursor {
 public:
  static constexpr std::size_t kWindow = std::size_t{1} << 18;

  Cursor() = default;
  ~Cursor();
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  /// Opens path and judges it; true when the status is Ok. The bytes can
  /// be read for every status but IoError and TooLarge.
  bool Open(const std::string& path);

  /// Opens the file that other reads, to be read in the same byte order
  /// through a window of its own; false when it cannot be read.
  bool OpenLike(const Cursor& other);

  const std::string& Path() const { return path_; }
  OpenStatus Status() const { return status_; }
  const std::string& ErrorText() const { return errorText_; }
  std::int64_t Size() const { return size_; }
  /// Byte order: true when values are stored most-significant byte first.
  bool L2R() const { return l2r_; }
  void SetL2R(bool l2r) { l2r_ = l2r; }

  /// The n bytes at `at` (n at most kWindow), valid until the next read;
  /// null when they do not lie wholly inside the file or cannot be read.
  const unsigned char* Get(std::int64_t at, std::size_t n) {
    const auto len = static_cast<std::int64_t>(n);
    if (at >= windowAt_ &&
        at + len <= windowAt_ + static_cast<std::int64_t>(windowLen_))
      return window_.get() + (at - windowAt_);
    return GetOutside(at, n);
  }
  /// The bytes from `at` to the end of the window, read anew when fewer
  /// than a page are left there: at least 4096 bytes (fewer only at the
  /// end of the file) and at most kWindow; n tells how many. Null at or
  /// past the end. For reading a stretch in order without reading any
  /// byte twice.
  const unsigned char* GetSome(std::int64_t at, std::size_t& n);

  /// Where the bytes in the window end: a read of bytes before it, from
  /// no earlier than the window's start, reads nothing from the file.
  std::int64_t WindowEnd() const {
    return windowAt_ + static_cast<std::int64_t>(windowLen_);
  }

  /// 4- and 8-byte values in the file's byte order; false (value
  /// untouched) when they do not lie wholly inside the file.
  bool U32(std::int64_t at, std::uint32_t& value);
  bool I32(std::int64_t at, std::int32_t& value);
  bool F32(std::int64_t at, float& value);
  bool F64(std::int64_t at, double& value);
  /// A text field of width (at most 80) as stored, up to its first zero;
  /// "" when it does not lie wholly inside the file.
  std::string Text(std::int64_t at, int width);

 private:
  bool Fill(std::int64_t at, std::size_t n);
  const unsigned char* GetOutside(std::int64_t at, std::size_t n);

  std::string path_;
  OpenStatus status_ = OpenStatus::IoError;
  std::string errorText_;
  std::int64_t size_ = 0;
  bool l2r_ = false;
  std::FILE* file_ = nullptr;
  std::int64_t filePos_ = -1;  // where the stream stands, -1 unknown
  std::unique_ptr<unsigned char[]> window_;
  std::size_t windowSize_ = 0;
  std::int64_t windowAt_ = 0;
  std::size_t windowLen_ = 0;
};

/// A 4-byte value from its bytes: little-endian, or most-significant byte
/// first when l2r.
inline std::uint32_t Decode32(const unsigned char* p, bool l2r) {
  return l2r ? std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
                   std::uint32_t{p[2]} << 8 | p[3]
             : std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 |
                   std::uint32_t{p[1]} << 8 | p[0];
}
std::uint64_t Decode64(const unsigned char* p, bool l2r);

/// Stores a 4-byte value at p in the given byte order.
void Encode32(unsigned char* p, std::uint32_t value, bool l2r);

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr bool kBigEndianHost = true;
#else
constexpr bool kBigEndianHost = false;
#endif

/// 8 bytes as one number, the first byte lowest, whatever the machine's
/// byte order; and back.
inline std::uint64_t NameWord(const unsigned char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  if (kBigEndianHost) {
    std::uint64_t r = 0;
    for (int i = 0; i < 8; ++i) r = r << 8 | (w >> (8 * i) & 0xff);
    w = r;
  }
  return w;
}
inline void StoreNameWord(std::uint64_t w, char* p) {
  if (kBigEndianHost) {
    std::uint64_t r = 0;
    for (int i = 0; i < 8; ++i) r = r << 8 | (w >> (8 * i) & 0xff);
    w = r;
  }
  std::memcpy(p, &w, 8);  // one store, which later reads of it can take
}

/// How many bytes of the name field w come before its first zero (8 for
/// none), found without a branch per byte: names of changing lengths
/// would make a byte loop guess wrong at every block.
inline int NameLength(std::uint64_t w) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = kOnes << 7;
  const std::uint64_t zeros = (w - kOnes) & ~w & kHighs;  // exact to the first
  if (zeros == 0) return 8;
#if defined(__GNUC__)
  return __builtin_ctzll(zeros) / 8;
#else
  int n = 0;
  while ((zeros >> (8 * n + 7) & 1) == 0) ++n;
  return n;
#endif
}

/// True when the name field w is 1-8 printable characters padded with
/// zero bytes: the name of an id block as the library writes one.
inline bool IsIdNameWord(std::uint64_t w) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = kOnes << 7;
  const int n = NameLength(w);
  if (n == 0) return false;
  const std::uint64_t keep =
      n == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * n)) - 1;
  const std::uint64_t text = w & keep, highs = kHighs & keep;
  // No byte after the first zero; before it, bytes from 0x20 to 0x7e:
  // below 0x80, at least 0x20 (adding 0x60 sets the high bit) and not
  // 0x7f (adding 1 leaves it clear). No sum carries into the next byte.
  return (w & ~keep) == 0 && (text & kHighs) == 0 &&
         ((text + 0x60 * kOnes) & highs) == highs &&
         ((text + kOnes) & highs) == 0;
}

/// True when the 8 bytes are 1-8 printable characters padded with zero
/// bytes.
inline bool IsIdNameField(const unsigned char* field) {
  return IsIdNameWord(NameWord(field));
}

/// A block's name as stored: the 8-byte field up to its first zero. The
/// text is kept whole, zero bytes after the name included, and its length
/// apart, each written whole, since a listing copies names often.
struct BlockName {
  char text[8] = {};
  std::uint32_t size = 0;

  BlockName() = default;
  /// The first 8 characters of s.
  explicit BlockName(std::string_view s);
  operator std::string_view() const { return {text, size}; }
  std::string Str() const { return {text, size}; }
  bool operator==(std::string_view s) const {
    return std::string_view(*this) == s;
  }
  bool operator!=(std::string_view s) const { return !(*this == s); }
  /// The 8 bytes as one number, equal exactly for equal names.
  std::uint64_t Key() const;
};

/// An id block as it lies in the file.
struct IdView {
  std::int64_t address = 0;
  BlockName name;
  bool idName = false;  // 1-8 printable characters, then zero bytes
  std::int32_t endAddress = 0;
  std::uint32_t version = 0;
};

/// Reads the 16-byte id block at address; false when it does not fit.
inline bool ReadId(Cursor& c, std::int64_t address, IdView& id) {
  const unsigned char* p = c.Get(address, kIdBlockSize);
  if (p == nullptr) return false;
  id.address = address;
  const std::uint64_t w = NameWord(p);
  const int size = NameLength(w);
  StoreNameWord(size == 8 ? w : w & ((std::uint64_t{1} << (8 * size)) - 1),
                id.name.text);
  id.name.size = static_cast<std::uint32_t>(size);
  id.idName = IsIdNameWord(w);
  id.endAddress = static_cast<std::int32_t>(Decode32(p + 8, c.L2R()));
  id.version = Decode32(p + 12, c.L2R());
  return true;
}

/// "WyNULL", end address 0, version 0: the block that closes a list.
bool IsNullBlock(const IdView& id);

/// An id block whose name is a name and whose end address lies between
/// the end of its own id block and limit (inclusive): a block that could
/// have been written at this place.
bool IsPlausible(const IdView& id, std::int64_t limit);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_CURSOR_H
