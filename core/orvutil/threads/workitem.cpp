// IWorkItem: its interface map, its listener list and the delivery of completion and cancellation;
// CProxyWorkItemListener, the detachable listener that AddProxyListener hands out.
#include "orvutil/threads/workitem.h"

#include "orvutil/com/comobject.h"

namespace Orv {

class CProxyWorkItemListener : public CComBase, public IProxyWorkItemListener {
 public:
  ORV_INTERFACES(IWorkItemListener, IProxyWorkItemListener)

  void OnWorkItemComplete(IWorkItem* item) override {
    if (m_target) m_target->OnWorkItemComplete(item);
  }
  void OnWorkItemCancel(IWorkItem* item) override {
    if (m_target) m_target->OnWorkItemCancel(item);
  }
  void SetWorkItemListener(IWorkItemListener* target) override { m_target = target; }

 private:
  IWorkItemListener* m_target = nullptr;  // not counted: the target detaches itself before it ends
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CProxyWorkItemListener, 0x0d7ae153, 0xbe5d, 0x486d, 0x90, 0x59, 0xee, 0x90, 0x1d, 0x79, 0xdd, 0xc5)

namespace Orv {

IWorkItem::~IWorkItem() {
  delete m_listeners;
}

HRESULT IWorkItem::_QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  return Detail::QueryInterfaceMap<IWorkItem, IWorkItem>(this, riid, ppv);
}

void IWorkItem::AddListener(IWorkItemListener* listener) {
  if (!listener) return;
  if (!m_listeners) m_listeners = new ListenerList;
  for (IWorkItemListener* known : *m_listeners) {
    if (known == listener) return;
  }
  m_listeners->PushBack(listener);
}

bool IWorkItem::AddProxyListener(IWorkItemListener* listener, IProxyWorkItemListener** out) {
  if (!out) return false;
  *out = nullptr;
  CProxyWorkItemListener* proxy = nullptr;
  if (FAILED(CComObject<CProxyWorkItemListener>::CreateObject(nullptr, &proxy))) return false;
  proxy->SetWorkItemListener(listener);
  AddListener(proxy);
  *out = proxy;
  return true;
}

void IWorkItem::RemoveListener(IWorkItemListener* listener) {
  if (!m_listeners || !listener) return;
  for (unsigned i = 0; i < m_listeners->Count(); ++i) {
    if ((*m_listeners)[i] == listener) {
      m_listeners->Erase(i, 1);
      return;
    }
  }
}

void IWorkItem::NotifyListeners(void (IWorkItemListener::*callback)(IWorkItem*)) {
  ListenerList* listeners = m_listeners;
  m_listeners = nullptr;  // callbacks may start a list of their own
  if (!listeners) return;
  for (tSmartPtr<IWorkItemListener>& listener : *listeners) {
    (listener.Get()->*callback)(this);
    listener.Reset();
  }
  delete listeners;
}

void IWorkItem::InternalOnComplete() {
  OnComplete();
  NotifyListeners(&IWorkItemListener::OnWorkItemComplete);
}

void IWorkItem::InternalOnCancel() {
  OnCancel();
  NotifyListeners(&IWorkItemListener::OnWorkItemCancel);
}

}  // namespace Orv
