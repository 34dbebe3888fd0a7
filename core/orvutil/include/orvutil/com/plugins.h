// Plug-in modules: DLLs loaded by path, asked for class objects, and unloaded when idle.
//
// The registry (one per library, reached through GetComModules) keeps the loaded plug-ins in load
// order and a list of search directories for relative names. Class lookups ask every module of the
// module list first and then the plug-ins; a plug-in built on this library (it exports
// "DllGetModule") is answered through its module and never asked directly. A sweep runs every 60
// seconds while plug-ins are loaded: a plug-in whose DLL agrees to unload is marked idle, and one that
// is still idle at the next sweep, and still agrees, is unloaded. Supplying a class object clears the
// mark.
//
// Threading: every operation runs under the global plug-in lock and may be called from any thread.
// The sweep timer is a thread timer: it belongs to the thread whose LoadModule started it (normally
// the main thread) and fires while that thread pumps messages.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "orvutil/com/object.h"
#include "orvutil/export.h"
#include "orvutil/foundation/tstring.h"
#include "orvutil/foundation/vector.h"

namespace Orv {

namespace Detail {
class CPlugIn;
}  // namespace Detail

// The plug-in registry's interface. Apart from IUnknown, its operations use the ordinary C++ calling
// convention: they are called on the registry object itself, not through COM marshalling.
struct IComModules : public IUnknown {
  // Adds an existing directory (kept canonical) to the search list; false for a null, empty or
  // missing directory and for one that is already listed.
  virtual bool AddSearchPath(wchar_t const* dir) = 0;
  // Loads a plug-in: an absolute path ("C:\..." or "C:/...") names the file itself, any other path
  // is tried after each search directory in turn. A plug-in that is already loaded from the same file
  // is not loaded again. The DLL's handle, or null when nothing was found or it failed to load.
  virtual HMODULE LoadModule(wchar_t const* path) = 0;
  // Forgets the plug-in and frees its DLL when the DLL agrees; false for a handle that is not a
  // loaded plug-in.
  virtual bool UnloadModule(HMODULE module) = 0;
  // A class object from the modules, else from the plug-ins. E_INVALIDARG for a GUID_NULL class or
  // interface or a null ppv; CLASS_E_CLASSNOTAVAILABLE when nobody knows the class.
  virtual HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) = 0;
  // Looks up a loaded plug-in by path, resolved as LoadModule does but without touching the file
  // system or loading anything. True with its handle in *module; false (and null) when none.
  virtual bool FindModule(wchar_t const* path, HMODULE* module) = 0;
  // Creates an object through the class object's IClassFactory.
  virtual HRESULT CreateInstance(IUnknown* outer, REFCLSID clsid, REFIID iid, void** ppv) = 0;
  // Runs one unload sweep now (the timer runs the same step); returns how many plug-ins remain.
  virtual unsigned SweepIdleModules() = 0;
};

// The registry's implementation. It is finished into an object by the library (CreateComModules,
// GetComModules), not by CComObject<T>, whose creator function has the signature of CreateInstance.
class ORV_API CComModules : public CComBase, public IComModules {
 public:
  ORV_INTERFACES(IComModules)

  CComModules() = default;
  ~CComModules() override;
  CComModules(const CComModules&) = delete;
  CComModules& operator=(const CComModules&) = delete;

  bool AddSearchPath(wchar_t const* dir) override;
  HMODULE LoadModule(wchar_t const* path) override;
  bool UnloadModule(HMODULE module) override;
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) override;
  bool FindModule(wchar_t const* path, HMODULE* module) override;
  HRESULT CreateInstance(IUnknown* outer, REFCLSID clsid, REFIID iid, void** ppv) override;
  unsigned SweepIdleModules() override;

 private:
  // The file a LoadModule path names: absolute as given, or the first search-directory combination
  // that exists. Empty when none.
  tstring ResolveExistingFile(wchar_t const* path) const;
  Detail::CPlugIn* FindByPath(wchar_t const* path) const;
  Detail::CPlugIn* FindByHandle(HMODULE module) const;
  void Append(Detail::CPlugIn* plugIn);
  void Unlink(Detail::CPlugIn* plugIn);
  // Whether the sweep may collect `plugIn` now: held by nobody, idle since the last sweep and its DLL
  // still agrees. Otherwise marks it idle (when its DLL agrees) or clears the mark.
  bool CollectAtSweep(Detail::CPlugIn* plugIn);
  void StartSweepTimer();
  void StopSweepTimer();

  Detail::CPlugIn* m_head = nullptr;
  Detail::CPlugIn* m_tail = nullptr;
  unsigned m_count = 0;
  tObjVector<tstring> m_searchDirs;
  UINT_PTR m_sweepTimer = 0;  // 0 while no sweep timer runs
};

// The library's plug-in registry, created on first call; it lives until the process ends. The
// pointer carries no reference of its own.
ORV_API IComModules* GetComModules();
// A registry of the caller's own, apart from the library's (for hosts that keep groups of plug-ins
// separate, and for tests); one reference through *out. Destroying it unloads its plug-ins as
// UnloadModule does. False for a null out.
ORV_API bool CreateComModules(IComModules** out);

}  // namespace Orv

ORV_CLASS_GUID(Orv::IComModules, 0x8e4c2a61, 0x7b3d, 0x4f19, 0xa2, 0x5e, 0x3c, 0x90, 0x1d, 0x6f, 0x48, 0xb7)
ORV_CLASS_GUID(Orv::CComModules, 0x8e4c2a62, 0x7b3d, 0x4f19, 0xa2, 0x5e, 0x3c, 0x90, 0x1d, 0x6f, 0x48, 0xb7)
