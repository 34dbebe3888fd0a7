// CServiceCollection: services by GUID in the order of adding, and further providers.
#pragma once

#include <optional>

#include "orvutil/com/comobject.h"
#include "orvutil/com/services.h"
#include "orvutil/foundation/smartptr.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/threads/locks.h"
#include "services_table.h"

namespace Orv {

class CServiceCollection : public CComBase, public IServiceCollection, public IDebugDump {
 public:
  ORV_INTERFACES(IServiceCollection, IServiceProvider, IDebugDump)

  CServiceCollection() = default;
  ~CServiceCollection() override;

  // Makes every later operation run inside the shared critical section.
  void MakeThreadSafe();

  HRESULT STDMETHODCALLTYPE QueryService(REFGUID sid, REFIID iid, void** ppv) override;
  bool AddService(GUID const& sid, IUnknown* service) override;
  bool RemoveService(GUID const& sid) override;
  bool AddServiceProvider(IServiceProvider* provider) override;
  bool RemoveServiceProvider(IServiceProvider* provider) override;
  void DebugDump(IUnknown* parent, CLog& log, unsigned int indent) override;

 private:
  using Providers = tSmartPtrVector<IServiceProvider>;
  using Services = tSmartPtrVector<IUnknown>;

  class CGuard {
   public:
    explicit CGuard(CServiceCollection& owner);

   private:
    std::optional<CScopeSharedCriticalSection> m_scope;
  };

  // Whether `target` is among the collections that this one's providers lead to.
  bool Reaches(CServiceCollection* target, unsigned int depth);
  Providers CopyProviders();

  CSharedCriticalSection m_section;
  bool m_threadSafe = false;
  CServiceTable m_services;  // each service holds a reference
  tVectorPOD<GUID> m_order;          // service GUIDs in the order of adding
  Providers m_providers;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CServiceCollection, 0x9c51e0a7, 0x2b8d, 0x4f36, 0x8e, 0x4a, 0x17, 0x60, 0xd3, 0xb9, 0x2c, 0x58)
