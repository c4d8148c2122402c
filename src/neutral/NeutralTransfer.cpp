// Raw transfer between the caller's memory and the stream or the memory
// buffer, and the bulk engine behind the array reads and writes.
#include <QvBase/QvNeutralFile.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "frame/Platform.h"
#include "neutral/Encoding.h"
#include "neutral/OwnedStream.h"
#include "neutral/Reasons.h"
#include "neutral/WordCodec.h"

namespace {

// Arrays move through the stream in pieces of this size. It bounds the
// stack the staging area takes and keeps each piece in the cache between
// the stdio copy and the conversion.
constexpr std::size_t kStageBytes = 64 * 1024;

// Largest piece handed to the stream at once when no conversion is
// needed; it keeps byte counts far from the size type's limit.
constexpr std::size_t kDirectBytes = std::size_t{1} << 30;

// Reads of fewer bytes stay staged: asking for the file's size costs a
// system call, which on some systems costs as much as copying tens of
// kilobytes.
constexpr std::size_t kDirectMinBytes = 2 * kStageBytes;

// Direct reads that must be byte-swapped go in pieces of this size, so
// that each is swapped while the cache still holds it.
constexpr std::size_t kSwapPieceBytes = std::size_t{1} << 20;

// The buffer count is a signed 32-bit value; a bounded buffer never lets
// it pass that range.
constexpr std::size_t kMaxCount = static_cast<std::size_t>(INT32_MAX);

// Offsets are signed 32-bit: no byte of a file may end past this offset.
constexpr std::int64_t kMaxOffset = INT32_MAX;

// Where the next write to an appending stream lands, coded as a neutral
// file keeps positions. Out of line: the per-value path seldom needs it.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
std::int32_t
AppendOffset(std::FILE* stream) {
  std::int64_t at = -1;
  const bool known = qv::platform::WritePosition(stream, &at);
  return qv::CodeOffset(known, at);
}

template <std::size_t W>
void Decode(void* dst, const unsigned char* src, std::size_t count,
            bool reversed) {
  if (W == 4)
    qv::DecodeWords4(dst, src, count, reversed);
  else
    qv::DecodeWords8(dst, src, count, reversed);
}

template <std::size_t W>
void DecodeInPlace(void* words, std::size_t count, bool reversed) {
  if (W == 4)
    qv::DecodeWordsInPlace4(words, count, reversed);
  else
    qv::DecodeWordsInPlace8(words, count, reversed);
}

// How many of `words` words of W bytes the stream's file holds whole from
// the stream's position on; 0 when the stream is not on a regular file or
// its size or position can't be had.
template <std::size_t W>
std::size_t WordsInFile(std::FILE* stream, std::size_t words) {
  qv::platform::StreamStatus st;
  std::int64_t pos = 0;
  if (!qv::platform::StatStream(stream, &st) || !st.isRegular ||
      !qv::platform::TellStream(stream, &pos) || pos >= st.size)
    return 0;
  const auto left = static_cast<std::uint64_t>(st.size - pos);
  return static_cast<std::size_t>(std::min<std::uint64_t>(words, left / W));
}

// Reads n words of W bytes from stream straight into values, in large
// pieces, and decodes each piece where it lies. A short read stores the
// words read whole and may leave part of the next one overwritten.
template <std::size_t W>
bool ReadDirect(std::FILE* stream, unsigned char* values, std::size_t n,
                bool reversed) {
  const std::size_t piece = reversed ? kSwapPieceBytes : kDirectBytes;
  while (n > 0) {
    const std::size_t words = std::min(n, piece / W);
    const std::size_t got = qv::platform::ReadStream(values, words * W, stream);
    DecodeInPlace<W>(values, got / W, reversed);
    if (got != words * W) return false;
    values += words * W;
    n -= words;
  }
  return true;
}

template <std::size_t W>
void Encode(unsigned char* dst, const void* src, std::size_t count) {
  if (W == 4)
    qv::EncodeWords4(dst, src, count);
  else
    qv::EncodeWords8(dst, src, count);
}

}  // namespace

void QvNeutralFile::SetBuf(char* buf) {
  m_Buf = buf;
  m_BufSize = 0;
  m_BufCapacity = 0;
  m_BufBounded = false;
}

void QvNeutralFile::SetBuf(char* buf, std::size_t capacity) {
  m_Buf = buf;
  m_BufSize = 0;
  m_BufCapacity = std::min(capacity, kMaxCount);
  m_BufBounded = true;
}

void QvNeutralFile::AdvanceBuf(std::size_t n) {
  m_Buf += n;
  // An unbounded count wraps as the caller's own arithmetic would.
  m_BufSize = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_BufSize) +
                                        static_cast<std::uint32_t>(n));
}

std::size_t QvNeutralFile::BufRoom() const {
  if (!m_BufBounded) return SIZE_MAX;
  return m_BufCapacity - static_cast<std::size_t>(m_BufSize);
}

