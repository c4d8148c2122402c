/// \file
/// The library's string: a standard string of 8-bit characters with
/// printf-style building, trimming, word scanning and value parsing.
///
/// QvStdString derives publicly from std::string and adds no data, so every
/// standard string operation applies and a QvStdString passes wherever a
/// std::string is expected. Texts are counted byte sequences, compared byte
/// by byte and case-sensitively.
///
/// Word scanning uses signed positions: a scan starts at `pos`, moves it on,
/// and sets it to -1 when the text has been read to its end. A scan given a
/// negative position returns false and changes nothing. On a false result the
/// output word or value is left exactly as it was.
///
/// \code
/// QvStdString line("%d %s", 3, "4.5 abc");
/// int pos = 0, n = 0;
/// double d = 0;
/// line.GetValue(pos, n);  // n == 3, pos == 1
/// line.GetValue(pos, d);  // d == 4.5, pos == 5
/// \endcode
#ifndef QVBASE_QVSTDSTRING_H
#define QVBASE_QVSTDSTRING_H

#include <QvBase/QvExport.h>

#include <string>

// Lets the compiler check printf-style formats against their arguments.
#ifndef QV_PRINTF_LIKE
#if defined(__GNUC__)
#define QV_PRINTF_LIKE(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define QV_PRINTF_LIKE(fmt, args)
#endif
#endif

/// A standard string with printf-style building, trimming, word scanning
/// and value parsing; QvStdString.h gives the rules of the scans.
class QV_BASE_API QvStdString : public std::string {
 public:
  /// The empty text.
  QvStdString() = default;
  /// Formats the arguments by `format` (vsprintf rules, the process's
  /// locale) and takes the result. The only constructor from a
  /// zero-terminated text: a literal percent sign is written "%%". Results
  /// of any length are kept whole; those below 1024 bytes need no scratch
  /// allocation. The result is a text: it ends at its first zero byte (a
  /// %c of 0). A format the C library rejects gives the empty text.
  /// Memory short for the result: throws std::bad_alloc, as every
  /// std::string operation that needs memory does; the text is never cut.
  QvStdString(const char* format, ...) QV_PRINTF_LIKE(2, 3);
  /// A copy of `text`, taken literally.
  QvStdString(const std::string& text) : std::string(text) {}
  /// Copies and moves as the standard string does.
  QvStdString(const QvStdString& other) = default;
  /// \copydoc QvStdString(const QvStdString&)
  QvStdString(QvStdString&& other) noexcept = default;
  ~QvStdString() = default;
  /// Copies the other text; assigning an object to itself changes nothing.
  /// Note that `s = "text"` goes through the formatting constructor.
  QvStdString& operator=(const QvStdString& other) = default;
  /// Takes the other text over, as the standard string does.
  QvStdString& operator=(QvStdString&& other) noexcept = default;

  /// \name Changing the text
  /// \{

  /// Replaces the text by `text`, taken literally (no formatting). A null
  /// `text` counts as the empty text, here and in Append.
  void Set(const char* text);
  /// Replaces the text by a copy of `other`'s.
  void Set(const QvStdString& other);
  /// Formats as the formatting constructor does and replaces the text. The
  /// arguments may point into this string's own text. Memory short:
  /// throws std::bad_alloc, the text unchanged.
  void SetFormat(const char* format, ...) QV_PRINTF_LIKE(2, 3);
  /// Appends `text` literally.
  void Append(const char* text);
  /// Appends `other`'s text.
  void Append(const QvStdString& other);
  /// Formats as the formatting constructor does and appends the result; the
  /// arguments may point into this string's own text. Memory short:
  /// throws std::bad_alloc, the text unchanged.
  void AppendFormat(const char* format, ...) QV_PRINTF_LIKE(2, 3);
  /// Removes `count` characters from `pos` on (fewer when the text ends
  /// first). A `pos` at or past the end changes nothing and never throws.
  QvStdString& Erase(unsigned int pos, unsigned int count);
  /// Empties the text.
  void Clear();
  /// Removes trailing '0' characters (a text of zeros only is kept), then a
  /// trailing '.' when `dropPoint` is set. Looks at characters only:
  /// "100" becomes "1", "2.500" becomes "2.5".
  void DelTrailingZero(bool dropPoint);
  /// Removes trailing blanks, tabs, line feeds and carriage returns. A text
  /// made of white space only is left unchanged.
  void DelTrailingWhite();
  /// \}

  /// \name Reading the text
  /// \{

  /// Address of the character at `index` in the zero-terminated text;
  /// Data(0) is the whole text (also when empty). No range check.
  const char* Data(int index) const { return c_str() + index; }
  /// True when both texts have the same length and bytes.
  bool IsSame(const QvStdString& other) const;
  /// True when `c` occurs in the text.
  bool IfInclude(char c) const;
  /// True when `part` occurs as a contiguous run; an empty part always does.
  bool IfInclude(const QvStdString& part) const;
  /// \}

  /// \name Word scanning
  /// A separator is every character of the set given.
  /// \{

  /// Next word at or after `pos`. On success `pos` is the index of the
  /// separator that ended the word, or -1 when the word ends the text.
  /// False (pos unchanged) when only separators remain. An empty set makes
  /// the rest of the text one word.
  bool GetWord(int& pos, QvStdString& word,
               const QvStdString& separators) const;
  /// The first word of the text.
  bool GetFirstWord(QvStdString& word, const QvStdString& separators) const;
  /// Next field of a separated list in which a field may be enclosed in
  /// double quotes (separators inside quotes belong to the field). An empty
  /// field, or no field left, returns false and moves `pos` on by one.
  /// Keeps one process-wide flag (whether the text scanned from position 0
  /// starts with a separator); not for concurrent use.
  bool GetCSWord(int& pos, QvStdString& word,
                 const QvStdString& separators) const;
  /// Index of the first occurrence of `key` at or after `start`, or -1
  /// (also for a negative start).
  int GetKeyPos(const QvStdString& key, int start) const;
  /// The word that follows the first occurrence of `key` (matched anywhere,
  /// also inside a word); false when the key is absent or ends the text.
  bool GetWordAfterKey(const QvStdString& key, QvStdString& word,
                       const QvStdString& separators) const;
  /// Number of words under the white-space set `" \t\n\r"`. The argument
  /// is not used.
  int CountWord(const QvStdString& unused = QvStdString()) const;
  /// True when `word` occurs delimited on both sides by a separator or an
  /// end of the text. False for an empty word.
  bool IfIncludeWord(const QvStdString& word,
                     const QvStdString& separators) const;
  /// True when the text has a first word and it is the same as `word`.
  bool IfFirstWordIs(const QvStdString& word,
                     const QvStdString& separators) const;
  /// Reads the next white-space word at `pos` (moving `pos` as GetWord
  /// does) and tells whether it is the same as `word`.
  bool CheckWord(int& pos, const QvStdString& word) const;
  /// \}

  /// \name Value reading
  /// Each reads the next white-space word and converts it as sscanf does in
  /// the "C" locale. `pos` moves past the word even when the conversion
  /// fails; `value` is written only on success.
  /// \{

  /// `"%f"`: the longest number at the start of the word ("12abc" gives 12).
  bool GetValue(int& pos, float& value) const;
  /// `"%lf"`.
  bool GetValue(int& pos, double& value) const;
  /// `"%d"`, after checking that every character is one of "0123456789+-".
  bool GetValue(int& pos, int& value) const;
  /// `"%c"`: the word's first character.
  bool GetValue(int& pos, char& value) const;
  /// \}
};

#endif  // QVBASE_QVSTDSTRING_H
