// Class factories over registered creator functions, and the class objects modules hand out through them.
#include "orvutil/com.h"

namespace Orv {

void CFactory::Init(CModule* module, ComCreatorFunction creator, GUID const& clsid) {
  m_module = module;
  m_creator = creator;
  m_clsid = clsid;
}

HRESULT CFactory::CreateInstance(IUnknown* outer, REFIID iid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  if (!m_creator) return E_FAIL;
  return m_creator(outer, m_clsid, iid, ppv);
}

HRESULT CFactory::LockServer(BOOL lock) {
  if (!m_module) return E_FAIL;
  if (lock) {
    m_module->AddRef();
  } else {
    m_module->Release();
  }
  return S_OK;
}

HRESULT CSingletonFactory::CreateInstance(IUnknown* outer, REFIID iid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  *ppv = nullptr;
  CScopeCriticalSection guard(m_lock);
  IUnknown* instance = m_instance;
  if (instance) {
    instance->AddRef();
  } else {
    if (!m_creator) return E_FAIL;
    HRESULT hr = m_creator(outer, m_clsid, IID_IUnknown, reinterpret_cast<void**>(&instance));
    if (FAILED(hr)) return hr;
    if (!instance) return E_FAIL;
    AddComListener(instance, static_cast<IComListener*>(this));
    m_instance = instance;
  }
  HRESULT hr = instance->QueryInterface(iid, ppv);
  instance->Release();
  return hr;
}

void CSingletonFactory::OnComObjectCreated(IUnknown*, GUID const&, GUID const&, IUnknown*) {}

void CSingletonFactory::OnComObjectDestroyed(GUID const&, GUID const&, IUnknown* object) {
  CScopeCriticalSection guard(m_lock);
  if (object == m_instance) m_instance = nullptr;
}

namespace {

template <class Factory>
bool MakeFactory(GUID const& clsid, CModule* module, ComCreatorFunction creator, IClassFactory** out) {
  if (!out) return false;
  *out = nullptr;
  if (!module || !creator) return false;
  Factory* factory = nullptr;
  if (FAILED(CComObject<Factory>::CreateObject(nullptr, &factory))) return false;
  factory->Init(module, creator, clsid);
  *out = factory;
  return true;
}

}  // namespace

bool CreateClassFactory(GUID const& clsid, CModule* module, ComCreatorFunction creator, IClassFactory** out) {
  return MakeFactory<CFactory>(clsid, module, creator, out);
}

bool CreateSingletonClassFactory(GUID const& clsid, CModule* module, ComCreatorFunction creator, IClassFactory** out) {
  return MakeFactory<CSingletonFactory>(clsid, module, creator, out);
}

// A module hands out the class objects of its registered classes: factories over their creators.
HRESULT CModule::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  if (ppv) *ppv = nullptr;
  SModuleClassInfo const* info = GetClassInfoW(clsid);
  if (!info || !info->creator) return CLASS_E_CLASSNOTAVAILABLE;
  IClassFactory* factory = nullptr;
  if (!CreateClassFactory(clsid, this, info->creator, &factory)) return E_FAIL;
  HRESULT hr = factory->QueryInterface(iid, ppv);
  factory->Release();
  return hr;
}

}  // namespace Orv