std::size_t QvNeutralFile::StreamRoom(std::size_t need) {
  Replacement* record = Replacement::Of(m_Replace);
  std::int64_t at = 0;
  if (record != nullptr && record->pending.Active()) {
    // While a block's bytes are held the stream stands where they begin,
    // and nothing else moves it: the held bytes tell the position.
    at = record->pending.Position();
  } else if (m_PosStream == m_pFile && m_StreamPos == qv::kNoPosition) {
    // A stream without positions (a pipe) has no offsets to keep in
    // range; once known as such it is not asked again at every write.
    return SIZE_MAX;
  } else if (record == nullptr || !record->Knows(m_pFile, &at)) {
    // The stream may be shared: a copy, an assigned file or the caller may
    // have moved it since this object last wrote, so it is asked. On a
    // stream opened for appending (never marked) the write lands at the
    // end of the file, wherever the stream stands.
    if (qv::platform::StreamAppends(m_pFile)) {
      m_StreamPos = AppendOffset(m_pFile);
      m_PosStream = m_pFile;
    } else {
      SyncStreamPos();
    }
    if (m_StreamPos == qv::kNoPosition) return SIZE_MAX;
    at = m_StreamPos < 0 ? kMaxOffset + 1 : m_StreamPos;
    if (record != nullptr && m_StreamPos >= 0) record->Mark(m_pFile, at);
  }
  const std::size_t room =
      at > kMaxOffset ? 0 : static_cast<std::size_t>(kMaxOffset - at);
  if (room < need) NoteWriteFailure();  // the caller refuses the write
  return room;
}

std::size_t QvNeutralFile::ReadSome(void* buf, std::size_t size) {
  if (size == 0) return 0;
  if (m_pFile != nullptr) {
    if (m_Replace != nullptr) Replacement::Of(m_Replace)->BeforeRead(m_pFile);
    // Bytes the stream has buffered are copied from there, as fread would.
    const char* at;
    const char* end;
    if (qv::platform::PeekBuffered(m_pFile, &at, &end) &&
        static_cast<std::size_t>(end - at) >= size) {
      if (size == 4)
        std::memcpy(buf, at, 4);
      else if (size == 8)
        std::memcpy(buf, at, 8);
      else
        std::memcpy(buf, at, size);
      qv::platform::ConsumeBuffered(m_pFile, size);
      return size;
    }
    return qv::platform::ReadStream(buf, size, m_pFile);
  }
  if (m_Buf == nullptr) return 0;
  const std::size_t n = std::min(size, BufRoom());
  std::memcpy(buf, m_Buf, n);
  AdvanceBuf(n);
  return n;
}

std::size_t QvNeutralFile::WriteSome(const void* buf, std::size_t size) {
  if (size == 0) return 0;
  if (m_pFile != nullptr) {
    Replacement* record = Replacement::Of(m_Replace);
    if (record != nullptr) record->wrote = true;
    if (record != nullptr && record->pending.Active()) {
      const std::size_t n = record->pending.Write(m_pFile, buf, size);
      if (n != size) NoteWriteFailure();
      return n;
    }
    const std::size_t n = qv::WriteToStream(m_pFile, buf, size);
    if (n != size) NoteWriteFailure();
    if (record != nullptr) record->Advance(m_pFile, n, n == size);
    return n;
  }
  if (m_Buf == nullptr) return 0;
  const std::size_t n = std::min(size, BufRoom());
  std::memcpy(m_Buf, buf, n);
  AdvanceBuf(n);
  return n;
}

// The reasons for a failure are told on the failure paths alone (see
// Reasons.h), so that a transfer that succeeds costs nothing more.
bool QvNeutralFile::ReadData(void* buf, unsigned int size) {
  if (m_pFile == nullptr && (m_Buf == nullptr || size > BufRoom()))
    return qv::FailedRead(nullptr, m_Buf);
  return ReadSome(buf, size) == size || qv::FailedRead(m_pFile, m_Buf);
}

bool QvNeutralFile::WriteData(const void* buf, unsigned int size) {
  if (m_pFile != nullptr && m_Replace != nullptr) {
    Replacement* record = Replacement::Of(m_Replace);
    if (record->pending.TryHold(buf, size)) return true;
    // Where the stream stands untouched since this object's last write, the
    // bytes go straight into its buffer when they fit there.
    std::int64_t at = 0;
    if (!record->pending.Active() && record->Knows(m_pFile, &at) &&
        at <= kMaxOffset - static_cast<std::int64_t>(size) &&
        qv::platform::PutBuffered(m_pFile, buf, size)) {
      record->Put(size);
      return true;
    }
  }
  if (m_pFile != nullptr ? size > StreamRoom(size)
                         : m_Buf == nullptr || size > BufRoom())
    return qv::FailedWrite(m_pFile, m_Buf);
  return WriteSome(buf, size) == size || qv::FailedWrite(m_pFile, m_Buf);
}

bool QvNeutralFile::FreadLR(void* buf, unsigned int size) {
  if (!ReadData(buf, size)) return false;
  if (m_L2R) qv::ReverseBytes(static_cast<unsigned char*>(buf), size);
  return true;
}

