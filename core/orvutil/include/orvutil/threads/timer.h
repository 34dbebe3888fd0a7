// Time services: CTimer, a frame timer over the high-resolution performance counter with a time
// scale and a ticks-per-second count, and CEventTimer, a periodic multimedia timer that signals an
// event the main thread waits on while it keeps pumping messages.
//
// Threading: a CTimer belongs to one thread. A CEventTimer's owner calls it from one thread; its
// callback runs on the system's multimedia timer thread and shares the object's lock. Stopping
// (also by the destructor) waits for a callback in flight, so no callback touches a stopped or
// destroyed timer.
#pragma once

#include <windows.h>

#include "orvutil/export.h"

namespace Orv {

// Elapsed and per-tick seconds. Raw times are performance-counter counts (milliseconds from
// GetTickCount where no counter exists).
class ORV_API CTimer {
 public:
  CTimer();

  // Advances to the current time; returns the seconds since the previous tick (0 when the counter
  // went backwards: the timer then starts again from 0).
  double Tick();
  // Starts again from 0 at the current time; frequency and time scale are kept.
  void Reset();

  double GetSeconds() const { return m_seconds; }
  double GetTickSeconds() const { return m_tickSeconds; }
  unsigned int GetNumTicks() const { return m_numTicks; }
  unsigned int GetTicksPerSecond() const { return m_ticksPerSecond; }
  double GetTimeScale() const { return m_timeScale; }
  // Seconds advance `scale` times as fast from the last tick on, without a jump. Negative and
  // non-finite scales are refused (false, nothing changes).
  bool SetTimeScale(double scale);

  __int64 GetLastTickRawTime() const { return m_lastTickRaw; }
  __int64 GetCurrentRawTime() const;
  __int64 GetRawFreq() const { return m_rawFreq; }
  double GetRawFreqD() const { return m_rawFreqD; }
  // Keeps the last tick's raw time for GetCurrentStoredRawTime.
  void StoreLastTickTime() { m_storedTickRaw = m_lastTickRaw; }
  __int64 GetLastTickStoredRawTime() const { return m_storedTickRaw; }
  // The raw time elapsed since the stored raw time, which then becomes the current raw time.
  __int64 GetCurrentStoredRawTime();

 private:
  void Restart(__int64 now);

  __int64 m_baseRaw = 0;
  __int64 m_lastTickRaw = 0;
  __int64 m_storedTickRaw = 0;
  __int64 m_rawFreq = 1000;
  unsigned int m_numTicks = 0;
  unsigned int m_lastWholeSecond = 0;
  unsigned int m_wholeSecond = 0;
  unsigned int m_ticksThisSecond = 0;
  unsigned int m_ticksPerSecond = 0;
  double m_timeScale = 1.0;
  double m_baseSeconds = 0.0;
  double m_seconds = 0.0;
  double m_rawFreqD = 1000.0;
  double m_tickSeconds = 0.0;
  bool m_usesPerformanceCounter = false;
};

// A periodic multimedia timer that counts its firings and sets an auto-reset event.
class ORV_API CEventTimer {
 public:
  CEventTimer();
  ~CEventTimer();
  CEventTimer(const CEventTimer&) = delete;
  CEventTimer& operator=(const CEventTimer&) = delete;

  // Stops any previous run, reserves the timer resolution (clamped to the device's range) and
  // starts firing every `periodMs` unless `paused`. False when any step fails (nothing is left
  // running then).
  bool Start(unsigned int periodMs, unsigned int resolutionMs, bool paused);
  // Stops firing and clears the fired count; Resume starts again.
  void Pause();
  void Resume();
  // Pauses, gives the resolution back and closes the event.
  void Stop();
  // Pumps pending messages, then waits (pumping whenever input arrives) until the timer has fired
  // at least once since the last wait, and clears the count. True at once when paused, and when a
  // message handler pauses or stops the timer during the wait; false when WM_QUIT was seen or the
  // wait failed.
  bool Wait();

  bool Running() const { return m_running; }
  unsigned int Fired() const { return m_fired; }
  bool IsValid() const { return m_event != nullptr; }
  unsigned int GetPeriod() const { return m_periodMs; }
  unsigned int GetResolution() const { return m_resolutionMs; }
  // The device's resolution range in milliseconds; false when it cannot be read.
  static bool GetResolutionRange(unsigned int& min, unsigned int& max);

  static void CALLBACK OnTimerCallback(UINT id, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);

 private:
  bool m_running = false;
  volatile LONG m_fired = 0;
  unsigned int m_periodMs = 0;
  unsigned int m_resolutionMs = 0;
  UINT m_timerId = 0;
  HANDLE m_event = nullptr;
  CRITICAL_SECTION m_lock;
};

// A new process-wide identifier for thread timers (interlocked increment).
ORV_API unsigned int CreateGlobalTimerEventID();

}  // namespace Orv
