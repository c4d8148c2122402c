// The file header and the id blocks that name, version and chain the
// stored objects.
#include <QvBase/QvNeutralFile.h>

#include <cstdint>
#include <cstring>
#include <ctime>

#include "frame/LastError.h"
#include "frame/Platform.h"
#include "neutral/ChainWalk.h"
#include "neutral/OwnedStream.h"

namespace {

constexpr char kFileName[] = "WyNF";
constexpr char kNullName[] = "WyNULL";
constexpr unsigned int kHeaderVersion = 20000701;
constexpr std::int32_t kEndAddressOffset = 8;  // within an id block
constexpr std::size_t kNameWidth = 8;
constexpr int kDateWidth = 8;
constexpr int kShortTextWidth = 16;
constexpr int kLongTextWidth = 80;
constexpr std::size_t kIdBlockSize = 16;        // name, end, version
constexpr std::size_t kBufferIdBlockSize = 12;  // name and version

// Today's local date as "yyyymmdd" (more digits past year 9999).
bool FormatToday(char* out, std::size_t size) {
  std::tm local{};
  if (!qv::platform::LocalTime(std::time(nullptr), &local)) return false;
  return std::strftime(out, size, "%Y%m%d", &local) > 0;
}

void CopyText(char* out, const char* text) {
  if (out != nullptr) std::memcpy(out, text, std::strlen(text) + 1);
}

// A name as a walk looks for it: a block matches exactly when
// strncmp(block.m_Name, name, 8) is 0, which here is one comparison of
// eight bytes. The name's first L characters (L at most 8) must be the
// stored ones, and when L < 8 the stored name must end there too; bytes
// after that end do not count.
class NameKey {
 public:
  explicit NameKey(const char* name) {
    std::size_t length = 0;
    while (length < kNameWidth && name[length] != '\0') ++length;
    unsigned char key[kNameWidth] = {};
    unsigned char mask[kNameWidth] = {};
    std::memcpy(key, name, length);
    std::memset(mask, 0xFF, length < kNameWidth ? length + 1 : kNameWidth);
    std::memcpy(&m_Key, key, sizeof m_Key);
    std::memcpy(&m_Mask, mask, sizeof m_Mask);
  }
  bool Matches(const QvNeutralFile::IdBlock& block) const {
    std::uint64_t stored;
    std::memcpy(&stored, block.m_Name, sizeof stored);
    return ((stored ^ m_Key) & m_Mask) == 0;
  }

 private:
  std::uint64_t m_Key = 0;
  std::uint64_t m_Mask = 0;
};

}  // namespace

bool QvNeutralFile::WriteHeader(const char* shortText, const char* longText) {
  if (!GoToFileBegin()) {
    NoteWriteFailure();
    return false;
  }
  if (WriteIdBlock(kFileName, kHeaderVersion) < 0) return false;
  if (!WriteBool(false)) return false;
  char date[32];
  if (!FormatToday(date, sizeof date)) {
    NoteWriteFailure();
    return qv::Fail(QvError::WriteFailed);  // no date to write
  }
  if (!WriteString(date, kDateWidth)) return false;
  if (!WriteString(shortText, kShortTextWidth)) return false;
  if (!WriteString(longText, kLongTextWidth)) return false;
  return UpdateIdBlock(0);
}

bool QvNeutralFile::ReadHeader(char* date, char* shortText, char* longText) {
  IdBlock block;
  block.m_EndAddress = 0;
  if (!ReadIdBlock(block)) return false;
  if (std::strcmp(block.m_Name, kFileName) != 0 ||
      block.m_Version != kHeaderVersion)
    return qv::Fail(QvError::NotNeutral);
  return ReadHeader20000701(date, shortText, longText);
}

bool QvNeutralFile::ReadHeader20000701(char* date, char* shortText,
                                       char* longText) {
  bool order = false;  // only ReadL2R and SetL2R set the flag
  if (!ReadBool(&order)) return false;
  char field[kLongTextWidth + 1];
  if (!ReadString(field, kDateWidth)) return false;
  CopyText(date, field);
  if (!ReadString(field, kShortTextWidth)) return false;
  CopyText(shortText, field);
  if (!ReadString(field, kLongTextWidth)) return false;
  CopyText(longText, field);
  return true;
}

std::int32_t QvNeutralFile::WriteIdBlock(const char* name,
                                         unsigned int version) {
  std::int32_t address = 0;
  if (m_pFile != nullptr) {
    Replacement* record = Replacement::Of(m_Replace);
    qv::PendingWrites* held = record != nullptr ? &record->pending : nullptr;
    if (held != nullptr && held->Active()) {
      // A block inside one whose bytes are held: it starts where they end.
      if (held->Position() > INT32_MAX) {
        NoteWriteFailure();
        qv::Fail(QvError::TooLarge);
        return -1;
      }
      address = static_cast<std::int32_t>(held->Position());
    } else if (std::int64_t at = 0; record != nullptr &&
                                    record->Knows(m_pFile, &at) &&
                                    at <= INT32_MAX) {
      address = static_cast<std::int32_t>(at);  // where the last block ended
    } else if (!GetWritePosition(address)) {
      NoteWriteFailure();
      return -1;
    }
    // The block's 16 bytes must end within the size limit, or none of them
    // is written.
    if (INT32_MAX - address < static_cast<std::int32_t>(kIdBlockSize)) {
      NoteWriteFailure();
      qv::Fail(QvError::TooLarge);
      return -1;
    }
    // On a stream of its own the file holds the block's bytes until the
    // block is complete, so that its end address is patched in memory.
    if (held != nullptr && !held->Active()) held->Begin(address);
  }
  if (!WriteName(name)) return -1;
  if (m_pFile != nullptr && !WriteLong(0)) return -1;
  if (!WriteUInt(version)) return -1;
  return address;
}

