// CIdleMaster: queueing, arming and running idle work.
#include "idle_master.h"

#include "orvutil/com/module.h"
#include "orvutil/threads/mainthread.h"
#include "orvutil/threads/timer.h"
#include "orvutil/ui/messageloop.h"

namespace Orv {

namespace Detail {
bool IdleMessageFilter(MSG& msg);
void CALLBACK IdleTimerProc(HWND, UINT, UINT_PTR timer, DWORD);
}  // namespace Detail

namespace {

bool IsUserInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

}  // namespace

CIdleMaster::CIdleMaster() : m_timerEventId(CreateGlobalTimerEventID()) {}

CIdleMaster::~CIdleMaster() {
  if (IsRunningOnMainThread()) Disarm();
}

template <class F>
void CIdleMaster::OnMainThread(F fn) {
  if (IsRunningOnMainThread()) {
    fn();
    return;
  }
  tSmartPtr<CIdleMaster, IIdleMaster> self(this);
  PostMainThreadFunction([self, fn]() { fn(); }, &GetOrvutilModule());
}

bool CIdleMaster::HasWork() {
  CScopeCriticalSection guard(m_lock);
  return !m_queue.IsEmpty();
}

void CIdleMaster::AddIdleItem(IWorkItem* item) {
  if (!item) return;
  {
    CScopeCriticalSection guard(m_lock);
    int priority = item->GetPriority();
    unsigned low = 0, high = m_queue.Count();
    while (low < high) {
      unsigned middle = low + (high - low) / 2;
      if (m_queue[middle]->GetPriority() >= priority) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    m_queue.Insert(low, tSmartPtr<IWorkItem>(item));
  }
  ArmIdleTimer();
}

bool CIdleMaster::CancelIdleItem(IWorkItem* item) {
  tSmartPtr<IWorkItem> cancelled;
  bool empty = false;
  {
    CScopeCriticalSection guard(m_lock);
    for (unsigned i = 0; i < m_queue.Count() && !cancelled; ++i) {
      if (m_queue[i] == item) {
        cancelled = m_queue[i];
        m_queue.Erase(i, 1);
      }
    }
    empty = m_queue.IsEmpty();
  }
  if (!cancelled) return false;
  if (empty) OnMainThread([this]() { if (!HasWork()) Disarm(); });
  cancelled->InternalOnCancel();
  return true;
}

void CIdleMaster::ArmIdleTimer() {
  OnMainThread([this]() { Arm(false); });
}

void CIdleMaster::SetIdleDelay(unsigned int delayMs) {
  if (delayMs) m_delayMs = delayMs;
}

void CIdleMaster::Arm(bool postpone) {
  if (!HasWork()) return;
  if (m_timer && !postpone) return;
  if (m_timer) ::KillTimer(nullptr, m_timer);
  bool filterSet = m_timer != 0;
  m_timer = ::SetTimer(nullptr, m_timerEventId, m_delayMs, &Detail::IdleTimerProc);
  if (m_timer && !filterSet) AddMessageFilter(&Detail::IdleMessageFilter, &GetOrvutilModule());
  if (!m_timer && filterSet) RemoveMessageFilter(&Detail::IdleMessageFilter);
}

void CIdleMaster::Disarm() {
  if (!m_timer) return;
  ::KillTimer(nullptr, m_timer);
  m_timer = 0;
  RemoveMessageFilter(&Detail::IdleMessageFilter);
}

void CIdleMaster::OnMessage(const MSG& msg) {
  if (msg.message == WM_PAINT || msg.message == 0x118 || msg.message == WM_TIMER) return;
  if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
    WORD x = LOWORD(msg.lParam), y = HIWORD(msg.lParam);
    if (msg.message == m_lastMouseMessage && x == m_lastMouseX && y == m_lastMouseY) return;
    m_lastMouseMessage = msg.message;
    m_lastMouseX = x;
    m_lastMouseY = y;
  }
  Arm(IsUserInput(msg.message));
}

void CIdleMaster::OnTimer(UINT_PTR timer) {
  if (timer == m_timer) RunIdleWork();
}

void CIdleMaster::RunIdleWork() {
  OnMainThread([this]() {
    Disarm();
    Queue items;
    {
      CScopeCriticalSection guard(m_lock);
      for (unsigned i = 0; i < m_queue.Count(); ++i) items.PushBack(m_queue[i]);
      m_queue.Clear();
    }
    for (unsigned i = 0; i < items.Count(); ++i) {
      items[i]->Run();
      items[i]->InternalOnComplete();
    }
    Arm(false);
  });
}

}  // namespace Orv