// Reads n words of W bytes. Whole words go to values in order; a word that
// was read only in part is dropped, so the element that met the failure
// keeps its old value. Stream data pass through a fixed staging area
// (never a copy of the whole array), because a read that stops inside an
// element straight into values would overwrite part of it. The exception
// is a large read from a regular file: the words that the file holds whole
// are read straight into values and decoded there, since only a device
// error (or the file shrinking meanwhile) can stop such a read early; the
// rest of the request, the part the file can't supply, is staged as
// before. A buffer is decoded in place, since its room is known before
// anything moves.
template <std::size_t W>
bool QvNeutralFile::ReadWords(void* values, int n) {
  if (n <= 0) return true;
  if (values == nullptr) return qv::Fail(QvError::BadArgument);
  auto* out = static_cast<unsigned char*>(values);
  std::size_t left = static_cast<std::size_t>(n);

  if (m_pFile == nullptr) {
    if (m_Buf == nullptr) return qv::FailedRead(nullptr, nullptr);
    const std::size_t fit = std::min(left, BufRoom() / W);
    Decode<W>(out, reinterpret_cast<const unsigned char*>(m_Buf), fit, m_L2R);
    AdvanceBuf(fit * W);
    return fit == left || qv::FailedRead(nullptr, m_Buf);
  }

  if (m_Replace != nullptr) Replacement::Of(m_Replace)->BeforeRead(m_pFile);
  if (left >= kDirectMinBytes / W) {
    const std::size_t direct = WordsInFile<W>(m_pFile, left);
    if (direct >= kDirectMinBytes / W) {
      if (!ReadDirect<W>(m_pFile, out, direct, m_L2R))
        return qv::FailedRead(m_pFile, nullptr);
      out += direct * W;
      left -= direct;
    }
  }

  // Words the stream has buffered are decoded from there.
  const char* at;
  const char* end;
  if (qv::platform::PeekBuffered(m_pFile, &at, &end)) {
    const std::size_t words =
        std::min(left, static_cast<std::size_t>(end - at) / W);
    Decode<W>(out, reinterpret_cast<const unsigned char*>(at), words, m_L2R);
    qv::platform::ConsumeBuffered(m_pFile, words * W);
    out += words * W;
    left -= words;
  }
  unsigned char stage[kStageBytes];
  while (left > 0) {
    const std::size_t words = std::min(left, kStageBytes / W);
    const std::size_t got = qv::platform::ReadStream(stage, words * W, m_pFile);
    const std::size_t whole = got / W;
    Decode<W>(out, stage, whole, m_L2R);
    if (whole != words) return qv::FailedRead(m_pFile, nullptr);
    out += words * W;
    left -= words;
  }
  return true;
}

// Writes n words of W bytes, little-endian. On a failure the words before
// the failing one (and whatever part of it the stream took) are written;
// the words that would pass the size limit are not begun. A little-endian
// host writes straight from values; others convert through the staging
// area.
template <std::size_t W>
bool QvNeutralFile::WriteWords(const void* values, int n) {
  if (n <= 0) return true;
  if (values == nullptr) {
    NoteWriteFailure();
    return qv::Fail(QvError::BadArgument);
  }
  const auto* in = static_cast<const unsigned char*>(values);
  std::size_t left = static_cast<std::size_t>(n);

  if (m_pFile == nullptr) {
    if (m_Buf == nullptr) return qv::FailedWrite(nullptr, nullptr);
    const std::size_t fit = std::min(left, BufRoom() / W);
    Encode<W>(reinterpret_cast<unsigned char*>(m_Buf), in, fit);
    AdvanceBuf(fit * W);
    return fit == left || qv::FailedWrite(nullptr, m_Buf);
  }

  const std::size_t need = left <= SIZE_MAX / W ? left * W : SIZE_MAX;
  const std::size_t fit = std::min(left, StreamRoom(need) / W);
  const bool all = fit == left;
  left = fit;
  if constexpr (qv::kHostLittleEndian) {
    // The values already are their stored bytes: one call per large piece
    // (one in all on 64-bit hosts) keeps the stream's calls to the system
    // as few as a plain fwrite makes.
    while (left > 0) {
      const std::size_t words = std::min(left, kDirectBytes / W);
      if (WriteSome(in, words * W) != words * W)
        return qv::FailedWrite(m_pFile, nullptr);
      in += words * W;
      left -= words;
    }
  } else {
    unsigned char stage[kStageBytes];
    while (left > 0) {
      const std::size_t words = std::min(left, kStageBytes / W);
      Encode<W>(stage, in, words);
      if (WriteSome(stage, words * W) != words * W)
        return qv::FailedWrite(m_pFile, nullptr);
      in += words * W;
      left -= words;
    }
  }
  return all || qv::Fail(QvError::TooLarge);
}

template bool QvNeutralFile::ReadWords<4>(void*, int);
template bool QvNeutralFile::ReadWords<8>(void*, int);
template bool QvNeutralFile::WriteWords<4>(const void*, int);
template bool QvNeutralFile::WriteWords<8>(const void*, int);
