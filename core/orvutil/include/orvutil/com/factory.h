// Class factories: a registered creator function wrapped as a standard IClassFactory.
//
// CFactory creates a new object on every CreateInstance. CSingletonFactory hands out one instance
// while it lives: it never holds a reference to it, hears of its end through an object listener and
// makes a new one on the next request. LockServer counts on the owning module, so the module's
// binary stays loaded while a client holds the lock.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "orvutil/com/listeners.h"
#include "orvutil/com/object.h"
#include "orvutil/export.h"
#include "orvutil/threads/locks.h"

namespace Orv {

class ORV_API CFactory : public CComBase, public IClassFactory {
 public:
  ORV_INTERFACES(IClassFactory)

  void Init(CModule* module, ComCreatorFunction creator, GUID const& clsid);

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 protected:
  CModule* m_module = nullptr;  // not counted: the module outlives its factories
  ComCreatorFunction m_creator = nullptr;
  GUID m_clsid = GUID_NULL;
};

class ORV_API CSingletonFactory : public CFactory, public IComListener {
 public:
  ORV_INTERFACES(IClassFactory, IComListener)

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override;

  void OnComObjectCreated(IUnknown* outer, GUID const& category, GUID const& clsid, IUnknown* object) override;
  void OnComObjectDestroyed(GUID const& category, GUID const& clsid, IUnknown* object) override;

 private:
  CCriticalSection m_lock;
  IUnknown* m_instance = nullptr;  // not counted: the factory never keeps its instance alive
};

// Both hand out an IClassFactory with one reference; false for a null out, module or creator.
ORV_API bool CreateClassFactory(GUID const& clsid, CModule* module, ComCreatorFunction creator, IClassFactory** out);
ORV_API bool CreateSingletonClassFactory(GUID const& clsid, CModule* module, ComCreatorFunction creator,
                                         IClassFactory** out);

}  // namespace Orv

ORV_CLASS_GUID(Orv::CFactory, 0x6b1f3a52, 0x2c1e, 0x4f0a, 0x9d, 0x3b, 0x51, 0x7e, 0x20, 0x8c, 0x44, 0x11)
ORV_CLASS_GUID(Orv::CSingletonFactory, 0x6b1f3a53, 0x2c1e, 0x4f0a, 0x9d, 0x3b, 0x51, 0x7e, 0x20, 0x8c, 0x44, 0x11)
