#include <QvBase/QvProgress.h>

#include <cstdint>
#include <cstdio>
#include <new>

#include "frame/LastError.h"
#include "frame/Platform.h"
#include "progress/LocalMessages.h"
#include "text/Format.h"

namespace {

const char kNoFileNote[] = "\nLocal Message file is not Found.";

}  // namespace

QvProgress::QvProgress() {
  m_pLocalMsgFile = nullptr;
  m_pMsgBuf = nullptr;
  Init0();
}

QvProgress::QvProgress(const QvProgress& other)
    : m_Total(other.m_Total),
      m_Current(other.m_Current),
      m_Mute(other.m_Mute),
      m_pLocalMsgFile(nullptr),
      m_pMsgBuf(nullptr) {}

QvProgress& QvProgress::operator=(const QvProgress& other) {
  if (this == &other) return *this;
  CloseLocalMessageFile();
  m_Total = other.m_Total;
  m_Current = other.m_Current;
  m_Mute = other.m_Mute;
  return *this;
}

QvProgress::~QvProgress() {
  CloseLocalMessageFile();
}

void QvProgress::Init0() {
  CloseLocalMessageFile();
  m_Total = 0;
  m_Current = 0;
  m_Mute = false;
}

void QvProgress::CloseLocalMessageFile() {
  if (m_pLocalMsgFile != nullptr) std::fclose(m_pLocalMsgFile);
  m_pLocalMsgFile = nullptr;
  delete[] m_pMsgBuf;
  m_pMsgBuf = nullptr;
}

// Counters.

void QvProgress::SetTotal(int total) {
  if (total < 0) return;
  m_Total = total;
  m_Current = 0;
}

int QvProgress::Total() const {
  return m_Total;
}

int QvProgress::Current() const {
  return m_Current;
}

void QvProgress::SetCurrent(int current) {
  if (current < 0) return;
  m_Current = current;
  if (current > m_Total) m_Total = current;
}

void QvProgress::Increment(int step) {
  if (step <= 0) return;
  // Past the largest count the counters stay at it.
  const int room = INT32_MAX - Current();
  QvProgress::SetCurrent(Current() + (step > room ? room : step));
}

void QvProgress::Clear() {
  m_Total = 0;
  m_Current = 0;
}

bool QvProgress::IfMute() const {
  return m_Mute;
}

void QvProgress::SetMute(bool mute) {
  m_Mute = mute;
}

// Local message file.

bool QvProgress::OpenLocalMessageFile(const char* path) {
  if (path == nullptr) return qv::Fail(QvError::BadArgument);
  CloseLocalMessageFile();
  m_pLocalMsgFile = qv::platform::OpenStream(path, "rt");
  if (m_pLocalMsgFile == nullptr) return qv::FailWithErrno(QvError::CannotOpen);
  m_pMsgBuf = new (std::nothrow) char[qv::kMessageReadSize];
  return true;
}

bool QvProgress::IfLocalMsg() const {
  return m_pLocalMsgFile != nullptr;
}

std::FILE* QvProgress::pLocalMsgFile() {
  return m_pLocalMsgFile;
}

const std::FILE* QvProgress::pLocalMsgFile() const {
  return m_pLocalMsgFile;
}

bool QvProgress::GetLocalMsg(const QvStdString& key, QvStdString& text) {
  if (m_pLocalMsgFile == nullptr) {
    // Room first: memory short leaves the text as it was.
    text.reserve(key.size() + sizeof kNoFileNote);
    if (&text != &key) text.Set(key.Data(0));
    text.Append(kNoFileNote);
    return qv::Fail(QvError::CannotOpen);
  }
  if (qv::FindLocalMessage(m_pLocalMsgFile, m_pMsgBuf, key.Data(0), &text))
    return true;
  if (&text != &key) text.Set(key.Data(0));
  return std::ferror(m_pLocalMsgFile) != 0
             ? qv::FailWithErrno(QvError::ReadFailed)
             : qv::Fail(QvError::NotFound);
}

// Composing.

void QvProgress::ComposeMessage(QvStdString& text, const QvStdString& key,
                                const char* format, std::va_list args) {
  GetLocalMsg(key, text);
  if (format != nullptr) qv::text::FormatInto(text, true, format, args);
}

void QvProgress::ComposeDetails(QvStdString& text, const QvStdString& key,
                                const char* format, std::va_list args) {
  GetLocalMsg(key, text);
  if (format == nullptr) return;
  text.Append("\n");
  qv::text::FormatInto(text, true, format, args);
}

// Presenting: the base composes the keyed texts and drops them.

#define QV_COMPOSE_AND_DROP(compose)  \
  do {                                \
    QvStdString text;                 \
    std::va_list args;                \
    va_start(args, format);           \
    compose(text, key, format, args); \
    va_end(args);                     \
  } while (false)

void QvProgress::ShowProgress(int, bool) {}

void QvProgress::ShowProgress(const QvStdString&, bool) {}

void QvProgress::ShowMessage(int, int, ...) {}

void QvProgress::ShowMessage(int, const char*, ...) {}

void QvProgress::ShowMessage(const QvStdString& key, const char* format, ...) {
  QV_COMPOSE_AND_DROP(ComposeMessage);
}

void QvProgress::ShowStatus(int, int, ...) {}

void QvProgress::ShowStatus(int, const char*, ...) {}

void QvProgress::ShowStatus(const QvStdString& key, const char* format, ...) {
  QV_COMPOSE_AND_DROP(ComposeMessage);
}

bool QvProgress::Question(int, int, ...) {
  return true;
}

bool QvProgress::Question(int, const char*, ...) {
  return true;
}

bool QvProgress::Question(const QvStdString& key, const char* format, ...) {
  if (m_Mute) return true;
  QV_COMPOSE_AND_DROP(ComposeDetails);
  return true;
}

bool QvProgress::QuestionApplyAll(int, int, ...) {
  return true;
}

bool QvProgress::QuestionApplyAll(int, const char*, ...) {
  return true;
}

bool QvProgress::QuestionApplyAll(const QvStdString& key, const char* format,
                                  ...) {
  if (m_Mute) return true;
  QV_COMPOSE_AND_DROP(ComposeDetails);
  return true;
}

void QvProgress::SendError(int, int, ...) {}

void QvProgress::SendError(int, const char*, ...) {}

void QvProgress::SendError(const QvStdString& key, const char* format, ...) {
  if (m_Mute) return;
  QV_COMPOSE_AND_DROP(ComposeDetails);
}

void QvProgress::SendWarning(int, int, ...) {}

void QvProgress::SendWarning(int, const char*, ...) {}

void QvProgress::SendWarning(const QvStdString& key, const char* format, ...) {
  if (m_Mute) return;
  QV_COMPOSE_AND_DROP(ComposeDetails);
}

bool QvProgress::CheckEscape() const {
  return false;
}
