/// \file
/// The library's binary object store.
///
/// A neutral file is a 121-byte header followed by a chain of named,
/// versioned blocks. Each block starts with a 16-byte id block (8-byte name,
/// 4-byte end address, 4-byte version); the end address is the offset of the
/// first byte after the block's data, so a reader walks from block to block
/// without an index. Every value is stored little-endian; a file whose order
/// byte (offset 16) is non-zero holds most-significant-byte-first values and
/// is read with every 4- and 8-byte value reversed.
///
/// - Storing: OpenToWrite, WriteHeader, then per object WriteIdBlock, the
///   object's values, UpdateIdBlock(address from WriteIdBlock).
/// - Loading: OpenToRead, then per object ScanIdBlock and the value reads.
/// - Saving over a file safely: OpenToReplace, the writes, then Commit,
///   which replaces the file only once the new one is complete.
///
/// Without a stream the object reads and writes through a caller's memory
/// buffer (SetBuf); id blocks are then 12 bytes (no end address).
///
/// Size limit. Offsets are signed 32-bit: a file is limited to 2^31 - 1
/// bytes. A value, id block, text or array element whose bytes would end
/// past that offset fails and writes nothing of itself, whatever moved a
/// shared stream since the last write (a copy, an assigned file, the
/// caller's own fseek or fwrite on a borrowed stream); a stream without
/// positions (a pipe) is not limited. On a caller's stream opened for
/// appending every write lands at the end of the file, wherever the stream
/// stands, and addresses, positions and the limit follow it there (an
/// end-address patch lands there too). The Windows runtime does not tell
/// whether a stream appends: there such a stream is taken to write where
/// it stands.
///
/// Streams the file opens itself (OpenToWrite, OpenToAppend,
/// OpenToReplace, WriteNF or SaveNF by path) have no other writer than this
/// object, its copies and assigned files: a block's bytes may be held in
/// memory until the block is complete. A derived class that uses m_pFile
/// directly while a block is being written calls GetFilePosition first,
/// which hands them to the stream. A borrowed stream (the stream
/// constructor, a copy of it) gets every byte in the call that writes it,
/// and the caller may use it between calls.
///
/// Operations return true on success (WriteIdBlock: the block's address, -1
/// on failure) and never throw, also when memory runs short. After a
/// failure QvLastError() (QvError.h) gives the reason: BadArgument (a null
/// or negative argument, no stream or buffer to work on, no replacement
/// to commit), CannotOpen (the system's number in QvLastSystemError()),
/// NotNeutral, Truncated (the data end before the value), ReadFailed and
/// WriteFailed (the stream refused; a full disk), SeekFailed (a stream
/// without positions), TooLarge (past offset 2^31 - 1 or a bounded
/// buffer's capacity), NotFound and Damaged (ScanIdBlock) and NoMemory.
/// One object and its stream are used by one thread at a time.
#ifndef QVBASE_QVNEUTRALFILE_H
#define QVBASE_QVNEUTRALFILE_H

#include <QvBase/QvExport.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

class QvProgress;
class QvWritableObj;

/// A neutral file being written or read, through a stream or a memory
/// buffer; see the file's description for the layout and the limits.
class QV_BASE_API QvNeutralFile {
 public:
  /// What ReadIdBlock and ScanIdBlock report about one id block.
  struct IdBlock {
    char m_Name[9];             ///< stored name, at most 8 characters
    std::uint32_t m_Version;    ///< the block's version (yyyymmdd)
    std::int32_t m_Address;     ///< offset at which the id block begins
    std::int32_t m_EndAddress;  ///< offset after the block's data; on input
                                ///< to ReadIdBlock: where to read (< 0: here)
  };

  /// Detached: no stream, no buffer, byte-order flag false.
  QvNeutralFile();
  /// Borrows fp (never closes it). A non-null fp's order byte is read into
  /// the byte-order flag and its position restored; the flag stays false
  /// when the byte can't be read (empty or write-only stream).
  explicit QvNeutralFile(std::FILE* fp);
  /// Borrows other's stream; copies the byte-order flag and the progress
  /// reporter; starts without a buffer.
  QvNeutralFile(const QvNeutralFile& other);
  /// Closes a stream this object owns (unless other uses that very stream,
  /// which then stays owned here), then takes other's stream (borrowed),
  /// byte-order flag, progress reporter, buffer and buffer count.
  QvNeutralFile& operator=(const QvNeutralFile& other);

  // The two virtual operations, in the order of their slots: Alloc, then
  // the destructor.

