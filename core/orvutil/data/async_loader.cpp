// CAsyncDataLoader: conversions of saved data on the global thread pool, done on a private copy and
// merged back on the main thread, with requests for the same work on the same data merged.
#include <new>

#include "orvutil/com/comobject.h"
#include "orvutil/com/module.h"
#include "orvutil/com/startup.h"
#include "orvutil/data/async_loader.h"
#include "orvutil/threads/locks.h"
#include "orvutil/threads/mainthread.h"
#include "orvutil/threads/threadpool.h"

namespace Orv {

class CAsyncDataLoader;

namespace {

using ListenerVector = tSmartPtrVector<IAsyncDataListener>;

// The caller's priority raised by the pool's default, without overflowing.
int RaisedPriority(int priority) {
  const int raise = IWorkItem::s_nDefaultPriority;
  return priority > INT_MAX - raise ? INT_MAX : priority + raise;
}

bool Contains(const ListenerVector& listeners, IAsyncDataListener* listener) {
  for (unsigned i = 0; i < listeners.Count(); ++i) {
    if (listeners[i].Get() == listener) return true;
  }
  return false;
}

}  // namespace

// One request: the work runs on a copy of the saved data; completion merges the copy back.
class CLoadDataWorkItem : public IWorkItem {
 public:
  bool Init(ISavedData* data, CAsyncDataLoader* loader, EDataWorkType type, int priority);

  void Run() override;
  void OnComplete() override { Deliver(true); }
  void OnCancel() override { Deliver(false); }
  int GetPriority() const override { return m_priority; }

  ISavedData* Data() const { return m_data; }
  EDataWorkType Type() const { return m_type; }
  // The listener list is guarded by the loader's lock.
  void AddDataListener(IAsyncDataListener* listener) {
    if (listener && !Contains(m_listeners, listener)) m_listeners.PushBack(tSmartPtr<IAsyncDataListener>(listener));
  }
  bool HasListener(IAsyncDataListener* listener) const { return Contains(m_listeners, listener); }
  void TakeListeners(ListenerVector& out) {
    for (unsigned i = 0; i < m_listeners.Count(); ++i) out.PushBack(m_listeners[i]);
    m_listeners.Clear();
  }
  // Lets go of the copy and the loader.
  void Close() {
    m_copy = nullptr;
    m_loader = nullptr;
  }
  // Set (under the loader's lock) once completion or cancellation has been delivered.
  bool IsDelivered() const { return m_isDelivered; }
  void SetDelivered() { m_isDelivered = true; }

 private:
  void Deliver(bool completed);

  tSmartPtr<ISavedData> m_data;
  tSmartPtr<ISavedData> m_copy;
  tSmartPtr<CAsyncDataLoader> m_loader;
  ListenerVector m_listeners;
  EDataWorkType m_type = eDataWorkLoad;
  int m_priority = 0;
  bool m_isDelivered = false;
};

class CAsyncDataLoader : public CComBase, public IAsyncDataLoader {
 public:
  ORV_INTERFACES(IAsyncDataLoader)

  bool LoadAsync(ISavedData* data, int priority, IAsyncDataListener* listener) override {
    return Queue(data, priority, listener, eDataWorkLoad);
  }
  bool UnloadAsync(ISavedData* data, int priority, IAsyncDataListener* listener) override {
    return Queue(data, priority, listener, eDataWorkUnload);
  }
  bool SaveAsync(ISavedData* data, int priority, IAsyncDataListener* listener) override {
    return Queue(data, priority, listener, eDataWorkSave);
  }
  bool SaveToTempFileAsync(ISavedData* data, int priority, IAsyncDataListener* listener) override {
    return Queue(data, priority, listener, eDataWorkSaveToTempFile);
  }
  bool WaitForListener(IAsyncDataListener* listener) override;
  bool WaitForData(ISavedData* data) override { return Wait(FindItem(data, nullptr)); }
  bool CancelForListener(IAsyncDataListener* listener) override;
  bool CancelData(ISavedData* data) override { return Cancel(FindItem(data, nullptr)); }
  bool WaitForAll() override;
  bool CancelAll() override;
  void AddListener(IAsyncDataListener* listener) override;
  void RemoveListener(IAsyncDataListener* listener) override;
  bool IsBusy() override;
  void ResetProgress() override;
  bool GetProgress(unsigned int* done, unsigned int* total) override;

