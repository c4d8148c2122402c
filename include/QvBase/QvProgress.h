/// \file
/// Base class of progress and message reporters.
///
/// A long operation tells its caller through a reporter how far it has come
/// and shows messages, status texts, questions, errors and warnings. The
/// base class keeps the counters (0 <= Current() <= Total() always) and the
/// mute flag, looks message texts up by key in an optional local message
/// file, composes each keyed text and drops it: it presents nothing, answers
/// every question with true and never reports an escape. An application
/// derives its own reporter and overrides the presenting operations; the
/// protected Compose helpers build the same texts from a va_list.
///
/// Local message file: a text file whose lines hold a key, a run of blanks,
/// double quotes, commas or tabs, then the message (optionally in double
/// quotes), e.g. `ERR_OPEN,  "Cannot open the file"`.
/// A lookup reads the file from its start each time and takes the first
/// line piece (at most 1023 characters) that contains the key anywhere.
///
/// A copy starts without a local message file; an assignment closes the
/// target's file first. Formatted parts of any length are kept whole; when
/// memory is short for a composed text, the operation throws
/// std::bad_alloc as the QvStdString that holds the text does.
#ifndef QVBASE_QVPROGRESS_H
#define QVBASE_QVPROGRESS_H

#include <QvBase/QvExport.h>
#include <QvBase/QvStdString.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>

/// Base class of progress and message reporters: keeps the counters, the
/// mute flag and the local message file, and presents nothing itself.
class QV_BASE_API QvProgress {
 public:
  /// Counters 0, not muted, no local message file.
  QvProgress();
  /// Copies the counters and the mute flag; starts without a message file.
  QvProgress(const QvProgress& other);
  /// Closes this reporter's message file, then copies as the copy
  /// constructor does. Assigning a reporter to itself changes nothing.
  QvProgress& operator=(const QvProgress& other);

  /// total >= 0: Total() = total and Current() = 0; negative: no change.
  virtual void SetTotal(int total);

  /// Presents the amount done (base: nothing); `force` asks for a redraw
  /// now.
  virtual void ShowProgress(int current, bool force);
  /// Presents a caption (base: nothing); `force` asks for a redraw now.
  virtual void ShowProgress(const QvStdString& caption, bool force);

  /// \name Messages, status texts, questions, errors and warnings
  /// Each family has three forms: two that take a caller-defined message id
  /// first, which the base ignores, and a keyed form that composes its text
  /// from GetLocalMsg(key) and the formatted arguments. The base presents
  /// nothing and answers every question with true.
  /// \{

  /// A message by id and code; the base ignores it.
  virtual void ShowMessage(int id, int code, ...);
  /// A message by id and format; the base ignores it.
  virtual void ShowMessage(int id, const char* format, ...);
  /// A message: GetLocalMsg(key) followed directly by the formatted
  /// arguments (format may be null), composed whether muted or not.
  virtual void ShowMessage(const QvStdString& key, const char* format, ...);

  /// A status text by id and code; the base ignores it.
  virtual void ShowStatus(int id, int code, ...);
  /// A status text by id and format; the base ignores it.
  virtual void ShowStatus(int id, const char* format, ...);
  /// A status text, composed as the keyed ShowMessage.
  virtual void ShowStatus(const QvStdString& key, const char* format, ...);

  /// A yes/no question by id and code; the base answers true.
  virtual bool Question(int id, int code, ...);
  /// A yes/no question by id and format; the base answers true.
  virtual bool Question(int id, const char* format, ...);
  /// A yes/no question: unless muted, composes GetLocalMsg(key), then a
  /// line feed and the formatted details; the base answers true.
  virtual bool Question(const QvStdString& key, const char* format, ...);

  /// A question whose answer may apply to all following cases: as
  /// Question(int, int, ...).
  virtual bool QuestionApplyAll(int id, int code, ...);
  /// As Question(int, const char*, ...).
  virtual bool QuestionApplyAll(int id, const char* format, ...);
  /// As the keyed Question.
  virtual bool QuestionApplyAll(const QvStdString& key, const char* format,
                                ...);

  /// An error by id and code; the base ignores it.
  virtual void SendError(int id, int code, ...);
  /// An error by id and format; the base ignores it.
  virtual void SendError(int id, const char* format, ...);
  /// An error, composed as the keyed Question, unless muted.
  virtual void SendError(const QvStdString& key, const char* format, ...);

  /// A warning by id and code; the base ignores it.
  virtual void SendWarning(int id, int code, ...);
  /// A warning by id and format; the base ignores it.
  virtual void SendWarning(int id, const char* format, ...);
  /// A warning, composed as the keyed SendError.
  virtual void SendWarning(const QvStdString& key, const char* format, ...);
  /// \}

  /// Whether the user asked to stop (base: false).
  virtual bool CheckEscape() const;
  /// Both counters to 0; the mute flag and the message file stay.
  virtual void Clear();
  /// Closes the local message file if one is open.
  virtual ~QvProgress();

  /// The total amount of work.
  int Total() const;
  /// The amount done, never above Total().
  int Current() const;
  /// current >= 0: Current() = current, raising Total() to it if needed;
  /// negative: no change.
  void SetCurrent(int current);
  /// step > 0: SetCurrent(Current() + step); otherwise no change.
  void Increment(int step);

  /// True while muted.
  bool IfMute() const;
  /// Muted reporters suppress questions, errors and warnings.
  void SetMute(bool mute);

  /// Null path: false (BadArgument), nothing changes. Otherwise closes the
  /// open file and opens path for reading; true when it is now open, else
  /// CannotOpen (QvError.h) with the system's number.
  bool OpenLocalMessageFile(const char* path);
  /// True when a local message file is open.
  bool IfLocalMsg() const;
  /// Looks key up in the local message file; text is overwritten always
  /// (key and text may be the same string). Found: the trimmed message and
  /// true. Not found: the key and false. No file open: the key followed by
  /// `"\nLocal Message file is not Found."` and false. QvLastError() after
  /// false: NotFound (no such key), CannotOpen (no file open), ReadFailed.
  /// Like a piece-by-piece
  /// read, the lookup leaves the file's stream right after the matching
  /// piece, or at the end of the file when no piece matched.
  bool GetLocalMsg(const QvStdString& key, QvStdString& text);

 protected:
  /// The open local message file, or null.
  std::FILE* pLocalMsgFile();
  /// The open local message file, or null; read-only.
  const std::FILE* pLocalMsgFile() const;

  /// text = GetLocalMsg(key), then the arguments formatted by format
  /// appended directly (nothing when format is null): the text of the
  /// keyed ShowMessage and ShowStatus.
  void ComposeMessage(QvStdString& text, const QvStdString& key,
                      const char* format, std::va_list args);
  /// text = GetLocalMsg(key), then a line feed and the formatted arguments
  /// (only when format is not null): the text of the keyed questions,
  /// errors and warnings. Does not look at the mute flag.
  void ComposeDetails(QvStdString& text, const QvStdString& key,
                      const char* format, std::va_list args);

 private:
  void Init0();
  void CloseLocalMessageFile();

  std::int32_t m_Total;
  std::int32_t m_Current;
  bool m_Mute;
  std::FILE* m_pLocalMsgFile;
  // The stdio buffer of the message file, freed after the file is closed.
  char* m_pMsgBuf;
};

#endif  // QVBASE_QVPROGRESS_H