  /// Hook for derived files that create the object stored under a block
  /// name. The base returns null; the library never calls it.
  virtual QvWritableObj* Alloc(const char* idString) const;
  /// Closes the stream if owned (abandoning an uncommitted replacement);
  /// a borrowed stream stays open.
  virtual ~QvNeutralFile();

  /// \name Progress reporter
  /// \{

  /// The progress reporter carried for the objects that use this file
  /// (null by default). Never owned and never called by the file.
  void SetProgressor(QvProgress* progressor) { m_Progressor = progressor; }
  QvProgress* Progressor() { return m_Progressor; }
  QvProgress* Progressor() const { return m_Progressor; }
  /// \}

  // ---- Opening and closing --------------------------------------------

  /// Creates or truncates path for writing ("wb"); writes nothing. False:
  /// BadArgument for a null path, CannotOpen when it can't be created.
  bool OpenToWrite(const char* path);
  /// Opens an existing neutral file for update ("r+b") at its end. The
  /// byte-order flag is kept. A file whose first block is not "WyNF" gives
  /// false (NotNeutral) but stays open and owned until CloseFile or the
  /// next open; CannotOpen when it can't be opened.
  bool OpenToAppend(const char* path);
  /// Opens path for reading ("rb") at offset 0 and reads the order byte.
  /// Not a neutral file (first block not exactly "WyNF", or shorter than
  /// 17 bytes): closes it again and returns false, with NotNeutral (or
  /// Truncated for a "WyNF" block cut before the order byte); CannotOpen
  /// when it can't be opened, BadArgument for a null path.
  bool OpenToRead(const char* path);
  /// Begins replacing path, or the file that path links to (the link
  /// stays a link): opens a new temporary file in the target's folder for
  /// binary writing at offset 0. Writes nothing; the target is untouched
  /// until Commit. False for a null path (BadArgument), a folder that
  /// can't take a new file (CannotOpen) or too little memory (NoMemory).
  bool OpenToReplace(const char* path);
  /// Completes the replacement: flushes, forces the data to storage,
  /// closes, gives the new file the target's permission bits (a new
  /// target gets what fopen gives) and renames it over the target in one
  /// step. False, with the target unchanged and the temporary file
  /// removed, when any write since OpenToReplace failed or a step of the
  /// commit fails (WriteFailed); false, changing nothing, when no
  /// replacement is open (BadArgument; a copy of the object never has
  /// one). Afterwards the object holds no stream.
  bool Commit();
  /// Closes an owned stream; a borrowed one is neither closed nor detached.
  /// An uncommitted replacement is abandoned: its temporary file is
  /// removed and the target keeps its bytes. Always true.
  bool CloseFile();

  // ---- Positioning (false without a stream: BadArgument; a stream that
  // ---- can't be positioned: SeekFailed) --------------------------------

  /// Moves to offset 0.
  bool GoToFileBegin() const;
  /// Moves to the end of the stream.
  bool GoToFileEnd() const;
  /// Moves to absolute offset pos; false for a negative pos.
  bool GoToFilePosition(const std::int32_t& pos) const;
  /// Current offset; false with pos = -1 when it can't be had (SeekFailed)
  /// or does not fit in 31 bits (TooLarge).
  bool GetFilePosition(std::int32_t& pos) const;

  // ---- Header ------------------------------------------------------------

  /// Writes the 121-byte header at offset 0 (dated today, order byte 0);
  /// null texts are written empty, longer ones cut to 16 and 80 bytes.
  /// Needs a stream; the position afterwards is 121.
  bool WriteHeader(const char* shortText, const char* longText);
  /// Reads the header at offset 0 and copies out its date and texts; any
  /// output may be null, else it must hold 9, 17 and 81 bytes. False,
  /// copying nothing, when the first block is not "WyNF" version 20000701
  /// (NotNeutral); Truncated when the header is cut off.
  bool ReadHeader(char* date, char* shortText, char* longText);

  // ---- Id blocks --------------------------------------------------------

