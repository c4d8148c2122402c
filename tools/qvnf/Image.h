// Image.h - a neutral file held whole in memory, and the reads that every
// qvnf command makes on it.
//
// Values are decoded by QvNeutralFile's own value layer over a bounded
// buffer, so the tool reverses a big-endian file exactly as the library
// does. Every read checks its offset against the image first: an address
// taken from a damaged file can never reach outside the bytes loaded.
#ifndef QVBASE_TOOLS_QVNF_IMAGE_H
#define QVBASE_TOOLS_QVNF_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

namespace qvnf {

constexpr std::int32_t kHeaderSize = 121;
constexpr std::int32_t kIdBlockSize = 16;
constexpr std::uint32_t kHeaderVersion = 20000701;

/// How far a file could be opened.
enum class OpenStatus {
  Ok,          // a neutral file (its header may still have problems)
  IoError,     // missing or unreadable: errorText says why
  TooShort,    // shorter than an id block plus the order byte
  NotNeutral,  // first block is not named "WyNF"
  TooLarge,    // past 2^31 - 1 bytes, the most an address can reach
};

/// The bytes of one file and the byte order its order byte asks for.
struct Image {
  std::string path;
  OpenStatus status = OpenStatus::IoError;
  std::string errorText;             // for IoError
  std::vector<unsigned char> bytes;  // loaded unless IoError or TooLarge
  bool l2r = false;                  // order byte (offset 16) non-zero

  std::int64_t Size() const { return static_cast<std::int64_t>(bytes.size()); }
};

/// Reads path whole. The status tells whether it is a neutral file; the
/// bytes are there for every status but IoError and TooLarge.
Image LoadImage(const std::string& path);
/// An image of bytes already in memory, judged as LoadImage judges a file.
Image ImageOf(std::string path, std::vector<unsigned char> bytes);

/// Bytes to read and the byte order to read them in; cheap to copy, so
/// that a caller can try the other order without copying the bytes.
struct View {
  const unsigned char* data = nullptr;
  std::int64_t size = 0;
  bool l2r = false;
};
View ViewOf(const Image& image);

/// 4- and 8-byte values at an offset, in the view's byte order; false
/// (value untouched) when they do not lie wholly inside the view.
bool ReadU32(const View& v, std::int64_t at, std::uint32_t& value);
bool ReadI32(const View& v, std::int64_t at, std::int32_t& value);
bool ReadF32(const View& v, std::int64_t at, float& value);
bool ReadF64(const View& v, std::int64_t at, double& value);
/// A text field of width (at most 80) as stored, up to its first zero.
std::string ReadText(const View& v, std::int64_t at, int width);

/// Stores a 4-byte value at bytes[at] in the given byte order (true:
/// most-significant byte first). The caller keeps at + 4 inside bytes.
void Put32(std::vector<unsigned char>& bytes, std::size_t at,
           std::uint32_t value, bool l2r);

/// An id block as it lies in the file.
struct IdView {
  std::int64_t address = 0;
  std::string name;     // up to the first zero of the 8-byte field
  bool idName = false;  // 1-8 printable characters, then zero bytes
  std::int32_t endAddress = 0;
  std::uint32_t version = 0;
};

/// True when the 8 bytes at address are 1-8 printable characters padded
/// with zero bytes: the quick first test of a search for blocks.
bool HasIdName(const View& v, std::int64_t address);

/// Reads the 16-byte id block at address; false when it does not fit.
bool ReadId(const View& v, std::int64_t address, IdView& id);

/// "WyNULL", end address 0, version 0: the block that closes a list.
bool IsNullBlock(const IdView& id);

/// An id block whose name is a name and whose end address lies between
/// the end of its own id block and limit (inclusive): a block that could
/// have been written at this place.
bool IsPlausible(const IdView& id, std::int64_t limit);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_IMAGE_H
