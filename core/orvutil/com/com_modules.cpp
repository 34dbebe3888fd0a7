// Plug-in registry objects: the library's own registry and registries created on request.
#include "orvutil/com.h"

namespace Orv {

namespace {

// Finishes CComModules into an object: IUnknown over the class's interface map. Like every object of
// the library it counts against the library's module, which keeps orvutil.dll (the sweep timer's
// code) loaded while a registry lives.
class CComModulesObject final : public CComModules {
 public:
  CComModulesObject() { GetOrvutilModule().AddRef(); }
  ~CComModulesObject() override { GetOrvutilModule().Release(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_INVALIDARG;
    if (!::IsEqualGUID(riid, IID_IUnknown)) return _QueryInterface(riid, ppv);
    *ppv = _GetUnknown();
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return _AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return _Release(); }

  IUnknown* _GetUnknown() override { return static_cast<IComModules*>(this); }
  GUID const& _GetClassID() override { return __uuidof(CComModules); }
};

}  // namespace

bool CreateComModules(IComModules** out) {
  if (!out) return false;
  *out = nullptr;
  CComModulesObject* registry = new CComModulesObject;
  registry->AddRef();
  if (FAILED(registry->_Construct(nullptr))) {
    registry->Release();
    return false;
  }
  *out = registry;
  return true;
}

IComModules* GetComModules() {
  static COnceFlag s_made;
  static IComModules* s_registry = nullptr;
  bool made = s_made.Run(eGlobalCSPlugIns, [] { return CreateComModules(&s_registry); });
  return made ? s_registry : nullptr;
}

}  // namespace Orv