  /// Begins a block: name (cut to 8), end address 0 (stream only), version.
  /// Returns the block's offset (0 without a stream), -1 on failure or
  /// when the block's 16 bytes would end past 2^31 - 1 (TooLarge, nothing
  /// written).
  std::int32_t WriteIdBlock(const char* name, unsigned int version);
  /// Stores the current position as the end address of the block at
  /// address. Without a stream: writes nothing, true when a buffer is set.
  /// BadArgument for a negative address or neither stream nor buffer.
  bool UpdateIdBlock(std::int32_t address);
  /// Writes the current position as 4 bytes at address and comes back.
  bool WriteAddressAt(std::int32_t address);
  /// Writes the "WyNULL" block (version 0, end address left 0) that closes
  /// a list; a walk that reads it goes on at offset 0.
  bool WriteNullIdBlock();
  /// Reads the id block at block.m_EndAddress (or here when it is < 0);
  /// afterwards the position is at the block's data. Called again with the
  /// same record it reads the next block of the same level. Without a
  /// stream it reads 12 bytes from the buffer, m_Address becomes the
  /// buffer count and m_EndAddress is left as it was.
  bool ReadIdBlock(IdBlock& block);
  /// Walks the blocks from the current position until one is named like
  /// the first 8 characters of name; the position is then at its data.
  /// Each step is ReadIdBlock with the record just read, so a block with a
  /// negative end address is followed by the block at its data. False at a
  /// failed read, or when the walk comes back to a block it has read
  /// before (a looping chain: Damaged); NotFound when the chain ends
  /// without the name, ReadFailed when the stream refuses. Without
  /// a stream it reads consecutive 12-byte id blocks from a bounded buffer
  /// and stops before passing its capacity (NotFound); with an unbounded
  /// buffer it reads nothing and returns false (BadArgument).
  bool ScanIdBlock(const char* name, IdBlock& block);

  // ---- Byte order and memory buffer ------------------------------------

  /// When true, every 4- and 8-byte value read is byte-reversed.
  void SetL2R(bool l2r) { m_L2R = l2r; }
  /// Without a stream, reads and writes move through buf from here on;
  /// the caller keeps buf large enough. The count starts at 0.
  void SetBuf(char* buf);
  /// Like SetBuf(buf), but a transfer that would move the count past
  /// capacity fails, moves nothing and leaves the count as it was.
  void SetBuf(char* buf, std::size_t capacity);
  /// Bytes read or written through the buffer since the last SetBuf.
  int BufSize() const { return m_BufSize; }

  /// \name Typed reads
  /// \{

  /// Little-endian values, reversed when the byte-order flag is set. True
  /// when every value was read. Single values are stored only when read
  /// whole. Array reads of n <= 0 read nothing and succeed; on a failure
  /// the elements before the failing one are stored and the failing one
  /// keeps its old value (a device error inside a large regular-file read
  /// may partly overwrite it). Float and double bit patterns are copied
  /// unchanged, NaN payloads included. Reasons: Truncated at the end of the
  /// data, ReadFailed when the stream refuses, BadArgument for null values
  /// or neither stream nor buffer.
  bool ReadUInt(unsigned int& value);
  bool ReadAddress(std::int32_t& value);
  bool ReadInt(int* values, int n);
  bool ReadLong(std::int32_t* values, int n);
  bool ReadUInt(unsigned int* values, int n);
  bool ReadFloat(float* values, int n);
  bool ReadDouble(double* values, int n);
  /// \}
  /// Reads width bytes into text and stores a zero at text[width] (text
  /// holds width + 1 bytes). On failure text may hold part of the bytes.
  bool ReadString(char* text, int width);
  /// Reads one byte; the value is true for any non-zero byte.
  bool ReadBool(bool* value);
  /// \name One-byte reads
  /// \{

  /// Read one byte into value unchanged.
  bool ReadWyBOOL(unsigned char* value);
  bool ReadUChar(unsigned char* value);
  /// \}

  /// \name Typed writes
  /// \{

  /// Always little-endian; true when every value was written. Array writes
  /// of n <= 0 write nothing and succeed; on a failure the elements before
  /// the failing one have been written. Nothing is undone. Reasons:
  /// WriteFailed when the stream refuses, TooLarge past offset 2^31 - 1 or
  /// a bounded buffer's capacity, BadArgument for null values or neither
  /// stream nor buffer.
  bool WriteInt(const int* values, int n);
  bool WriteLong(const std::int32_t* values, int n);
  bool WriteUInt(const unsigned int* values, int n);
  bool WriteFloat(const float* values, int n);
  bool WriteDouble(const double* values, int n);
  bool WriteInt(const int& value);
  bool WriteLong(const std::int32_t& value);
  bool WriteUInt(const unsigned int& value);
  bool WriteFloat(const float& value);
  bool WriteDouble(const double& value);
  /// \}
  /// Writes the first width characters of text, zero-padded when shorter
  /// and without a terminator when not (a null text is written empty). On
  /// a stream, a text is refused whole when its width would pass the size
  /// limit; otherwise a failing text leaves what was written of it.
  bool WriteString(const char* text, int width);
  /// WriteString(text, 8).
  bool WriteName(const char* text);
  /// WriteString(text, 80).
  bool WriteLongName(const char* text);
  /// One byte: 1 for true, 0 for false.
  bool WriteBool(const bool& value);
  /// \name One-byte writes
  /// \{

