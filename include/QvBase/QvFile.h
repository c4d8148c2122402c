/// \file
/// Reads a text file by lines, by words and by strings.
///
/// The object's name is the path that the open operations use. Everything
/// read lands in one line buffer of 1024 characters inside the object, and
/// every reading operation returns a pointer into that buffer (or null),
/// valid until the next reading operation. Words are cut out of the buffer
/// in place, as strtok does, at the characters of a separator set that the
/// caller may change; the scan position belongs to the object. Reading
/// allocates nothing.
///
/// \code
/// QvFile f("model.txt");
/// if (f.OpenToRead(true))
///   while (f.GetDataLine() != nullptr)
///     for (const char* w = f.GetFirstWord(); w; w = f.GetNextWord()) ...
/// \endcode
///
/// A copy starts closed (its stream stays with the source); an assignment
/// closes the target's stream first. Reading a closed file gives null.
#ifndef QVBASE_QVFILE_H
#define QVBASE_QVFILE_H

#include <QvBase/QvExport.h>
#include <QvBase/QvNamedObj.h>
#include <QvBase/QvStdString.h>

#include <cstdint>
#include <cstdio>

/// A text file read by lines, words and strings through one line buffer;
/// its name is its path.
class QV_BASE_API QvFile : public QvNamedObj {
 public:
  /// The error state: OpenError from the first failed open on.
  enum ErrorEnum : std::int32_t { NoError = 0, OpenError = 1 };

  /// The size of the line buffer; a piece holds at most kBufferSize - 1
  /// characters.
  static constexpr int kBufferSize = 1024;

  /// A closed file whose path is name (null: the empty name).
  QvFile(const char* name = nullptr);
  /// Copies the name, the error state, the buffer (with its scan position)
  /// and the separators; the copy starts closed.
  QvFile(const QvFile& other);
  /// Closes this file's stream, then copies as the copy constructor does.
  /// Assigning a file to itself changes nothing. Memory short for the
  /// texts: throws std::bad_alloc, this file unchanged (and still open).
  QvFile& operator=(const QvFile& other);
  /// Closes the stream if one is open.
  ~QvFile() override;

  /// Closes any open stream, then opens the path for reading in text
  /// (true) or binary (false) mode. An empty name or a failed open (also
  /// a path that is a directory) gives false and sets GetError() to
  /// OpenError for good; QvLastError() (QvError.h) is BadArgument for the
  /// empty name, else CannotOpen with the system's number in
  /// QvLastSystemError() (EISDIR for a directory).
  bool OpenToRead(bool text);
  /// As OpenToRead, for writing: creates the file or empties it.
  bool OpenToWrite(bool text);
  /// Closes the stream if open and empties the buffer; the error stays.
  void Close();
  /// True while a stream is open.
  bool IsOpen() const;
  /// OpenError once any open has failed, else NoError.
  ErrorEnum GetError() const;

  /// The characters of separators (non-null) become the separator set for
  /// words. The default set is " \t\n\r"; it persists across opens.
  void SetSeparator(const char* separators);

  /// Next line with its newline, or the next 1023 characters of a longer
  /// line. Null at the end of the file (the buffer keeps its content), on
  /// a read error (the buffer is emptied) and on a closed file; the reason
  /// is EndOfFile, ReadFailed or BadArgument. The string reads below give
  /// the same reasons.
  const char* GetLine();
  /// Next line holding a character outside the separator set; null when
  /// the end of the file comes first.
  const char* GetDataLine();

  /// Starts a word scan at the buffer's start: the first word, or null.
  /// The separator that ends the word is overwritten with a zero.
  const char* GetFirstWord();
  /// The next word of the scan, or null once the buffer is used up. Right
  /// after a line or string is read, the scan stands at the buffer start.
  const char* GetNextWord();
  /// The rest of the current line after the last word (delimited by
  /// newline and carriage return only), or null when nothing is left.
  const char* GetRemainString();

  /// Next white-space delimited string of the file (whatever the separator
  /// set is); a longer string comes in pieces of at most 1023 characters.
  /// Null at the end of the file and on a closed file.
  const char* GetString();
  /// Next word of the file across line ends: the rest of the current scan
  /// first, then the words of the strings that follow. Null at the end.
  const char* GetNextString();

  /// The buffer as it stands (up to its first zero).
  const char* Data() const;
  /// True when text occurs in the buffer (up to its first zero); false for
  /// a null text.
  bool CheckDataInclude(const char* text) const;
  /// True when the buffer, after its leading separators, begins with text;
  /// an empty text always passes, a null one never.
  bool CheckFirstWordIs(const char* text) const;

 protected:
  /// Closed, empty buffer, default separators, NoError.
  void Init0();
  /// The open stream (null when closed), for derived classes that write.
  std::FILE* pFile() { return m_pFile; }
  /// The open stream (null when closed), read-only.
  const std::FILE* pFile() const { return m_pFile; }

 private:
  bool Open(const char* mode);
  // GetString, telling whether the string holds a zero byte.
  const char* ReadString(bool* hasZero);
  void CopyFrom(const QvFile& other);
  void BuildSeparatorTable();
  void ReleaseStream();

  ErrorEnum m_Error;
  char m_Data[kBufferSize];
  QvStdString m_Separator;
  std::FILE* m_pFile;

  // Where the word scan continues in m_Data; -1 once it has ended.
  int m_ScanPos;
  // One entry per byte value, nonzero for the bytes of m_Separator (byte 0
  // never is one): the bound of the set for the word scan.
  unsigned char m_IsSep[256];
  // A larger stdio buffer for the open stream, freed after it is closed.
  char* m_pStreamBuf;
};

#endif  // QVBASE_QVFILE_H
