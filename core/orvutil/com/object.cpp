// The object bases: default virtual operations, the release sequence and class names.
#include <cxxabi.h>
#include <stdlib.h>
#include <string.h>

#include <typeinfo>

#include "../detail/never_destroyed.h"
#include "listener_registry.h"
#include "orvutil/com/comobject.h"
#include "orvutil/com/module.h"
#include "orvutil/com/object.h"
#include "orvutil/threads/locks.h"

namespace Orv {

CComBaseEx::~CComBaseEx() = default;

GUID const& CComBaseEx::_GetCategoryID() const {
  return GUID_NULL;
}

char const* CComBaseEx::_GetClassName() const {
  return Detail::TypeName(typeid(CComBaseEx const*));
}

unsigned int CComBaseEx::_GetTypeLibIndex() const {
  return kNoTypeLib;
}

long CComBaseEx::_Construct(IUnknown* outer) {
  Detail::NotifyComObjectCreated(outer, _GetCategoryID(), _GetClassID(), _GetUnknown());
  return S_OK;
}

void CComBaseEx::_Destruct() {
  Detail::NotifyComObjectDestroyed(_GetCategoryID(), _GetClassID(), _GetUnknown());
}

void CComBaseEx::_DeleteThis() {
  delete this;
}

unsigned long CComBase::_Release() {
  LONG count = ::InterlockedDecrement(&m_refCount);
  if (count != 0) return static_cast<unsigned long>(count);
  ::InterlockedIncrement(&m_refCount);
  _Destruct();
  ::InterlockedDecrement(&m_refCount);
  _DeleteThis();
  return 0;
}

long CComBase::_GetRefCount() const {
  return ::InterlockedCompareExchange(&m_refCount, m_refCount, m_refCount);
}

unsigned long CComBaseUnsafe::_Release() {
  if (--m_refCount != 0) return static_cast<unsigned long>(m_refCount);
  ++m_refCount;
  _Destruct();
  --m_refCount;
  _DeleteThis();
  return 0;
}

namespace Detail {

namespace {

// Demangled names, one per type, allocated once and kept until the process ends.
struct SNamedType {
  std::type_info const* type;
  char* name;
};

char* Demangle(char const* mangled) {
  int status = 0;
  char* name = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  return status == 0 && name ? name : ::_strdup(mangled);
}

}  // namespace

char const* TypeName(std::type_info const& type) {
  static tNeverDestroyed<tVectorPOD<SNamedType>> s_names;
  CScopeCriticalSection guard(eGlobalCSClassStatics);
  for (SNamedType const& entry : s_names.Get()) {
    if (*entry.type == type) return entry.name;
  }
  SNamedType entry = {&type, Demangle(type.name())};
  s_names.Get().PushBack(entry);
  return entry.name;
}

bool ModuleCategoryOf(CModule& module, GUID const& clsid, GUID& category) {
  SModuleClassInfo const* info = module.GetClassInfoW(clsid);
  if (!info) return false;
  category = info->category;
  return true;
}

HRESULT ProvideClassInfo(CModule& module, unsigned typeLibIndex, GUID const& clsid, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  ITypeLib* typeLib = module.GetTypeLib(typeLibIndex);
  if (!typeLib) return E_FAIL;
  return typeLib->GetTypeInfoOfGuid(clsid, info);
}

}  // namespace Detail

}  // namespace Orv
