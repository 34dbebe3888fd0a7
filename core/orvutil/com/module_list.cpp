// The module list and the lookups over it, all under the module-list global section.
#include "module_list.h"

#include <wchar.h>

#include "../detail/never_destroyed.h"
#include "orvutil/com/module.h"
#include "orvutil/foundation/paths.h"

namespace Orv {

namespace {

using ModuleList = tVectorPOD<CModule*, 32>;

// Never destroyed: modules of binaries unloaded late still remove themselves.
ModuleList& Modules() {
  static Detail::tNeverDestroyed<ModuleList> s_modules;
  return s_modules.Get();
}

unsigned IndexOf(ModuleList const& modules, CModule const* module) {
  for (unsigned i = 0; i < modules.Count(); ++i) {
    if (modules[i] == module) return i;
  }
  return ~0u;
}

// The first module for which `matches` is true, under the list lock.
template <typename Predicate>
CModule* FindModule(Predicate&& matches) {
  CScopeCriticalSection guard(eGlobalCSModuleList);
  for (CModule* module : Modules()) {
    if (matches(*module)) return module;
  }
  return nullptr;
}

}  // namespace

namespace Detail {

void AddModuleToList(CModule* module) {
  CScopeCriticalSection guard(eGlobalCSModuleList);
  ModuleList& modules = Modules();
  if (IndexOf(modules, module) == ~0u) modules.PushBack(module);
}

void RemoveModuleFromList(CModule* module) {
  CScopeCriticalSection guard(eGlobalCSModuleList);
  ModuleList& modules = Modules();
  unsigned index = IndexOf(modules, module);
  if (index != ~0u) modules.Erase(index, 1);
}

}  // namespace Detail

unsigned GetModuleCount() {
  CScopeCriticalSection guard(eGlobalCSModuleList);
  return Modules().Count();
}

CModule* GetModuleByIndex(unsigned index) {
  CScopeCriticalSection guard(eGlobalCSModuleList);
  ModuleList& modules = Modules();
  return index < modules.Count() ? modules[index] : nullptr;
}

CModule* GetMainModule() {
  CScopeCriticalSection guard(eGlobalCSModuleList);
  HINSTANCE executable = ::GetModuleHandleW(nullptr);
  CModule* main = FindModule([&](CModule& module) { return module.GetInstance() == executable; });
  if (main) return main;
  return Modules().Count() ? Modules()[0] : nullptr;
}

CModule* GetModuleByName(wchar_t const* name) {
  if (!name) return nullptr;
  return FindModule([&](CModule& module) { return ::_wcsicmp(module.GetName().c_str(), name) == 0; });
}

CModule* GetModuleByPath(wchar_t const* path) {
  if (!path || !*path) return nullptr;
  return FindModule([&](CModule& module) { return PathsEqual(module.GetPath().c_str(), path); });
}

CModule* GetModuleByInstance(HINSTANCE instance) {
  if (!instance) instance = ::GetModuleHandleW(nullptr);
  return FindModule([&](CModule& module) { return module.GetInstance() == instance; });
}

CModule* GetModuleByID(GUID const& id) {
  return FindModule([&](CModule& module) { return ::IsEqualGUID(module.GetID(), id); });
}

GUID GetModuleClassForInterface(GUID const& iid) {
  GUID clsid = GUID_NULL;
  FindModule([&](CModule& module) {
    clsid = module.GetClassForInterface(iid);
    return !::IsEqualGUID(clsid, GUID_NULL);
  });
  return clsid;
}

bool GetModuleUnkOuterForCategory(GUID const& category, IUnknown** out) {
  if (!out) return false;
  *out = nullptr;
  CModule* owner = FindModule([&](CModule& module) {
    SModuleCategoryInfo const* info = module.GetCategoryInfo(category);
    return info && info->creator;
  });
  if (!owner) return false;
  ComCreatorFunction creator = owner->GetCategoryInfo(category)->creator;
  return SUCCEEDED(creator(nullptr, GUID_NULL, IID_IUnknown, reinterpret_cast<void**>(out)));
}

}  // namespace Orv
