// CTimer: elapsed and per-tick seconds from the performance counter.
#include "orvutil/threads/timer.h"

#include <cmath>

namespace Orv {

namespace {

// Counts per second of the performance counter; 0 when there is none.
__int64 PerformanceFrequency() {
  LARGE_INTEGER frequency;
  return ::QueryPerformanceFrequency(&frequency) ? frequency.QuadPart : 0;
}

unsigned int WholeSeconds(double seconds) {
  if (!(seconds > 0.0)) return 0;
  return seconds >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<unsigned int>(seconds);
}

}  // namespace

CTimer::CTimer() {
  __int64 frequency = PerformanceFrequency();
  m_usesPerformanceCounter = frequency > 0;
  m_rawFreq = m_usesPerformanceCounter ? frequency : 1000;
  m_rawFreqD = static_cast<double>(m_rawFreq);
  Reset();
}

__int64 CTimer::GetCurrentRawTime() const {
  if (!m_usesPerformanceCounter) return ::GetTickCount();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

void CTimer::Restart(__int64 now) {
  m_baseRaw = m_lastTickRaw = m_storedTickRaw = now;
  m_numTicks = m_lastWholeSecond = m_wholeSecond = m_ticksThisSecond = m_ticksPerSecond = 0;
  m_baseSeconds = m_seconds = m_tickSeconds = 0.0;
}

void CTimer::Reset() { Restart(GetCurrentRawTime()); }

double CTimer::Tick() {
  __int64 now = GetCurrentRawTime();
  m_lastTickRaw = now;
  double seconds = static_cast<double>(now - m_baseRaw) * m_timeScale / m_rawFreqD + m_baseSeconds;
  m_tickSeconds = seconds - m_seconds;
  m_seconds = seconds;
  if (m_tickSeconds < 0.0) Restart(now);
  ++m_numTicks;
  ++m_ticksThisSecond;
  m_wholeSecond = WholeSeconds(m_seconds);
  if (m_wholeSecond > m_lastWholeSecond) {
    m_ticksPerSecond = m_ticksThisSecond / (m_wholeSecond - m_lastWholeSecond);
    m_ticksThisSecond = 0;
    m_lastWholeSecond = m_wholeSecond;
  }
  return m_tickSeconds;
}

bool CTimer::SetTimeScale(double scale) {
  if (!std::isfinite(scale) || scale < 0.0) return false;
  if (scale != m_timeScale) {
    m_baseRaw = m_lastTickRaw;
    m_baseSeconds = m_seconds;
    m_timeScale = scale;
  }
  return true;
}

__int64 CTimer::GetCurrentStoredRawTime() {
  __int64 now = GetCurrentRawTime();
  __int64 elapsed = now - m_storedTickRaw;
  m_storedTickRaw = now;
  return elapsed;
}

}  // namespace Orv
