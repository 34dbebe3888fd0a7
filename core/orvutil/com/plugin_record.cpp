// Plug-in records: loading a DLL, its entry points and its unload queries.
#include "plugin_record.h"

#include "orvutil/system/filesystem.h"

namespace Orv {
namespace Detail {

namespace {

// GetProcAddress gives a generic function pointer; going through void (*)() keeps the conversion to
// the entry point's real type free of cast-function-type warnings.
template <typename Function>
Function GetEntryPoint(HMODULE module, char const* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace

CPlugIn::~CPlugIn() {
  if (m_module && AgreesToUnload()) ::FreeLibrary(m_module);
}

bool CPlugIn::Load(wchar_t const* path) {
  if (!FileExists(path)) return false;
  m_path = path;
  m_module = ::LoadLibraryW(m_path.c_str());
  if (!m_module) return false;
  m_getClassObject = GetEntryPoint<GetClassObjectFunction>(m_module, "DllGetClassObject");
  m_metroGetClassObject = GetEntryPoint<GetClassObjectFunction>(m_module, "MetroDllGetClassObject");
  m_canUnloadNow = GetEntryPoint<CanUnloadNowFunction>(m_module, "DllCanUnloadNow");
  m_metroCanUnloadNow = GetEntryPoint<CanUnloadNowFunction>(m_module, "MetroDllCanUnloadNow");
  m_getModule = GetEntryPoint<GetModuleFunction>(m_module, "DllGetModule");
  return true;
}

bool CPlugIn::AgreesToUnload() const {
  if (m_metroCanUnloadNow && m_metroCanUnloadNow() != S_OK) return false;
  return !m_canUnloadNow || m_canUnloadNow() == S_OK;
}

CModule* CPlugIn::GetLibraryModule() const {
  return m_getModule ? m_getModule() : nullptr;
}

HRESULT CPlugIn::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  HRESULT hr = CLASS_E_CLASSNOTAVAILABLE;
  if (m_metroGetClassObject) hr = m_metroGetClassObject(clsid, iid, ppv);
  if ((!m_metroGetClassObject || FAILED(hr)) && m_getClassObject) hr = m_getClassObject(clsid, iid, ppv);
  if (SUCCEEDED(hr)) idle = 0;
  return hr;
}

}  // namespace Detail
}  // namespace Orv
