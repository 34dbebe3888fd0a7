// What the component-model tests know of their test plug-in, orv_test_plugin.dll.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "orvutil/com.h"

namespace PluginApi {

struct IPluginWidget : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetValue(long* value) = 0;
};

// Module identity (its version resource) and the plug-in's registrations.
constexpr wchar_t kModuleGuidText[] = L"{5C1A7E2B-3D4F-4A6B-8C9D-0E1F2A3B4C5D}";
constexpr GUID kWidgetClass = {0x5c1a7e2c, 0x3d4f, 0x4a6b, {0x8c, 0x9d, 0x0e, 0x1f, 0x2a, 0x3b, 0x4c, 0x5d}};
constexpr GUID kWidgetCategory = {0x5c1a7e2e, 0x3d4f, 0x4a6b, {0x8c, 0x9d, 0x0e, 0x1f, 0x2a, 0x3b, 0x4c, 0x5d}};
constexpr GUID kWidgetViewer = {0x5c1a7e2f, 0x3d4f, 0x4a6b, {0x8c, 0x9d, 0x0e, 0x1f, 0x2a, 0x3b, 0x4c, 0x5d}};
constexpr GUID kFirstViewer = {0x5c1a7e30, 0x3d4f, 0x4a6b, {0x8c, 0x9d, 0x0e, 0x1f, 0x2a, 0x3b, 0x4c, 0x5d}};
// Widgets answer GetValue with this; a gadget (registered under the same name and class GUID
// earlier, so it loses to the widget) would answer another value.
constexpr long kWidgetValue = 42;
// An exported function of `module` as a function pointer of type F (null when missing).
template <typename F>
F GetProc(HMODULE module, char const* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace PluginApi

ORV_CLASS_GUID(PluginApi::IPluginWidget, 0x5c1a7e31, 0x3d4f, 0x4a6b, 0x8c, 0x9d, 0x0e, 0x1f, 0x2a, 0x3b, 0x4c, 0x5d)
