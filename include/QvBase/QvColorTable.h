/// \file
/// An ordered list of RGBA colours stored as one block of a neutral file.
///
/// The position of a colour in the list is its colour id (0 for the first).
/// Colours are added with a tolerance, so that a colour close enough to one
/// already present shares its id. Removing a colour moves every later one a
/// place forward. On the file the table is the block "ColorTab", version
/// 20010104: a count byte, four little-endian floats per colour, and a
/// closing null block; at most 255 colours can be stored.
#ifndef QVBASE_QVCOLORTABLE_H
#define QVBASE_QVCOLORTABLE_H

#include <QvBase/QvExport.h>
#include <QvBase/QvWritableObj.h>

#include <vector>

/// An ordered list of RGBA colours whose positions are their ids, stored
/// as the block "ColorTab" of a neutral file.
class QV_BASE_API QvColorTable : public QvWritableObj {
 public:
  /// One colour.
  struct QvColorStruct {
    float m_Color[4];  ///< red, green, blue, alpha
  };

  /// Largest number of colours that one stored block can hold.
  static constexpr int kMaxStoredColors = 255;

  /// An empty table.
  QvColorTable();
  /// Copies the colours; throws std::bad_alloc, as a std::vector copy
  /// does, when memory for them is short (a constructor has no result).
  QvColorTable(const QvColorTable& other);
  /// Replaces the colours by copies of other's; self-assignment is a no-op.
  /// Throws std::bad_alloc as the copy does, the table unchanged then.
  QvColorTable& operator=(const QvColorTable& other);

  /// Writes count, colours and a closing null block. A table of more than
  /// 255 colours writes nothing and gives false (TooLarge).
  bool WriteDataBlock(QvNeutralFile& file) const override;
  /// Reads version 20010104; any other version gives false (Unsupported),
  /// table unchanged.
  bool ReadDataBlock(QvNeutralFile& file, unsigned int version) override;
  /// "ColorTable", stored as the block name "ColorTab".
  const char* IdString() const override;
  /// 20010104.
  unsigned int Version() const override;
  ~QvColorTable() override;

  /// Finds the table's block from the file's position and reads it.
  bool LoadColorTable(QvNeutralFile& file);
  /// Writes the table's block at the file's position.
  bool WriteColorTable(QvNeutralFile& file);

  /// Id of the first colour within tolerance of rgba (every component's
  /// difference strictly below it); none: appends rgba and returns its id.
  /// -1, the table unchanged, when memory for the new colour is short
  /// (QvLastError() is NoMemory).
  int AddColor(const float* rgba, float tolerance);
  /// True when some colour is within tolerance of rgba.
  bool HasSameColor(const float* rgba, float tolerance);
  /// Removes the first colour within tolerance; false when there is none.
  bool RemoveColor(const float* rgba, float tolerance);
  /// Copies colour id into rgba; false (rgba untouched) for an id outside
  /// 0 .. count-1.
  bool GetColor(int id, float* rgba);

 protected:
  /// Reads the data of version 20010104. A cut-off table keeps the colours
  /// read so far and gives false (Truncated); the closing null block is not
  /// read. No memory for the colours: false (NoMemory), table unchanged.
  bool ReadNF20010104(QvNeutralFile& file);
  /// The first colour within tolerance of rgba, or one past the last.
  QvColorStruct* FindSameColor(const float* rgba, float tolerance);

  std::vector<QvColorStruct> m_Colors;  ///< the colours, by id
};

#endif  // QVBASE_QVCOLORTABLE_H
