// A plug-in DLL built on orvutil: static registrations of every kind, a type library for one class,
// and the entry points the component-model tests use.
#include "../plaindll/plaindll_api.h"
#include "plugin_api.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

volatile LONG g_getClassObjectCalls = 0;

// An object whose GetValue answers `kValue`.
template <long kValue>
class CValued : public Orv::CComBase, public PluginApi::IPluginWidget {
 public:
  ORV_INTERFACES(PluginApi::IPluginWidget)
  HRESULT STDMETHODCALLTYPE GetValue(long* value) override {
    *value = kValue;
    return S_OK;
  }
};

// Registered first under the widget's class GUID and name: the later widget record must win.
class CGadget : public CValued<PluginApi::kWidgetValue + 1> {};
// Has a type library (index 0: the module's TYPELIB resource 1), so it provides class information.
class CWidget : public CValued<PluginApi::kWidgetValue> {
 public:
  unsigned int _GetTypeLibIndex() const override { return 0; }
};
// Also served by the plain test DLL: the plug-in registry must hand out this one.
class CShared : public CValued<0> {};

}  // namespace

ORV_CLASS_GUID(CShared, 0x2d7b91e5, 0x6a35, 0x4c8e, 0x9f, 0x01, 0x5b, 0x7c, 0x3e, 0x2a, 0x80, 0x14)
ORV_CLASS_GUID(CGadget, 0x5c1a7e2c, 0x3d4f, 0x4a6b, 0x8c, 0x9d, 0x0e, 0x1f, 0x2a, 0x3b, 0x4c, 0x5d)
ORV_CLASS_GUID(CWidget, 0x5c1a7e2c, 0x3d4f, 0x4a6b, 0x8c, 0x9d, 0x0e, 0x1f, 0x2a, 0x3b, 0x4c, 0x5d)

namespace {

using Orv::GetThisModule;
using namespace PluginApi;

Orv::StaticModuleClassInfo s_gadget(GetThisModule(), kWidgetClass, GUID_NULL, GUID_NULL, L"Widget",
                                    &Orv::CComObject<CGadget>::CreateInstance);
Orv::StaticModuleClassInfo s_widget(GetThisModule(), kWidgetClass, kWidgetCategory, __uuidof(IPluginWidget), L"Widget",
                                    &Orv::CComObject<CWidget>::CreateInstance);
Orv::StaticModuleCategoryInfo s_category(GetThisModule(), kWidgetCategory, L"Widgets",
                                         &Orv::CComObject<CWidget>::CreateInstance);
Orv::StaticModuleViewerInfo s_firstViewer(GetThisModule(), kWidgetClass, kFirstViewer);
Orv::StaticModuleViewerInfo s_viewer(GetThisModule(), kWidgetClass, kWidgetViewer);
Orv::StaticModuleObjectCreatorInfo s_creator(GetThisModule(), L"widget", kWidgetClass, kWidgetClass);
Orv::StaticModuleClassInfo s_shared(GetThisModule(), PlainApi::kSharedClass, GUID_NULL, GUID_NULL, L"Shared",
                                    &Orv::CComObject<CShared>::CreateInstance);

}  // namespace

extern "C" {

__declspec(dllexport) Orv::CModule& DllGetModule() {
  return GetThisModule();
}

// Counts its calls: the plug-in registry asks a plug-in built on the library through its module.
__declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  ::InterlockedIncrement(&g_getClassObjectCalls);
  return GetThisModule().GetClassObject(clsid, iid, ppv);
}

__declspec(dllexport) long __cdecl PluginGetClassObjectCalls() {
  return g_getClassObjectCalls;
}

}  // extern "C"
