// The library's own module, its static registrations and the COM-style DLL entry points.
#include <olectl.h>

#include "orvutil/com.h"
#include "orvutil/values/dict.h"

namespace Orv {

CModule& GetOrvutilModule() {
  // Created by the first static record, before DllMain runs: the instance comes from the image itself.
  static CModule s_module;
  if (!s_module.GetInstance()) s_module.SetInstance(reinterpret_cast<HINSTANCE>(&__ImageBase));
  return s_module;
}

CModule& GetThisModule() {
  return GetOrvutilModule();
}

namespace {

// The category of option dictionaries (no creator of its own).
StaticModuleCategoryInfo s_optionsDictionary(GetOrvutilModule(), GetCategoryDict(), L"Options Dictionary", nullptr);

}  // namespace

}  // namespace Orv

// COM-style entry points; --kill-at keeps their names plain on 32-bit builds.
extern "C" {

ORV_API HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  return Orv::GetOrvutilModule().GetClassObject(clsid, iid, ppv);
}

ORV_API HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return Orv::GetOrvutilModule().CanUnload() ? S_OK : S_FALSE;
}

ORV_API HRESULT STDAPICALLTYPE DllRegisterServer() {
  return Orv::GetOrvutilModule().RegisterServer() ? S_OK : SELFREG_E_CLASS;
}

ORV_API HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return Orv::GetOrvutilModule().UnregisterServer() ? S_OK : S_FALSE;
}

ORV_API Orv::CModule& DllGetModule() {
  return Orv::GetOrvutilModule();
}

}  // extern "C"
