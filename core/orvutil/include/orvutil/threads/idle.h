// The idle master: runs queued work items on the main thread once the user interface has been idle
// for a while (the idle delay, 200 ms by default).
//
// Idle means no user input: every keyboard or mouse message (a mouse move only when the position
// changed) postpones armed idle work by a whole delay, so a steady stream of input keeps it waiting
// and it runs once the input stops. Other messages only arm the timer when it is not set.
// When the timer fires, the queued items run in priority order (larger GetPriority first) and, among
// equal priorities, in the order they were added. Each runs Run() and then InternalOnComplete() on
// the main thread; items added meanwhile wait for the next idle period.
//
// Threading: items may be added and cancelled from any thread; the timer and the message filter
// live on the main thread (arming from another thread is posted there). GetIdleMaster returns null
// once the library has shut down.
#pragma once

#include <windows.h>

#include "orvutil/com/object.h"
#include "orvutil/export.h"
#include "orvutil/threads/workitem.h"

namespace Orv {

struct IIdleMaster : public IUnknown {
  // Queues `item` (with a reference) and arms the idle timer; null is ignored.
  virtual void AddIdleItem(IWorkItem* item) = 0;
  // Takes `item` out of the queue and calls its InternalOnCancel(); false when it was not queued.
  virtual bool CancelIdleItem(IWorkItem* item) = 0;
  // Disarms and runs every queued item now (on the main thread; posted there from others).
  virtual void RunIdleWork() = 0;
  // Sets the idle timer and the input filter when work is queued and the timer is not set.
  virtual void ArmIdleTimer() = 0;
  virtual unsigned int GetIdleDelay() = 0;
  // Takes effect from the next arming; 0 is refused.
  virtual void SetIdleDelay(unsigned int delayMs) = 0;
};

// The process's idle master (no reference added for the caller); null after shut-down.
ORV_API IIdleMaster* GetIdleMaster();

}  // namespace Orv

ORV_CLASS_GUID(Orv::IIdleMaster, 0x5d0c7a32, 0x8e41, 0x4b6f, 0x9a, 0x27, 0x31, 0xc8, 0x4e, 0x90, 0x1b, 0x6d)
