/// \file
/// A string that holds a file path and splits, extends, shortens and tests
/// it.
///
/// All path rules are plain text rules, the same on every system: the only
/// directory separator is the backslash (a forward slash is an ordinary
/// character), an extension is whatever follows the last dot, comparisons
/// are case-sensitive and nothing is normalised. A drive prefix such as C:
/// is part of the first component. Only ExistDir and ExistFile touch the
/// file system. Every QvStdString operation works on a QvFileName too.
///
/// \code
/// QvFileName n("a.txt");
/// n.MakeFullNameIfNot("C:\\work");  // "C:\work\a.txt"
/// n.CutExtension(4);                // "C:\work\a"
/// \endcode
#ifndef QVBASE_QVFILENAME_H
#define QVBASE_QVFILENAME_H

#include <QvBase/QvExport.h>
#include <QvBase/QvStdString.h>

#include <string>

/// A string that holds a file path, with the plain-text path rules of
/// QvFileName.h.
class QV_BASE_API QvFileName : public QvStdString {
 public:
  QvFileName() = default;
  /// The name is a copy of text (non-null), taken literally.
  QvFileName(const char* text);
  /// The name is a copy of text.
  QvFileName(const std::string& text);
  /// Copies the name.
  QvFileName(const QvFileName& other) = default;
  /// Takes the other's name over.
  QvFileName(QvFileName&& other) noexcept = default;
  ~QvFileName() = default;
  /// Copies the name.
  QvFileName& operator=(const QvFileName& other) = default;
  /// Takes the other's name over.
  QvFileName& operator=(QvFileName&& other) noexcept = default;

  /// The name becomes a copy of text (non-null).
  void Set(const char* text);
  /// The name becomes a copy of text.
  void Set(const std::string& text);

  /// The name's characters; "" for an empty name, never null.
  const char* GetName() const;
  /// True when the name holds no backslash (also the empty name).
  bool IsShortName() const;
  /// True when the name holds a backslash: !IsShortName().
  bool IsFullName() const;
  /// The part after the last backslash (the whole name when it is short;
  /// "" when it ends in a backslash). Points into the name.
  const char* GetShortName() const;
  /// The part before the last backslash; empty for a short name.
  std::string GetDirName() const;
  /// Keeps only the part after the last backslash.
  void MakeShortName();
  /// The name becomes dir, a backslash, then the old name (no checks: an
  /// empty dir gives a leading backslash).
  void MakeFullName(const std::string& dir);
  /// MakeFullName(dir) when the name is short.
  void MakeFullNameIfNot(const std::string& dir);

  /// True when the name is longer than ext and ends with it (the dot is
  /// not implied: "txt" and ".txt" both hold for a.txt; "" holds for every
  /// non-empty name).
  bool IfExtension(const char* ext) const;
  /// Appends ext unless IfExtension(ext); a name equal to ext gets it twice.
  void AddExtension(const char* ext);
  /// Removes ext from the end when IfExtension(ext).
  void CutExtension(const char* ext);
  /// Removes the last dot of the whole name and what follows it when that
  /// is at most maxLength characters (dot included). A negative maxLength
  /// counts as unlimited.
  void CutExtension(int maxLength);

  /// The name is an existing directory; false for an empty name.
  bool ExistDir() const;
  /// The name is an existing entry that is not a directory.
  bool ExistFile() const;
  /// ExistFile() of a copy made full with dir (non-null) if it is short.
  bool ExistFile(const char* dir) const;
};

#endif  // QVBASE_QVFILENAME_H
