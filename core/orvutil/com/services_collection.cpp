// CServiceCollection: registering, finding and dumping services and providers.
#include "services_collection.h"

namespace Orv {

namespace {

constexpr unsigned int kMaxChainDepth = 64;

// The collection object behind `provider` when it is one of ours (with a reference), else null.
CServiceCollection* AsCollection(IServiceProvider* provider) {
  void* object = nullptr;
  if (!provider || FAILED(provider->QueryInterface(__uuidof(CServiceCollection), &object)) || !object) return nullptr;
  return static_cast<CServiceCollection*>(static_cast<CComBaseEx*>(object));
}

}  // namespace

CServiceCollection::CGuard::CGuard(CServiceCollection& owner) {
  if (owner.m_threadSafe) m_scope.emplace(owner.m_section, false);
}

CServiceCollection::~CServiceCollection() {
  for (unsigned i = 0; i < m_order.Count(); ++i) m_services.Find(m_order[i])->Release();
  if (m_threadSafe) m_section.ReleaseShare();
}

void CServiceCollection::MakeThreadSafe() {
  if (m_threadSafe) return;
  m_section.InitShare();
  m_threadSafe = true;
}

HRESULT CServiceCollection::QueryService(REFGUID sid, REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!m_threadSafe) {
    if (IUnknown* service = m_services.Find(sid)) return service->QueryInterface(iid, ppv);
  } else {
    tSmartPtr<IUnknown> service;
    {
      CGuard guard(*this);
      service = m_services.Find(sid);
    }
    if (service) return service->QueryInterface(iid, ppv);
  }
  Providers providers = CopyProviders();
  for (unsigned i = 0; i < providers.Count(); ++i) {
    if (SUCCEEDED(providers[i]->QueryService(sid, iid, ppv)) && *ppv) return S_OK;
    *ppv = nullptr;
  }
  return E_NOINTERFACE;
}

bool CServiceCollection::AddService(GUID const& sid, IUnknown* service) {
  if (!service || ::IsEqualGUID(sid, GUID_NULL)) return false;
  CGuard guard(*this);
  if (m_services.Find(sid) || !m_order.Reserve(m_order.Count() + 1) || !m_services.Insert(sid, service)) return false;
  m_order.PushBack(sid);
  service->AddRef();
  return true;
}

bool CServiceCollection::RemoveService(GUID const& sid) {
  IUnknown* removed = nullptr;
  {
    CGuard guard(*this);
    removed = m_services.Remove(sid);
    if (!removed) return false;
    for (unsigned i = 0; i < m_order.Count(); ++i) {
      if (::IsEqualGUID(m_order[i], sid)) {
        m_order.Erase(i, 1);
        break;
      }
    }
  }
  removed->Release();
  return true;
}

CServiceCollection::Providers CServiceCollection::CopyProviders() {
  CGuard guard(*this);
  return m_providers;
}

bool CServiceCollection::Reaches(CServiceCollection* target, unsigned int depth) {
  if (depth >= kMaxChainDepth) return true;  // too deep to tell: treat as a cycle
  Providers providers = CopyProviders();
  for (unsigned i = 0; i < providers.Count(); ++i) {
    CServiceCollection* inner = AsCollection(providers[i]);
    if (!inner) continue;
    bool reaches = inner == target || inner->Reaches(target, depth + 1);
    static_cast<IServiceCollection*>(inner)->Release();
    if (reaches) return true;
  }
  return false;
}

bool CServiceCollection::AddServiceProvider(IServiceProvider* provider) {
  if (!provider) return false;
  // Section 22 keeps two additions from closing a cycle between them.
  CScopeCriticalSection chains(eGlobalCSServiceCollection);
  if (CServiceCollection* other = AsCollection(provider)) {
    bool cycle = other == this || other->Reaches(this, 0);
    static_cast<IServiceCollection*>(other)->Release();
    if (cycle) return false;
  }
  CGuard guard(*this);
  for (unsigned i = 0; i < m_providers.Count(); ++i) {
    if (m_providers[i] == provider) return false;
  }
  return m_providers.PushBack(tSmartPtr<IServiceProvider>(provider));
}

bool CServiceCollection::RemoveServiceProvider(IServiceProvider* provider) {
  tSmartPtr<IServiceProvider> removed;
  {
    CGuard guard(*this);
    for (unsigned i = 0; i < m_providers.Count() && provider && !removed; ++i) {
      if (m_providers[i] == provider) {
        removed = m_providers[i];
        m_providers.Erase(i, 1);
      }
    }
  }
  return removed != nullptr;
}

void CServiceCollection::DebugDump(IUnknown*, CLog& log, unsigned int indent) {
  IUnknown* self = static_cast<IServiceCollection*>(this);
  DebugDumpName(self, log, indent);
  Services services;
  {
    CGuard guard(*this);
    for (unsigned i = 0; i < m_order.Count(); ++i) services.PushBack(m_services.Find(m_order[i]));
  }
  if (services.IsEmpty()) {
    log.TraceSpaces(indent + 4);
    log.Trace(L"<no services>\n");
  }
  for (unsigned i = 0; i < services.Count(); ++i) DebugDumpObject(services[i], self, log, indent + 4);
  Providers providers = CopyProviders();
  for (unsigned i = 0; i < providers.Count(); ++i) DebugDumpObject(providers[i], self, log, indent + 4);
}

bool CreateServiceCollection(bool threadSafe, IServiceCollection** out) {
  if (!out) return false;
  *out = nullptr;
  CServiceCollection* collection = nullptr;
  if (FAILED(CComObject<CServiceCollection>::CreateObject(nullptr, &collection)) || !collection) return false;
  if (threadSafe) collection->MakeThreadSafe();
  *out = collection;
  return true;
}

}  // namespace Orv
