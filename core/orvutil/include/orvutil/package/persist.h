// Objects that persist themselves into packages.
//
// A persistent class derives from CPackagePersistAsyncHelper and overrides its hooks: InternalSave
// writes the object's payload, InternalLoad reads it back, InternalLoadChildNodes loads what the
// object keeps in child nodes. Load(node) on the main thread of a node whose payload is not loaded yet
// returns at once and loads in the background (the global asynchronous data loader); listeners hear
// when the load has finished or was cancelled (a load whose hooks fail counts as cancelled). On other
// threads Load completes before it returns.
//
// Threading: one thread uses an object at a time; listener callbacks run on the main thread.
#pragma once

#include <windows.h>

#include "orvutil/com/object.h"
#include "orvutil/data/async_loader.h"
#include "orvutil/data/readers.h"
#include "orvutil/export.h"
#include "orvutil/foundation/smartptr.h"
#include "orvutil/package/package.h"

namespace Orv {

struct IPackageNodePersist;

// Hears how a background load ended.
struct IPersistListener : public IUnknown {
  virtual void OnLoadFinished(IPackageNodePersist* object) = 0;
  virtual void OnLoadCancelled(IPackageNodePersist* object) = 0;
};

// A listener that forwards to another one while it holds it.
struct IProxyPersistListener : public IPersistListener {
  virtual void SetListener(IPersistListener* target) = 0;
};

struct ORV_API IPackageNodePersist : public IUnknown {
  // Fails without an entry at the node or while a load is outstanding.
  virtual bool Load(PackageNode node) = 0;
  // Saves the object as a new last child of `parent` (a node or a package's top level); an empty
  // node on failure, which leaves nothing behind.
  virtual PackageNode Save(PackageNode parent) = 0;
  virtual PackageNode GetOriginalNode() = 0;
  virtual bool IsLoaded() = 0;
  // Completes an outstanding load now (main thread); whether the load is over.
  virtual bool Wait() = 0;
  virtual tstring GetName() = 0;
  virtual void SetName(wchar_t const* name) = 0;
  virtual GUID const& GetInstanceID() = 0;
  virtual void SetInstanceID(GUID const& id) = 0;
  virtual bool CanUseUnkOuter(IUnknown* outer) = 0;
  // Ignored unless a load is outstanding; each listener once.
  virtual void AddListener(IPersistListener* listener) = 0;
  virtual bool AddProxyListener(IPersistListener* listener, IProxyPersistListener** out) = 0;
  virtual void RemoveListener(IPersistListener* listener) = 0;

  // For any object: asks it for this interface; an object without it counts as loaded.
  static bool IsLoaded(IUnknown* object);
  static bool Wait(IUnknown* object);
};

class ORV_API CPackagePersistAsyncHelper : public CComBase, public IPackageNodePersist, public IAsyncDataListener {
 public:
  ORV_INTERFACES(IPackageNodePersist, IAsyncDataListener)
  CPackagePersistAsyncHelper() = default;
  CPackagePersistAsyncHelper(const CPackagePersistAsyncHelper&) = delete;
  CPackagePersistAsyncHelper& operator=(const CPackagePersistAsyncHelper&) = delete;
  ~CPackagePersistAsyncHelper() override;

  bool Load(PackageNode node) override;
  PackageNode Save(PackageNode parent) override;
  PackageNode GetOriginalNode() override { return m_original; }
  bool IsLoaded() override { return !m_loading; }
  bool Wait() override;
  tstring GetName() override { return m_name; }
  void SetName(wchar_t const* name) override { m_name = name ? name : L""; }
  GUID const& GetInstanceID() override { return m_instanceId; }
  void SetInstanceID(GUID const& id) override { m_instanceId = id; }
  bool CanUseUnkOuter(IUnknown* outer) override { return InternalCanUseUnkOuter(outer); }
  void AddListener(IPersistListener* listener) override;
  bool AddProxyListener(IPersistListener* listener, IProxyPersistListener** out) override;
  void RemoveListener(IPersistListener* listener) override;

  void OnComplete(ISavedData* data, EDataWorkType type) override;
  void OnCancel(ISavedData* data, EDataWorkType type) override;

  // The instance GUID of any object offering IPackageNodePersist; GUID_NULL otherwise.
  static GUID GetInstanceID(IUnknown* object);
  // Creates an object of a class registered with the modules or plug-ins.
  static HRESULT CreateInstance(IUnknown* outer, GUID const& clsid, GUID const& iid, void** ppv);

 protected:
  virtual bool InternalLoad(IDataReader* reader, PackageNode node) = 0;
  virtual bool InternalLoadChildNodes(PackageNode) { return true; }
  virtual bool InternalSave(IDataWriter* writer, PackageNode node) = 0;
  virtual GUID InternalGetCategory() { return _GetCategoryID(); }
  virtual bool InternalCanUseUnkOuter(IUnknown* outer) { return outer == nullptr; }

 private:
  bool CallInternalLoad(ISavedData* saved);
  void EndLoad(ISavedData* data, bool completed);

  tSmartPtrVector<IPersistListener>* m_listeners = nullptr;  // only while a load is outstanding
  PackageNode m_original;
  GUID m_instanceId = GUID_NULL;
  tstring m_name;
  bool m_loading = false;
};

ORV_API bool CreateProxyPersistListener(IPersistListener* target, IProxyPersistListener** out);

// A window that shows the object stored at a package node.
struct IDataViewer : public IUnknown {
  virtual bool Create(PackageNode node, HWND parent, DWORD style, DWORD exStyle, RECT const& rect) = 0;
  virtual HWND GetWindow() = 0;
};

// Creates the viewer registered (by some module) for the class or category of the node's entry, and
// its window; false when none is registered or creation fails.
ORV_API bool CreateDataViewer(PackageNode node, HWND parent, DWORD style, DWORD exStyle, RECT const& rect,
                              IDataViewer** out);

}  // namespace Orv

ORV_CLASS_GUID(Orv::IPersistListener, 0x8ec2040b, 0x0bfb, 0x4db1, 0x90, 0x40, 0xaa, 0x96, 0xf1, 0xb7, 0x12, 0xc4)
ORV_CLASS_GUID(Orv::IProxyPersistListener, 0x2fe51c3a, 0xe58b, 0x42b2, 0x8e, 0x20, 0x6a, 0xe6, 0x64, 0xe7, 0x63, 0x5b)
ORV_CLASS_GUID(Orv::IPackageNodePersist, 0x184bee2d, 0xbffc, 0x4ddd, 0x96, 0x48, 0x6e, 0xc6, 0x8c, 0x72, 0x6a, 0xa7)
ORV_CLASS_GUID(Orv::IDataViewer, 0xf3375096, 0xc418, 0x4388, 0xb6, 0x07, 0x99, 0x43, 0xa7, 0xfa, 0x43, 0x10)
