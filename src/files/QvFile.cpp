#include <QvBase/QvFile.h>

#include <cstring>
#include <new>
#include <string>

#include "files/LineRead.h"
#include "files/StringRead.h"
#include "frame/LastError.h"
#include "frame/Platform.h"
#include "text/SeparatorSet.h"

namespace {

const char kWhiteSpace[] = " \t\n\r";

// The separator-table entry that means "some separator is 128 or above".
constexpr unsigned kNoBound = 255;

// The stdio buffer that an open stream gets: large reads keep the per-line
// cost of reading lines low on big files.
constexpr std::size_t kStreamBufferSize = 128 * 1024;

// Whether every character of separators is white space to GetString;
// the usual set is recognised at once.
bool AllStringSpace(const std::string& separators) {
  if (qv::text::IsWhiteSet(separators)) return true;
  for (const char c : separators)
    if (!qv::files::detail::IsSpace(static_cast<unsigned char>(c)))
      return false;
  return true;
}

bool IsLineEnd(unsigned char c) {
  return c == '\n' || c == '\r';
}

// One strtok step over data (size bytes, zero-terminated within them)
// from pos: skips delimiters, cuts the token that follows by writing a
// zero over the delimiter that ends it, and moves pos past that zero (-1
// once the text is used up). isDelim must be false for the zero byte;
// every delimiter lies below bound (0: no such bound), which lets the
// token's end be looked for eight bytes at a time.
template <class IsDelim>
const char* NextToken(char* data, std::size_t size, int& pos, IsDelim isDelim,
                      unsigned bound) {
  if (pos < 0) return nullptr;
  char* s = data + pos;
  while (isDelim(static_cast<unsigned char>(*s))) ++s;
  if (*s == '\0') {
    pos = -1;
    return nullptr;
  }
  // The zero that ends the text counts as a candidate too: it lies below
  // any bound.
  char* e =
      data + qv::text::FindSeparatorBy(
                 data, static_cast<std::size_t>(s + 1 - data), size,
                 [isDelim](char c) {
                   return c == '\0' || isDelim(static_cast<unsigned char>(c));
                 },
                 bound);
  if (*e != '\0') {
    *e = '\0';
    pos = static_cast<int>(e + 1 - data);
  } else {
    pos = -1;
  }
  return s;
}

// The reason a read of the file gives nothing: no stream, a refused read
// or the end of the file. Null, for `return NoRead(m_pFile)`.
QV_COLD const char* NoRead(std::FILE* stream) {
  if (stream == nullptr)
    qv::Fail(QvError::BadArgument);
  else if (std::ferror(stream) != 0)
    qv::FailWithErrno(QvError::ReadFailed);
  else
    qv::Fail(QvError::EndOfFile);
  return nullptr;
}

}  // namespace

QvFile::QvFile(const char* name) : QvNamedObj(name) {
  m_pFile = nullptr;
  m_pStreamBuf = nullptr;
  Init0();
}

QvFile::QvFile(const QvFile& other)
    : QvNamedObj(other), m_Separator(other.m_Separator) {
  m_pFile = nullptr;
  m_pStreamBuf = nullptr;
  CopyFrom(other);
}

QvFile& QvFile::operator=(const QvFile& other) {
  if (this == &other) return *this;
  // The texts are copied before anything changes: a shortage of memory
  // then leaves this file as it was, open or not.
  std::string name = other.m_Name;
  QvStdString separator = other.m_Separator;
  Close();
  m_Name.swap(name);
  m_Separator.swap(separator);
  CopyFrom(other);
  return *this;
}

QvFile::~QvFile() {
  Close();
}

void QvFile::CopyFrom(const QvFile& other) {
  // The stream stays with its owner: this object keeps its own (closed).
  m_Error = other.m_Error;
  std::memcpy(m_Data, other.m_Data, sizeof m_Data);
  m_ScanPos = other.m_ScanPos;
  std::memcpy(m_IsSep, other.m_IsSep, sizeof m_IsSep);
}

void QvFile::Init0() {
  ReleaseStream();
  m_Error = NoError;
  std::memset(m_Data, 0, sizeof m_Data);
  m_Separator = kWhiteSpace;
  m_ScanPos = -1;
  BuildSeparatorTable();
}

void QvFile::BuildSeparatorTable() {
  // Every separator's entry holds the bound that lets the word scan test
  // eight bytes at a time: one above the highest separator when that is
  // below 128, else kNoBound.
  unsigned bound = 1;
  for (const char* p = m_Separator.c_str(); *p != '\0'; ++p) {
    const auto u = static_cast<unsigned char>(*p);
    bound = u >= bound ? u + 1u : bound;
  }
  const auto entry =
      static_cast<unsigned char>(bound <= 128 ? bound : kNoBound);
  std::memset(m_IsSep, 0, sizeof m_IsSep);
  for (const char* p = m_Separator.c_str(); *p != '\0'; ++p)
    m_IsSep[static_cast<unsigned char>(*p)] = entry;
}

