// A plain COM DLL for the plug-in registry tests, not built on orvutil: one object class (IUnknown
// only) served under two class GUIDs through its own class factory, DllGetClassObject and
// DllCanUnloadNow, and two exports through which a test steers the unload answer and counts class
// object requests.
#include <windows.h>
#include <unknwn.h>

#include "plaindll_api.h"

namespace {

volatile LONG g_liveObjects = 0;  // objects, factories and server locks
volatile LONG g_getClassObjectCalls = 0;
volatile HRESULT g_unloadAnswer = S_OK;

// Reference counting shared by the object and the factory; each instance counts as a live object.
template <class Interface>
class CRefCounted : public Interface {
 public:
  CRefCounted() { ::InterlockedIncrement(&g_liveObjects); }
  virtual ~CRefCounted() { ::InterlockedDecrement(&g_liveObjects); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (::IsEqualGUID(iid, IID_IUnknown) || ::IsEqualGUID(iid, __uuidof(Interface))) {
      *ppv = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_refs); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return refs;
  }

 private:
  volatile LONG m_refs = 1;
};

class CPlainObject : public CRefCounted<IUnknown> {};

class CPlainFactory : public CRefCounted<IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    CPlainObject* object = new CPlainObject;
    HRESULT hr = object->QueryInterface(iid, ppv);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ::InterlockedIncrement(&g_liveObjects);
    } else {
      ::InterlockedDecrement(&g_liveObjects);
    }
    return S_OK;
  }
};

}  // namespace

extern "C" {

__declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  ::InterlockedIncrement(&g_getClassObjectCalls);
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!::IsEqualGUID(clsid, PlainApi::kPlainClass) && !::IsEqualGUID(clsid, PlainApi::kSharedClass)) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  CPlainFactory* factory = new CPlainFactory;
  HRESULT hr = factory->QueryInterface(iid, ppv);
  factory->Release();
  return hr;
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
