/// \file
/// Abstract base of every object stored in a neutral file.
///
/// A derived class names its block (IdString, stored cut to 8 characters),
/// gives the version of the layout it writes, writes its data and reads each
/// version it knows. The base supplies the surrounding protocol: the file
/// and its header for the path forms, the object's id block with its
/// back-patched end address, and finding the block again by name.
///
/// \code
/// class Part : public QvWritableObj {
///   bool WriteDataBlock(QvNeutralFile& f) const override;
///   bool ReadDataBlock(QvNeutralFile& f, unsigned int version) override;
///   const char* IdString() const override { return "PartData"; }
///   unsigned int Version() const override { return 20260101; }
/// };
/// part.WriteNF("model.qnf");   // header + one block
/// part.SaveNF("model.qnf");    // the same, never damaging the old file
/// other.ReadNF("model.qnf");   // finds "PartData" and reads it
/// \endcode
#ifndef QVBASE_QVWRITABLEOBJ_H
#define QVBASE_QVWRITABLEOBJ_H

#include <QvBase/QvExport.h>

#include <cstdint>
#include <cstdio>

class QvNeutralFile;

/// An object that stores itself as one block of a neutral file.
class QV_BASE_API QvWritableObj {
 public:
  /// \name Construction and copying
  /// \{

  /// The base holds no state: these do nothing.
  QvWritableObj() = default;
  QvWritableObj(const QvWritableObj&) = default;
  QvWritableObj& operator=(const QvWritableObj&) = default;
  /// \}

  // The virtual operations are declared in the order of their slots, on
  // which classes derived in other modules depend: WriteDataBlock,
  // ReadDataBlock, IdString, Version, then the destructor.

  /// Writes the object's data right after its id block; true when all
  /// data were written. May write nested blocks and null blocks.
  virtual bool WriteDataBlock(QvNeutralFile& file) const = 0;
  /// Reads data of the given stored version from the file's position;
  /// false for a version the object does not know.
  virtual bool ReadDataBlock(QvNeutralFile& file, unsigned int version) = 0;
  /// Name of the object's block; its first 8 characters are stored.
  virtual const char* IdString() const = 0;
  /// Version (a yyyymmdd date) of the layout WriteDataBlock writes.
  virtual unsigned int Version() const = 0;
  /// Does nothing; derived objects may be destroyed through the base.
  virtual ~QvWritableObj();

  /// Opens path, finds this object's block from the start of the file and
  /// reads it. False for a missing file (CannotOpen), a file that is not a
  /// neutral file (NotNeutral), or one without the block (NotFound); see
  /// ReadNF(QvNeutralFile&) for the rest.
  bool ReadNF(const char* path);
  /// Borrows an open stream (left open) and reads this object's block,
  /// searching from the stream's current position.
  bool ReadNF(std::FILE* stream);
  /// Finds this object's block from the file's current position and reads
  /// it. Not found: the position is restored and the result is false
  /// (NotFound). After a read the position is wherever the object's reading
  /// left it; a ReadDataBlock that fails without giving a reason of its
  /// own (QvLastError()) gives Damaged. Never throws.
  bool ReadNF(QvNeutralFile& file);

  /// Creates path as a neutral file holding a header and this object's
  /// block. A failed write leaves the partial file on disk; CannotOpen
  /// when path can't be created, WriteFailed when the system refuses.
  bool WriteNF(const char* path) const;
  /// Writes what WriteNF(path) writes, but through a temporary file that
  /// replaces path (or the file that path links to) only once it is
  /// complete and on storage (QvNeutralFile::OpenToReplace and Commit). On
  /// any failure the target keeps its previous content and nothing is
  /// left beside it; the reasons are OpenToReplace's, the writes' and
  /// Commit's.
  bool SaveNF(const char* path) const;
  /// Borrows an open stream (neither closed nor flushed) and writes this
  /// object's block at its current position; no header.
  bool WriteNF(std::FILE* stream) const;
  /// Writes this object's block at the file's current position. When the
  /// data cannot be written the block keeps end address 0; a
  /// WriteDataBlock that fails without a reason of its own gives
  /// WriteFailed. Never throws.
  bool WriteNF(QvNeutralFile& file) const;

  /// Begins this object's block; returns its address, or -1 on failure.
  std::int32_t WriteIdBlock(QvNeutralFile& file) const;
};

#endif  // QVBASE_QVWRITABLEOBJ_H