void QvFile::ReleaseStream() {
  if (m_pFile != nullptr) std::fclose(m_pFile);
  m_pFile = nullptr;
  // The buffer may be freed only once the stream that used it is closed.
  delete[] m_pStreamBuf;
  m_pStreamBuf = nullptr;
}

bool QvFile::Open(const char* mode) {
  Close();
  if (m_Name.empty()) {
    m_Error = OpenError;
    return qv::Fail(QvError::BadArgument);
  }
  m_pFile = qv::platform::OpenStream(m_Name.c_str(), mode);
  if (m_pFile == nullptr) {
    m_Error = OpenError;
    return qv::FailWithErrno(QvError::CannotOpen);
  }
  m_pStreamBuf = new (std::nothrow) char[kStreamBufferSize];
  if (m_pStreamBuf != nullptr &&
      !qv::platform::SetStreamBuffer(m_pFile, m_pStreamBuf,
                                     kStreamBufferSize)) {
    delete[] m_pStreamBuf;
    m_pStreamBuf = nullptr;
  }
  return true;
}

bool QvFile::OpenToRead(bool text) {
  return Open(text ? "rt" : "rb");
}

bool QvFile::OpenToWrite(bool text) {
  return Open(text ? "wt" : "wb");
}

void QvFile::Close() {
  ReleaseStream();
  m_Data[0] = '\0';
  m_ScanPos = -1;
}

bool QvFile::IsOpen() const {
  return m_pFile != nullptr;
}

QvFile::ErrorEnum QvFile::GetError() const {
  return m_Error;
}

void QvFile::SetSeparator(const char* separators) {
  if (separators == nullptr) return;
  m_Separator.Set(separators);
  BuildSeparatorTable();
}

const char* QvFile::GetLine() {
  if (m_pFile == nullptr) return NoRead(m_pFile);
  if (!qv::files::ReadLine(m_pFile, m_Data, kBufferSize)) {
    // At the end of the file the buffer keeps what it held; after a read
    // error its content is undefined, so it is emptied. The end-of-file
    // flag tells them apart: the error flag may stand from an earlier call.
    if (std::feof(m_pFile) == 0) {
      m_Data[0] = '\0';
      m_ScanPos = -1;
    }
    return NoRead(m_pFile);
  }
  m_ScanPos = 0;
  return m_Data;
}

const char* QvFile::GetDataLine() {
  while (GetLine() != nullptr) {
    const unsigned char* p = reinterpret_cast<unsigned char*>(m_Data);
    while (m_IsSep[*p]) ++p;
    if (*p != '\0') return m_Data;
  }
  return nullptr;
}

const char* QvFile::GetFirstWord() {
  m_ScanPos = 0;
  return GetNextWord();
}

const char* QvFile::GetNextWord() {
  if (m_ScanPos < 0) return nullptr;
  const unsigned char* table = m_IsSep;
  // The bound is in the entry of any separator, such as the first (none:
  // the entry of the zero byte, 0).
  const unsigned bound =
      table[static_cast<unsigned char>(m_Separator.c_str()[0])];
  return NextToken(
      m_Data, sizeof m_Data, m_ScanPos,
      [table](unsigned char c) { return table[c] != 0; },
      bound != kNoBound ? bound : 0);
}

const char* QvFile::GetRemainString() {
  return NextToken(m_Data, sizeof m_Data, m_ScanPos, IsLineEnd, '\r' + 1);
}

const char* QvFile::GetString() {
  return ReadString(nullptr);
}

const char* QvFile::ReadString(bool* hasZero) {
  if (m_pFile == nullptr) return NoRead(m_pFile);
  const std::size_t n =
      qv::files::ReadString(m_pFile, m_Data, kBufferSize - 1, hasZero);
  if (n == 0) return NoRead(m_pFile);
  m_Data[n] = '\0';
  m_ScanPos = 0;
  return m_Data;
}

const char* QvFile::GetNextString() {
  if (m_pFile == nullptr) return NoRead(m_pFile);
  if (m_Data[0] != '\0' && m_ScanPos >= 0) {
    if (const char* word = GetNextWord()) return word;
  }
  // A string holds no white space, so when every separator is white space
  // its first word is the whole string, up to a zero byte if it holds one.
  const bool spaceOnly = AllStringSpace(m_Separator);
  bool hasZero = false;
  while (ReadString(&hasZero) != nullptr) {
    if (spaceOnly && !hasZero) {
      m_ScanPos = -1;
      return m_Data;
    }
    if (const char* word = GetFirstWord()) return word;
  }
  return nullptr;
}

const char* QvFile::Data() const {
  return m_Data;
}

bool QvFile::CheckDataInclude(const char* text) const {
  if (text == nullptr) return false;
  return std::strstr(m_Data, text) != nullptr;
}

bool QvFile::CheckFirstWordIs(const char* text) const {
  if (text == nullptr) return false;
  const unsigned char* rest = reinterpret_cast<const unsigned char*>(m_Data);
  while (m_IsSep[*rest]) ++rest;
  const std::size_t n = std::strlen(text);
  return std::strncmp(reinterpret_cast<const char*>(rest), text, n) == 0;
}
