// CProxyComListener: forwards object notifications to a target that can be detached.
#include "orvutil/com/comobject.h"
#include "orvutil/com/listeners.h"

namespace Orv {

class CProxyComListener : public CComBase, public IProxyComListener {
 public:
  ORV_INTERFACES(IComListener, IProxyComListener)

  void OnComObjectCreated(IUnknown* outer, GUID const& category, GUID const& clsid, IUnknown* object) override {
    if (m_target) m_target->OnComObjectCreated(outer, category, clsid, object);
  }
  void OnComObjectDestroyed(GUID const& category, GUID const& clsid, IUnknown* object) override {
    if (m_target) m_target->OnComObjectDestroyed(category, clsid, object);
  }
  void SetComListener(IComListener* target) override { m_target = target; }

 private:
  IComListener* m_target = nullptr;  // not counted: the target detaches itself before it ends
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CProxyComListener, 0xb18470d8, 0x8b25, 0x47ed, 0xac, 0x02, 0x12, 0x4e, 0x57, 0xd3, 0x02, 0xb6)

namespace Orv {

bool CreateProxyComListener(IComListener* target, IProxyComListener** out) {
  if (!out) return false;
  *out = nullptr;
  CProxyComListener* proxy = nullptr;
  if (FAILED(CComObject<CProxyComListener>::CreateObject(nullptr, &proxy))) return false;
  proxy->SetComListener(target);
  *out = proxy;
  return true;
}

}  // namespace Orv
