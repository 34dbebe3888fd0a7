// CIdleMaster: the queue of idle work, the idle timer and the input filter.
#pragma once

#include "orvutil/com/comobject.h"
#include "orvutil/foundation/smartptr.h"
#include "orvutil/threads/idle.h"
#include "orvutil/threads/locks.h"

namespace Orv {

class CIdleMaster : public CComBase, public IIdleMaster {
 public:
  ORV_INTERFACES(IIdleMaster)

  CIdleMaster();
  ~CIdleMaster() override;

  void AddIdleItem(IWorkItem* item) override;
  bool CancelIdleItem(IWorkItem* item) override;
  void RunIdleWork() override;
  void ArmIdleTimer() override;
  unsigned int GetIdleDelay() override { return m_delayMs; }
  void SetIdleDelay(unsigned int delayMs) override;

  // On the main thread: the input filter's view of one pumped message, and the timer's firing.
  void OnMessage(const MSG& msg);
  void OnTimer(UINT_PTR timer);

 private:
  using Queue = tSmartPtrVector<IWorkItem>;

  bool HasWork();
  // On the main thread: sets the timer (afresh when `postpone`) and the filter when work is queued.
  void Arm(bool postpone);
  void Disarm();
  // Runs `fn` now on the main thread, else posts it there with a reference to this object.
  template <class F>
  void OnMainThread(F fn);

  CCriticalSection m_lock;
  Queue m_queue;  // larger priorities first; equal priorities in the order of adding
  unsigned int m_timerEventId;
  UINT_PTR m_timer = 0;  // main thread only
  volatile unsigned int m_delayMs = 200;
  UINT m_lastMouseMessage = 0;
  WORD m_lastMouseX = 0xFFFF;
  WORD m_lastMouseY = 0xFFFF;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CIdleMaster, 0x0b6ee7d4, 0x7c0f, 0x4e57, 0x8a, 0x34, 0x52, 0x9e, 0x11, 0xd0, 0x6a, 0x83)
