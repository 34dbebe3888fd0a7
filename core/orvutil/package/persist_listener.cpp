// CProxyPersistListener, and the viewers of objects stored at package nodes.
#include "orvutil/com/comobject.h"
#include "orvutil/com/module.h"
#include "orvutil/com/plugins.h"
#include "orvutil/package/persist.h"

namespace Orv {

class CProxyPersistListener : public CComBase, public IProxyPersistListener {
 public:
  ORV_INTERFACES(IPersistListener, IProxyPersistListener)

  void OnLoadFinished(IPackageNodePersist* object) override {
    if (m_target) m_target->OnLoadFinished(object);
  }
  void OnLoadCancelled(IPackageNodePersist* object) override {
    if (m_target) m_target->OnLoadCancelled(object);
  }
  void SetListener(IPersistListener* target) override { m_target = target; }

 private:
  IPersistListener* m_target = nullptr;  // not counted: the target detaches itself before it ends
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CProxyPersistListener, 0x6a49a90f, 0xb705, 0x4f7c, 0x8b, 0xc1, 0x4f, 0x40, 0x3d, 0xfe, 0xa6, 0x47)

namespace Orv {

bool CreateProxyPersistListener(IPersistListener* target, IProxyPersistListener** out) {
  if (!out) return false;
  *out = nullptr;
  CProxyPersistListener* proxy = nullptr;
  if (FAILED(CComObject<CProxyPersistListener>::CreateObject(nullptr, &proxy))) return false;
  proxy->SetListener(target);
  *out = proxy;
  return true;
}

namespace {

// The viewer class a module registers for the entry's class, else for its category.
GUID ViewerClassFor(IPackageEntry* entry) {
  GUID const* keys[] = {&entry->GetObjectClassID(), &entry->GetObjectCategoryID()};
  for (GUID const* key : keys) {
    if (IsEqualGUID(*key, GUID_NULL)) continue;
    for (unsigned i = 0; i < GetModuleCount(); ++i) {
      CModule* module = GetModuleByIndex(i);
      GUID viewer = module ? module->GetViewerClass(*key) : GUID_NULL;
      if (!IsEqualGUID(viewer, GUID_NULL)) return viewer;
    }
  }
  return GUID_NULL;
}

}  // namespace

bool CreateDataViewer(PackageNode node, HWND parent, DWORD style, DWORD exStyle, RECT const& rect, IDataViewer** out) {
  if (!out) return false;
  *out = nullptr;
  IPackageEntry* entry = node.GetEntry();
  GUID viewerClass = entry ? ViewerClassFor(entry) : GUID_NULL;
  IComModules* modules = GetComModules();
  if (IsEqualGUID(viewerClass, GUID_NULL) || !modules) return false;
  tSmartPtr<IDataViewer> viewer;
  if (FAILED(modules->CreateInstance(nullptr, viewerClass, __uuidof(IDataViewer), reinterpret_cast<void**>(viewer.Receive()))) ||
      !viewer->Create(node, parent, style, exStyle, rect))
    return false;
  *out = viewer.Detach();
  return true;
}

}  // namespace Orv
