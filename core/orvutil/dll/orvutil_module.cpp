// The library's own module, its static registrations and the COM-style DLL entry points.
#include <olectl.h>

#include "orvutil/com.h"

namespace Orv {

namespace {

// The category of option dictionaries (no creator of its own).
constexpr GUID kCategoryOptionsDictionary = {
    0x1ae9073c, 0x5fa6, 0x450f, {0x99, 0x82, 0x1c, 0x8e, 0x87, 0xa7, 0xba, 0x91}};

}  // namespace

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

StaticModuleCategoryInfo s_optionsDictionary(GetOrvutilModule(), kCategoryOptionsDictionary, L"Options Dictionary",
                                             nullptr);

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
