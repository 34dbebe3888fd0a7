// A plain COM DLL for the plug-in registry tests, not built on orvutil: one class served under two
// class GUIDs through DllGetClassObject and DllCanUnloadNow, and two exports through which a test
// steers the unload answer and counts class object requests.
#include <windows.h>
#include <unknwn.h>

#include "plaindll_api.h"

namespace {

volatile LONG g_liveObjects = 0;  // objects, factories and server locks
volatile LONG g_getClassObjectCalls = 0;
volatile HRESULT g_unloadAnswer = S_OK;

// The class factory, whose instances are also the objects it creates; each counts as live.
class CPlain : public IClassFactory {
 public:
  CPlain() { ::InterlockedIncrement(&g_liveObjects); }
  virtual ~CPlain() { ::InterlockedDecrement(&g_liveObjects); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    bool known = ::IsEqualGUID(iid, IID_IUnknown) || ::IsEqualGUID(iid, IID_IClassFactory);
    *ppv = known ? (AddRef(), this) : nullptr;
    return known ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_refs); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return refs;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override {
    return outer ? CLASS_E_NOAGGREGATION : Create(iid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    ::InterlockedExchangeAdd(&g_liveObjects, lock ? 1 : -1);
    return S_OK;
  }
  static HRESULT Create(REFIID iid, void** ppv) {
    CPlain* object = new CPlain;
    HRESULT hr = object->QueryInterface(iid, ppv);
    object->Release();
    return hr;
  }

 private:
  volatile LONG m_refs = 1;
};

}  // namespace

extern "C" {

__declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  ::InterlockedIncrement(&g_getClassObjectCalls);
  bool known = ::IsEqualGUID(clsid, PlainApi::kPlainClass) || ::IsEqualGUID(clsid, PlainApi::kSharedClass);
  if (!known && ppv) *ppv = nullptr;
  return known ? CPlain::Create(iid, ppv) : CLASS_E_CLASSNOTAVAILABLE;
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