bool QvNeutralFile::UpdateIdBlock(std::int32_t address) {
  if (m_pFile == nullptr)
    return m_Buf != nullptr || qv::Fail(QvError::BadArgument);
  if (address < 0 || address > INT32_MAX - kEndAddressOffset) {
    NoteWriteFailure();
    return qv::Fail(QvError::BadArgument);
  }
  if (m_Replace != nullptr) {
    qv::PendingWrites& held = Replacement::Of(m_Replace)->pending;
    const auto end = static_cast<std::uint32_t>(held.Position());
    if (held.Patch(address + kEndAddressOffset, end))
      return !held.BeganAt(address) || HandOver() ||
             qv::FailWithErrno(QvError::WriteFailed);
  }
  return WriteAddressAt(address + kEndAddressOffset);
}

bool QvNeutralFile::WriteAddressAt(std::int32_t address) {
  std::int32_t here = 0;
  // A failed positioning counts as a failed write: the address is missing.
  const bool written = GetWritePosition(here) && GoToFilePosition(address) &&
                       WriteLong(here) && GoToFilePosition(here);
  if (!written) NoteWriteFailure();
  return written;
}

bool QvNeutralFile::WriteNullIdBlock() {
  return WriteIdBlock(kNullName, 0) >= 0;
}

bool QvNeutralFile::ReadIdBlock(IdBlock& block) {
  if (m_pFile != nullptr) {
    if (block.m_EndAddress >= 0) {
      if (!GoToFilePosition(block.m_EndAddress)) return false;
      block.m_Address = block.m_EndAddress;
    } else {
      // A stream without positions (a pipe) still reads: no failure.
      const qv::KeptError kept = qv::KeepError();
      if (!GetFilePosition(block.m_Address)) qv::RestoreError(kept);
    }
  } else {
    // In a buffer the block's place is its offset from the buffer's start.
    block.m_Address = m_BufSize;
  }
  if (!ReadString(block.m_Name, static_cast<int>(kNameWidth))) return false;
  if (m_pFile != nullptr) {
    std::int32_t end = 0;
    if (!ReadAddress(end)) return false;
    block.m_EndAddress = end;
  }
  unsigned int version = 0;
  if (!ReadUInt(version)) return false;
  block.m_Version = version;
  return true;
}

bool QvNeutralFile::ScanIdBlock(const char* name, IdBlock& block) {
  if (name == nullptr) return qv::Fail(QvError::BadArgument);
  const NameKey key(name);
  block.m_EndAddress = -1;
  if (m_pFile == nullptr) {
    // A buffer has no end addresses: its id blocks follow each other, and
    // only a known capacity tells where they stop.
    if (m_Buf == nullptr || !m_BufBounded)
      return qv::Fail(QvError::BadArgument);
    while (BufRoom() >= kBufferIdBlockSize) {
      if (!ReadIdBlock(block)) return false;
      if (key.Matches(block)) return true;
    }
    return qv::Fail(QvError::NotFound);
  }

  // The chain is followed by end addresses, which a damaged file (or one
  // with a null block or an unfinished block at the top level) can send
  // round in a loop. A negative end address (a foreign writer's, or
  // damage) makes the next read take the block at the current position,
  // the start of this block's data, as ReadIdBlock does for any caller. Brent's
  // cycle finding keeps one remembered address and notices the return to it
  // within a few rounds of the loop, with no memory that grows with the file.
  // The walk ends where no id block can be read: the end of the chain
  // (the block is not there) unless the stream refused the read.
  const auto walkEnds = [this] {
    return std::ferror(m_pFile) != 0 ? qv::FailWithErrno(QvError::ReadFailed)
                                     : qv::Fail(QvError::NotFound);
  };
  HandOver();
  qv::ChainWalk walk(*this, m_pFile, m_L2R);
  if (!walk.Step(block)) return walkEnds();
  std::int32_t remembered = block.m_Address;
  std::uint64_t span = 1;
  std::uint64_t steps = 0;
  for (;;) {
    if (key.Matches(block)) return true;
    if (!walk.Step(block)) return walkEnds();
    if (block.m_Address == remembered) return qv::Fail(QvError::Damaged);
    if (++steps == span) {
      remembered = block.m_Address;
      span *= 2;
      steps = 0;
    }
  }
}