  // From an item on delivery: takes it out of the pending list and tells the listeners.
  void Finish(CLoadDataWorkItem* item, bool completed);

 private:
  bool Queue(ISavedData* data, int priority, IAsyncDataListener* listener, EDataWorkType type);
  // The pending item for `data` (with a reference), or null; with `type`, only one of that type.
  tSmartPtr<CLoadDataWorkItem> FindItem(ISavedData* data, const EDataWorkType* type);
  tSmartPtr<CLoadDataWorkItem> FindItemOf(IAsyncDataListener* listener);
  tSmartPtr<CLoadDataWorkItem> NewItem(ISavedData* data, EDataWorkType type, int priority);
  bool Wait(tSmartPtr<CLoadDataWorkItem> item);
  bool Cancel(tSmartPtr<CLoadDataWorkItem> item);
  // Saturating, under the lock.
  static void Add(unsigned& counter, unsigned bytes) { counter = bytes > ~0u - counter ? ~0u : counter + bytes; }
  static const unsigned kMaxWaits = 64;  // other work on the same data that keeps coming back

  CCriticalSection m_lock;  // guards everything below; never held while calling out
  CONDITION_VARIABLE m_deliveredSignal = CONDITION_VARIABLE_INIT;  // an item was delivered
  tSmartPtrVector<CLoadDataWorkItem> m_pending;
  ListenerVector m_listeners;
  unsigned m_queued = 0;
  unsigned m_done = 0;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CLoadDataWorkItem, 0x1f0c2a6e, 0x7b1d, 0x4a53, 0x8e, 0x2f, 0x41, 0x6a, 0x0b, 0x93, 0x5c, 0x11)
ORV_CLASS_GUID(Orv::CAsyncDataLoader, 0x1f0c2a6e, 0x7b1d, 0x4a53, 0x8e, 0x2f, 0x41, 0x6a, 0x0b, 0x93, 0x5c, 0x12)

namespace Orv {

bool CLoadDataWorkItem::Init(ISavedData* data, CAsyncDataLoader* loader, EDataWorkType type, int priority) {
  m_data = data;
  m_loader = loader;
  m_type = type;
  m_priority = RaisedPriority(priority);
  return data->Clone(m_copy.Receive());
}

void CLoadDataWorkItem::Run() {
  switch (m_type) {
    case eDataWorkLoad: m_copy->Load(); break;
    case eDataWorkUnload: m_copy->Unload(); break;
    case eDataWorkSave: m_copy->GetSavedData(); break;
    case eDataWorkSaveToTempFile: m_copy->SaveToTempFile(); break;
  }
}

void CLoadDataWorkItem::Deliver(bool completed) {
  tSmartPtr<CLoadDataWorkItem> keepAlive(this);
  if (completed) m_data->CopyFrom(m_copy);
  if (m_loader) m_loader->Finish(this, completed);
  Close();
}

// Decides under the lock: merge into a pending item of the same work, wait for other work on the
// data (outside the lock) and look again, or queue a new item.
bool CAsyncDataLoader::Queue(ISavedData* data, int priority, IAsyncDataListener* listener, EDataWorkType type) {
  if (!data) return false;
  tSmartPtr<CLoadDataWorkItem> item;
  for (unsigned attempt = 0; !item; ++attempt) {
    tSmartPtr<IAsyncDataLoader> busy;
    {
      CScopeCriticalSection guard(m_lock);
      if (!data->GetAsyncLoader(busy.Receive())) {
        item = NewItem(data, type, priority);
        if (!item) return false;
        item->AddDataListener(listener);
        data->SetAsyncLoader(this);
        m_pending.PushBack(item);
        Add(m_queued, data->GetLoadedSize());
        break;
      }
      if (busy.Get() == this) {
        for (unsigned i = 0; i < m_pending.Count(); ++i) {
          if (m_pending[i]->Data() == data && m_pending[i]->Type() == type) {
            m_pending[i]->AddDataListener(listener);
            return true;
          }
        }
      }
    }
    if (attempt > kMaxWaits || !busy->WaitForData(data)) return false;
  }
  GetGlobalThreadPool()->AddWorkItem(item);
  return true;
}

tSmartPtr<CLoadDataWorkItem> CAsyncDataLoader::NewItem(ISavedData* data, EDataWorkType type, int priority) {
  CLoadDataWorkItem* created = nullptr;
  if (FAILED(CComObject<CLoadDataWorkItem>::CreateObject(nullptr, &created))) return nullptr;
  tSmartPtr<CLoadDataWorkItem> item(created);
  created->Release();
  return item->Init(data, this, type, priority) ? item : nullptr;
}

tSmartPtr<CLoadDataWorkItem> CAsyncDataLoader::FindItem(ISavedData* data, const EDataWorkType* type) {
  CScopeCriticalSection guard(m_lock);
  for (unsigned i = 0; i < m_pending.Count(); ++i) {
    if (m_pending[i]->Data() == data && (!type || m_pending[i]->Type() == *type)) return m_pending[i];
  }
  return nullptr;
}

tSmartPtr<CLoadDataWorkItem> CAsyncDataLoader::FindItemOf(IAsyncDataListener* listener) {
  CScopeCriticalSection guard(m_lock);
  for (unsigned i = 0; i < m_pending.Count(); ++i) {
    if (m_pending[i]->HasListener(listener)) return m_pending[i];
  }
  return nullptr;
}

// On the main thread the pool delivers completions while it waits. Elsewhere the caller waits for
// the main thread to deliver this item. An item the pool does not know (it could not be queued) is
// cancelled here, so that its data never waits for it again.
bool CAsyncDataLoader::Wait(tSmartPtr<CLoadDataWorkItem> item) {
  if (!item) return true;
  if (!IsRunningOnMainThread()) {
    EnterCriticalSection(&m_lock.GetCS());
    while (!item->IsDelivered()) SleepConditionVariableCS(&m_deliveredSignal, &m_lock.GetCS(), INFINITE);
    LeaveCriticalSection(&m_lock.GetCS());
    return true;
  }
  if (!GetGlobalThreadPool()->WaitForWorkItem(item)) return false;
  bool delivered;
  {
    CScopeCriticalSection guard(m_lock);
    delivered = item->IsDelivered();
  }
  if (!delivered) item->InternalOnCancel();
  return true;
}

bool CAsyncDataLoader::Cancel(tSmartPtr<CLoadDataWorkItem> item) {
  return item && GetGlobalThreadPool()->CancelWorkItem(item);
}

bool CAsyncDataLoader::WaitForListener(IAsyncDataListener* listener) {
  while (tSmartPtr<CLoadDataWorkItem> item = FindItemOf(listener)) {
    if (!Wait(item)) return false;
  }
  return true;
}

bool CAsyncDataLoader::CancelForListener(IAsyncDataListener* listener) {
  tSmartPtrVector<CLoadDataWorkItem> items;
  {
    CScopeCriticalSection guard(m_lock);
    for (unsigned i = 0; i < m_pending.Count(); ++i) {
      if (m_pending[i]->HasListener(listener)) items.PushBack(m_pending[i]);
    }
  }
  bool cancelled = false;
  for (unsigned i = 0; i < items.Count(); ++i) cancelled |= Cancel(items[i]);
  return cancelled;
}

bool CAsyncDataLoader::WaitForAll() {
  tSmartPtrVector<CLoadDataWorkItem> items;
  {
    CScopeCriticalSection guard(m_lock);
    for (unsigned i = 0; i < m_pending.Count(); ++i) items.PushBack(m_pending[i]);
  }
  for (unsigned i = 0; i < items.Count(); ++i) Wait(items[i]);
  return true;
}

bool CAsyncDataLoader::CancelAll() {
  tSmartPtrVector<CLoadDataWorkItem> items;
  {
    CScopeCriticalSection guard(m_lock);
    for (unsigned i = 0; i < m_pending.Count(); ++i) items.PushBack(m_pending[i]);
  }
  for (unsigned i = 0; i < items.Count(); ++i) Cancel(items[i]);
  return true;
}

// The item's data leaves the loader and the item the pending list in one step, together with its
// listeners, so that a request merged concurrently is either heard here or queued anew. The loader's
// listeners hear first, the most recently added first, then the item's, in the order they came.
void CAsyncDataLoader::Finish(CLoadDataWorkItem* item, bool completed) {
  ISavedData* data = item->Data();
  ListenerVector listeners;
  bool wasPending = false;
  {
    CScopeCriticalSection guard(m_lock);
    if (completed) Add(m_done, data->GetLoadedSize());
    for (unsigned i = 0; i < m_pending.Count() && !wasPending; ++i) {
      if (m_pending[i].Get() != item) continue;
      m_pending.Erase(i, 1);
      wasPending = true;
    }
    data->SetAsyncLoader(nullptr);
    if (wasPending) {
      for (unsigned i = m_listeners.Count(); i-- > 0;) listeners.PushBack(m_listeners[i]);
    }
    item->TakeListeners(listeners);
    item->SetDelivered();
  }
  WakeAllConditionVariable(&m_deliveredSignal);
  for (unsigned i = 0; i < listeners.Count(); ++i) {
    if (completed)
      listeners[i]->OnComplete(data, item->Type());
    else
      listeners[i]->OnCancel(data, item->Type());
  }
}

void CAsyncDataLoader::AddListener(IAsyncDataListener* listener) {
  CScopeCriticalSection guard(m_lock);
  if (listener && !Contains(m_listeners, listener)) m_listeners.PushBack(tSmartPtr<IAsyncDataListener>(listener));
}

void CAsyncDataLoader::RemoveListener(IAsyncDataListener* listener) {
  CScopeCriticalSection guard(m_lock);
  for (unsigned i = 0; i < m_listeners.Count(); ++i) {
    if (m_listeners[i].Get() == listener) {
      m_listeners.Erase(i, 1);
      return;
    }
  }
}

// Busy while work is pending, or while the bytes done trail the bytes queued (a cancelled request
// never catches up, so pending work is what counts once the queue is empty).
bool CAsyncDataLoader::IsBusy() {
  CScopeCriticalSection guard(m_lock);
  return m_pending.Count() > 0;
}

void CAsyncDataLoader::ResetProgress() {
  CScopeCriticalSection guard(m_lock);
  m_queued = m_done = 0;
}

bool CAsyncDataLoader::GetProgress(unsigned int* done, unsigned int* total) {
  {
    CScopeCriticalSection guard(m_lock);
    if (done) *done = m_done < m_queued ? m_done : m_queued;
    if (total) *total = m_queued;
  }
  return IsBusy();
}

bool CreateAsyncDataLoader(IAsyncDataLoader** out) {
  if (!out) return false;
  *out = nullptr;
  CAsyncDataLoader* loader = nullptr;
  if (FAILED(CComObject<CAsyncDataLoader>::CreateObject(nullptr, &loader))) return false;
  *out = loader;
  return true;
}

namespace {

IAsyncDataLoader* g_globalLoader = nullptr;
bool g_globalLoaderGone = false;

void ReleaseGlobalLoader() {
  IAsyncDataLoader* loader;
  {
    CScopeCriticalSection guard(eGlobalCSAsyncDataLoader);
    loader = g_globalLoader;
    g_globalLoader = nullptr;
    g_globalLoaderGone = true;
  }
  if (loader) {
    loader->CancelAll();
    loader->Release();
  }
}

}  // namespace

IAsyncDataLoader* GetGlobalAsyncDataLoader() {
  CScopeCriticalSection guard(eGlobalCSAsyncDataLoader);
  if (!g_globalLoader && !g_globalLoaderGone && !IsShuttingDown() && !DidShutdown()) {
    if (CreateAsyncDataLoader(&g_globalLoader)) AtShutdown(ReleaseGlobalLoader, &GetOrvutilModule());
  }
  return g_globalLoader;
}

// Forwards to its target while it has one.
class CProxyAsyncDataListener : public CComBase, public IProxyAsyncDataListener {
 public:
  ORV_INTERFACES(IAsyncDataListener, IProxyAsyncDataListener)

  void OnComplete(ISavedData* data, EDataWorkType type) override {
    if (m_target) m_target->OnComplete(data, type);
  }
  void OnCancel(ISavedData* data, EDataWorkType type) override {
    if (m_target) m_target->OnCancel(data, type);
  }
  void SetListener(IAsyncDataListener* target) override { m_target = target; }

 private:
  IAsyncDataListener* m_target = nullptr;  // not counted: the target detaches itself before it ends
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CProxyAsyncDataListener, 0x1f0c2a6e, 0x7b1d, 0x4a53, 0x8e, 0x2f, 0x41, 0x6a, 0x0b, 0x93, 0x5c, 0x13)

namespace Orv {

bool CreateProxyAsyncDataListener(IAsyncDataListener* target, IProxyAsyncDataListener** out) {
  if (!out) return false;
  *out = nullptr;
  CProxyAsyncDataListener* proxy = nullptr;
  if (FAILED(CComObject<CProxyAsyncDataListener>::CreateObject(nullptr, &proxy))) return false;
  proxy->SetListener(target);
  *out = proxy;
  return true;
}

}  // namespace Orv
