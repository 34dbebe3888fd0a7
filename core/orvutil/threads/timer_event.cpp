// CEventTimer: a periodic multimedia timer signalling an auto-reset event.
//
// The timer is killed synchronously (TIME_KILL_SYNCHRONOUS) and always outside the lock that the
// callback takes, so a kill waits for a callback in flight without deadlocking; the event is closed
// and the lock deleted only after that.
#include "orvutil/threads/timer.h"

#include <mmsystem.h>

#include "orvutil/ui/messageloop.h"

namespace Orv {

namespace {

constexpr DWORD kWakeMask = 0x4BF;  // QS_ALLINPUT without QS_RAWINPUT

class CLocked {
 public:
  explicit CLocked(CRITICAL_SECTION& lock) : m_lock(lock) { ::EnterCriticalSection(&m_lock); }
  ~CLocked() { ::LeaveCriticalSection(&m_lock); }
  CLocked(const CLocked&) = delete;
  CLocked& operator=(const CLocked&) = delete;

 private:
  CRITICAL_SECTION& m_lock;
};

}  // namespace

CEventTimer::CEventTimer() { ::InitializeCriticalSectionAndSpinCount(&m_lock, 3000); }

CEventTimer::~CEventTimer() {
  Stop();
  ::DeleteCriticalSection(&m_lock);
}

bool CEventTimer::GetResolutionRange(unsigned int& min, unsigned int& max) {
  TIMECAPS caps;
  if (::timeGetDevCaps(&caps, sizeof(caps)) != MMSYSERR_NOERROR) return false;
  min = caps.wPeriodMin;
  max = caps.wPeriodMax;
  return true;
}

bool CEventTimer::Start(unsigned int periodMs, unsigned int resolutionMs, bool paused) {
  Stop();
  unsigned int min = 0, max = 0;
  if (periodMs == 0 || !GetResolutionRange(min, max)) return false;
  unsigned int resolution = resolutionMs < min ? min : resolutionMs > max ? max : resolutionMs;
  if (::timeBeginPeriod(resolution) != TIMERR_NOERROR) return false;
  HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!event) {
    ::timeEndPeriod(resolution);
    return false;
  }
  {
    CLocked guard(m_lock);
    m_running = true;
    m_periodMs = periodMs;
    m_resolutionMs = resolution;
    m_event = event;
  }
  if (!paused) {
    Resume();
    if (!m_timerId) {
      Stop();
      return false;
    }
  }
  return true;
}

void CEventTimer::Resume() {
  if (m_timerId || !m_event) return;
  CLocked guard(m_lock);
  if (m_timerId || !m_event) return;
  // Under the lock: a first callback waits until the ID is recorded.
  m_timerId = ::timeSetEvent(m_periodMs, m_resolutionMs, &CEventTimer::OnTimerCallback,
                             reinterpret_cast<DWORD_PTR>(this), TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
}

void CALLBACK CEventTimer::OnTimerCallback(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  CEventTimer* timer = reinterpret_cast<CEventTimer*>(user);
  CLocked guard(timer->m_lock);
  if (!timer->m_timerId || timer->m_timerId != id) return;
  ::InterlockedIncrement(&timer->m_fired);
  ::SetEvent(timer->m_event);
}

void CEventTimer::Pause() {
  UINT id;
  {
    CLocked guard(m_lock);
    id = m_timerId;
    m_timerId = 0;
    m_fired = 0;
  }
  if (id) ::timeKillEvent(id);  // waits for a callback in flight
}

void CEventTimer::Stop() {
  Pause();
  HANDLE event;
  {
    CLocked guard(m_lock);
    if (m_running) ::timeEndPeriod(m_resolutionMs);
    m_running = false;
    event = m_event;
    m_event = nullptr;
  }
  if (event) ::CloseHandle(event);
}

bool CEventTimer::Wait() {
  if (!HandleMessages()) return false;
  while (m_fired == 0) {
    HANDLE event = m_event;
    if (!m_timerId || !event) return true;  // paused or stopped, perhaps by a message handler
    DWORD result = ::MsgWaitForMultipleObjectsEx(1, &event, INFINITE, kWakeMask, MWMO_ALERTABLE | MWMO_INPUTAVAILABLE);
    if (result == WAIT_OBJECT_0 + 1) {
      if (!HandleMessages()) return false;
    } else if (result == WAIT_FAILED) {
      return false;
    }
  }
  CLocked guard(m_lock);
  if (m_event) ::ResetEvent(m_event);
  m_fired = 0;
  return true;
}

unsigned int CreateGlobalTimerEventID() {
  static volatile LONG s_lastId = 0;
  return static_cast<unsigned int>(::InterlockedIncrement(&s_lastId));
}

}  // namespace Orv
