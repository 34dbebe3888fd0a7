// One loaded plug-in DLL of the plug-in registry: its handle, canonical path, the entry points the
// registry calls, and its place in the registry's list.
//
// Threading: records belong to their registry and are used only under the global plug-in lock.
#pragma once

#include <windows.h>

#include "orvutil/foundation/tstring.h"

namespace Orv {

class CModule;

namespace Detail {

class CPlugIn {
 public:
  CPlugIn() = default;
  // Frees the DLL when it agrees to unload; otherwise it stays mapped.
  ~CPlugIn();
  CPlugIn(const CPlugIn&) = delete;
  CPlugIn& operator=(const CPlugIn&) = delete;

  // Loads the DLL at `path` (absolute and canonical) and looks up its entry points. False when the
  // file is missing or does not load.
  bool Load(wchar_t const* path);

  // True when the DLL has no unload query or answers S_OK to each of them.
  bool AgreesToUnload() const;
  // The DLL's module when it is built on the library ("DllGetModule" gives one), else null.
  CModule* GetLibraryModule() const;
  // Asks "MetroDllGetClassObject", then "DllGetClassObject" when that is missing or failed; a success
  // clears the idle mark. CLASS_E_CLASSNOTAVAILABLE when the DLL has neither.
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv);

  HMODULE Handle() const { return m_module; }
  tstring const& Path() const { return m_path; }

  // A held plug-in is never unloaded by the sweep. Nothing holds plug-ins yet: the count stays 0.
  long holdCount = 0;
  // Set by a sweep that found the plug-in unused and willing to unload.
  long idle = 0;
  CPlugIn* next = nullptr;
  CPlugIn* prev = nullptr;

 private:
  typedef HRESULT(STDAPICALLTYPE* GetClassObjectFunction)(REFCLSID, REFIID, void**);
  typedef HRESULT(STDAPICALLTYPE* CanUnloadNowFunction)();
  // "DllGetModule" returns the module by reference, which is passed as a pointer.
  typedef CModule*(__cdecl* GetModuleFunction)();

  HMODULE m_module = nullptr;
  tstring m_path;
  GetClassObjectFunction m_getClassObject = nullptr;
  GetClassObjectFunction m_metroGetClassObject = nullptr;
  CanUnloadNowFunction m_canUnloadNow = nullptr;
  CanUnloadNowFunction m_metroCanUnloadNow = nullptr;
  GetModuleFunction m_getModule = nullptr;
};

}  // namespace Detail
}  // namespace Orv
