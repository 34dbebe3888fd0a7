// A plain COM DLL for the plug-in registry tests, not built on orvutil: one class served under two
// class GUIDs through DllGetClassObject and DllCanUnloadNow, and two exports through which a test
// steers the unload answer and counts class object requests.
#include <windows.h>
#include <unknwn.h>

#include "plaindll_api.h"

namespace {

volatile LONG g_liveObjects = 0;  // references to the one object, server locks included
volatile LONG g_getClassObjectCalls = 0;
volatile HRESULT g_unloadAnswer = S_OK;

// The class factory, which is also every object it creates: a reference to it is a live object.
class CPlain : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    bool known = ::IsEqualGUID(iid, IID_IUnknown) || ::IsEqualGUID(iid, IID_IClassFactory);
    *ppv = known ? (AddRef(), this) : nullptr;
    return known ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&g_liveObjects); }
  ULONG STDMETHODCALLTYPE Release() override { return ::InterlockedDecrement(&g_liveObjects); }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override {
    return outer ? CLASS_E_NOAGGREGATION : QueryInterface(iid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? AddRef() : Release();
    return S_OK;
  }
} g_plain;

}  // namespace

extern "C" {

__declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  ::InterlockedIncrement(&g_getClassObjectCalls);
  if (::IsEqualGUID(clsid, PlainApi::kPlainClass) || ::IsEqualGUID(clsid, PlainApi::kSharedClass))
    return g_plain.QueryInterface(iid, ppv);
  *ppv = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return g_liveObjects > 0 ? S_FALSE : g_unloadAnswer;
}

__declspec(dllexport) void __cdecl PlainSetUnloadAnswer(HRESULT answer) {
  g_unloadAnswer = answer;
}

__declspec(dllexport) long __cdecl PlainGetClassObjectCalls() {
  return g_getClassObjectCalls;
}

}  // extern "C"
