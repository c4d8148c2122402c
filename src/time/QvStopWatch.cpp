// QvStopWatch: run times from the millisecond clock of the platform layer.
#include <QvBase/QvStopWatch.h>

#include <cstring>

#include "frame/Platform.h"
#include "time/CalendarText.h"

namespace {

struct _timeb ReadClock() {
  struct _timeb tb {};
  qv::platform::FTime(&tb);
  return tb;
}

}  // namespace

QvStopWatch::QvStopWatch(bool bStart)
    : m_InitTime(), m_StartTime(), m_TotRunTime(0.0), m_IsRunning(false) {
  Init0();
  m_StartTime = m_InitTime;
  if (bStart) Start();
}

void QvStopWatch::Init0() {
  m_InitTime = ReadClock();
  m_TotRunTime = 0.0;
  m_IsRunning = false;
}

void QvStopWatch::Start() {
  m_IsRunning = true;
  m_StartTime = ReadClock();
}

double QvStopWatch::Stop(double* pTotal) {
  m_IsRunning = false;
  const double lap = GetCurrTime() - TimeInSec(m_StartTime);
  m_TotRunTime += lap;
  if (pTotal != nullptr) *pTotal = m_TotRunTime;
  return lap;
}

double QvStopWatch::GetElapsedTime() const {
  return GetCurrTime() - TimeInSec(m_InitTime);
}

double QvStopWatch::TimeInSec(const struct _timeb& tb) {
  return static_cast<double>(tb.millitm) * 0.001 + static_cast<double>(tb.time);
}

double QvStopWatch::GetCurrTime() {
  return TimeInSec(ReadClock());
}

char* QvStopWatch::GetCurrTimeString() {
  // One buffer per thread: the text stays valid until the same thread
  // calls again, and threads do not overwrite each other's text.
  thread_local char text[qv::kCalendarTextSize];
  if (!qv::FormatCalendarText(static_cast<std::int64_t>(ReadClock().time),
                              text))
    std::strcpy(text, "??? ??? ?? ??:??:?? ????\n");
  return text;
}
