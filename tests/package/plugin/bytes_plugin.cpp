// A plug-in DLL built on orvutil that adds the object-creator registration "plugged-bytes" for the
// library's byte-data classes, so package text can only use it after importing the DLL.
#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

Orv::StaticModuleObjectCreatorInfo s_creator(Orv::GetThisModule(), L"plugged-bytes", Orv::GetPackageByteDataCreatorClassID(),
                                             Orv::GetPackageByteDataClassID());

}  // namespace

extern "C" {

__declspec(dllexport) Orv::CModule& DllGetModule() {
  return Orv::GetThisModule();
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  return Orv::GetThisModule().GetClassObject(clsid, iid, ppv);
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return Orv::GetThisModule().CanUnload() ? S_OK : S_FALSE;
}

}  // extern "C"
