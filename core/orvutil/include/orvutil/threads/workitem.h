// Work items: background work for a thread pool (orvutil/threads/threadpool.h), with listeners that
// hear of its completion or cancellation.
//
// A concrete item derives from IWorkItem, overrides Run (and whichever of OnComplete, OnCancel and
// GetPriority it needs), names its class GUID and is finished by CComObject:
//
//   class CResize : public Orv::IWorkItem {
//    public:
//     void Run() override { ... }           // on a worker thread
//     void OnComplete() override { ... }    // on the main thread, after Run
//   };
//   ORV_CLASS_GUID(CResize, ...)
//   ... Orv::CComObject<CResize>::CreateObject(nullptr, &item);
//
// Threading: Run runs on a worker thread; OnComplete and the listeners' completion callbacks run on
// the main thread; OnCancel and the cancel callbacks run on the thread that cancels the item. The
// listener list itself is not locked: add and remove listeners before the item is queued, or on the
// main thread while it cannot complete or be cancelled concurrently.
#pragma once

#include <windows.h>

#include "orvutil/com/object.h"
#include "orvutil/export.h"
#include "orvutil/foundation/smartptr.h"

namespace Orv {

class IWorkItem;

// Hears of one or more work items' completion or cancellation.
struct IWorkItemListener : public IUnknown {
  virtual void OnWorkItemComplete(IWorkItem* item) = 0;
  virtual void OnWorkItemCancel(IWorkItem* item) = 0;
};

// A listener that forwards to another one while its target is set, so that the real listener can
// detach itself while an item still holds the proxy.
struct IProxyWorkItemListener : public IWorkItemListener {
  virtual void SetWorkItemListener(IWorkItemListener* target) = 0;
};

// The base of every work item: an object (interlocked count) whose QueryInterface answers the
// work-item IID with the item itself.
class ORV_API IWorkItem : public CComBase, public IUnknown {
 public:
  static const int s_nDefaultPriority = 5;

  IWorkItem() = default;
  ~IWorkItem() override;
  IWorkItem(const IWorkItem&) = delete;
  IWorkItem& operator=(const IWorkItem&) = delete;

  HRESULT _QueryInterface(REFIID riid, void** ppv) override;

  // The work, on a worker thread.
  virtual void Run() {}
  // The item was taken out of its pool's queue before it ran.
  virtual void OnCancel() {}
  // On the main thread, after Run.
  virtual void OnComplete() {}
  // Larger values run first.
  virtual int GetPriority() const { return s_nDefaultPriority; }

  // Adds a listener (with a reference) unless it is in the list already; null is ignored.
  void AddListener(IWorkItemListener* listener);
  // Adds a proxy that forwards to `listener` and hands it out with one reference.
  bool AddProxyListener(IWorkItemListener* listener, IProxyWorkItemListener** out);
  // Removes the listener and releases it; one that is not in the list is ignored.
  void RemoveListener(IWorkItemListener* listener);

  // Called by the pool: OnComplete (or OnCancel), then every listener's matching callback in the
  // order of adding; the listeners are dropped afterwards.
  void InternalOnComplete();
  void InternalOnCancel();

 private:
  using ListenerList = tSmartPtrVector<IWorkItemListener>;

  // Calls `callback` on every listener in the order of adding, then drops them all.
  void NotifyListeners(void (IWorkItemListener::*callback)(IWorkItem*));

  ListenerList* m_listeners = nullptr;  // created by the first AddListener
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::IWorkItem, 0xd7508071, 0x2ca4, 0x4ae7, 0xb1, 0xdd, 0xfe, 0x27, 0x4e, 0xf7, 0x18, 0x61)
ORV_CLASS_GUID(Orv::IWorkItemListener, 0x2b84f3c4, 0xc348, 0x4bb2, 0x89, 0x2a, 0x6f, 0x41, 0xee, 0x10, 0x49, 0x37)
ORV_CLASS_GUID(Orv::IProxyWorkItemListener, 0x68351a43, 0x4ad5, 0x4a70, 0x9d, 0x61, 0x1f, 0x99, 0x52, 0x97, 0xcd, 0x27)