  /// Write value as one byte unchanged.
  bool WriteWyBOOL(const unsigned char& value);
  bool WriteUChar(const unsigned char& value);
  /// \}

 protected:
  /// Shared step of the three opens; mode is "wb", "r+b" or "rb".
  bool FileOpen(const char* path, const char* mode);
  /// True when the id block at offset 0 is named "WyNF".
  bool IsNeutralFile();
  /// Reads the order byte at offset 16 into the byte-order flag and
  /// returns to the position it started from.
  bool ReadL2R();
  /// Reads the header's data (version 20000701) from the current position.
  bool ReadHeader20000701(char* date, char* shortText, char* longText);

  /// \name Raw transfer
  /// \{

  /// Move size bytes from or to the stream, else the buffer; false when not
  /// all could be moved or there is neither. A stream write that would end
  /// past offset 2^31 - 1 moves nothing.
  bool ReadData(void* buf, unsigned int size);
  bool WriteData(const void* buf, unsigned int size);
  /// \}
  /// ReadData, then reverses the bytes when the byte-order flag is set.
  bool FreadLR(void* buf, unsigned int size);

  std::FILE* m_pFile;        ///< the stream, null when detached
  bool m_L2R;                ///< the byte-order flag (see SetL2R)
  bool m_OwnFile;            ///< whether this object closes m_pFile
  QvProgress* m_Progressor;  ///< see SetProgressor
  char* m_Buf;               ///< where the next buffer transfer goes
  std::int32_t m_BufSize;    ///< bytes moved since SetBuf (see BufSize)

 private:
  // The offset of stream m_PosStream when it was last asked, kNoPosition
  // for a stream without positions (remembered, so that a pipe is not
  // asked at every write), kPastLimit past offset 2^31 - 1, -1 when not
  // known. It counts only while m_PosStream is m_pFile. It sits in what was
  // padding after m_BufSize, and the replacement state below in the place
  // it had, so that the class keeps the size and the member offsets that
  // applications were built with.
  mutable std::int32_t m_StreamPos;

 protected:
  std::size_t m_BufCapacity;  ///< bytes the buffer holds from its start
  bool m_BufBounded;          ///< whether m_BufCapacity applies

 private:
  // Byte-level transfer shared by the single-value and array operations:
  // how many bytes (at most size) could be moved, never more than fit.
  std::size_t ReadSome(void* buf, std::size_t size);
  std::size_t WriteSome(const void* buf, std::size_t size);
  // Bytes that the buffer may still move (SIZE_MAX when unbounded).
  std::size_t BufRoom() const;
  // Bytes that may still be written to the stream where it stands without
  // passing offset 2^31 - 1 (SIZE_MAX on a stream without positions); less
  // than need also marks a pending replacement as failed.
  std::size_t StreamRoom(std::size_t need);
  // Sets the tracked position from the stream (-1 when it can't be had).
  void SyncStreamPos() const;
  // Where the next write lands: GetFilePosition, but the end of the file
  // (and what the stream holds) on a stream opened for appending.
  bool GetWritePosition(std::int32_t& pos) const;
  // Moves the buffer pointer on by n bytes and counts them.
  void AdvanceBuf(std::size_t n);
  template <std::size_t W>
  bool ReadWords(void* values, int n);
  template <std::size_t W>
  bool WriteWords(const void* values, int n);

  // The replacement that OpenToReplace began (null when there is none):
  // the target, the temporary file and whether a write to it has failed.
  // What belongs to a stream this object opened itself: its stdio buffer,
  // the bytes held for a block being written, where the stream stands, and
  // the replacement that OpenToReplace began (the type is named after that,
  // its first use). Copies and assigned files share the owner's record; an
  // object that borrows a stream keeps one of its own for the position.
  struct Replacement;
  Replacement* m_Replace;
  mutable std::FILE* m_PosStream;  // the stream m_StreamPos is for
  // Remembers a failed write for Commit; nothing without a replacement.
  void NoteWriteFailure();
  // Hands the bytes held for a block being written to the stream, where
  // other code can see them; false when the stream refused some.
  bool HandOver() const;
  // Shares other's record when it is an owner's, else gets one of its own
  // when this object has a stream (see m_Replace).
  void TakeRecordOf(const QvNeutralFile& other);
};

#endif  // QVBASE_QVNEUTRALFILE_H
