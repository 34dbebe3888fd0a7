// Modules: one CModule per loaded binary (the library, the host, each plug-in built on the library).
//
// A module carries what its binary contributes to the component model: classes (GUID to creator
// function), categories, viewer classes and named object creators, its identity (GUID, name, internal
// name and path from its version resource), its type libraries, and an object count that keeps the
// binary loaded while objects of its classes live.
//
// Registration is static: file-scope Static* records link themselves to their module while the binary
// loads, and the module turns them into its tables once, at its start-up (FlushStaticRegistration).
// Every binary that creates objects or declares records names its module with ORV_DEFINE_MODULE.
//
// Threading: the module list and the per-module identity, type libraries and flush are guarded by
// locks that are taken only while the library runs (between start-up and shut-down). The tables
// themselves are filled at start-up and read afterwards; changing them while other threads read them
// is the caller's business.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "orvutil/com/object.h"
#include "orvutil/export.h"
#include "orvutil/foundation/set.h"
#include "orvutil/foundation/tstring.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/threads/locks.h"
#include "orvutil/threads/once.h"

namespace Orv {

struct IData;

struct SModuleClassInfo {
  GUID clsid;
  GUID category;
  GUID iid;
  tstring name;
  ComCreatorFunction creator;
};

struct SModuleCategoryInfo {
  GUID category;
  tstring name;
  ComCreatorFunction creator;
};

struct SModuleObjectCreatorInfo {
  tstring name;
  GUID creatorClass;
  GUID createdClass;
};

// Static records. The GUIDs they point at and the names must live as long as the module (they are
// normally static constants). Each record pushes itself at the head of its module's list.
struct ORV_API StaticModuleClassInfo {
  StaticModuleClassInfo(CModule& module, GUID const& clsid, GUID const& category, GUID const& iid, wchar_t const* name,
                        ComCreatorFunction creator);
  GUID const* clsid;
  GUID const* category;
  GUID const* iid;
  wchar_t const* name;
  ComCreatorFunction creator;
  StaticModuleClassInfo* next;
};

struct ORV_API StaticModuleCategoryInfo {
  StaticModuleCategoryInfo(CModule& module, GUID const& category, wchar_t const* name, ComCreatorFunction creator);
  GUID const* category;
  wchar_t const* name;
  ComCreatorFunction creator;
  StaticModuleCategoryInfo* next;
};

struct ORV_API StaticModuleViewerInfo {
  StaticModuleViewerInfo(CModule& module, GUID const& clsid, GUID const& viewer);
  GUID const* clsid;
  GUID const* viewer;
  StaticModuleViewerInfo* next;
};

struct ORV_API StaticModuleObjectCreatorInfo {
  StaticModuleObjectCreatorInfo(CModule& module, wchar_t const* name, GUID const& creatorClass,
                                GUID const& createdClass);
  wchar_t const* name;
  GUID const* creatorClass;
  GUID const* createdClass;
  StaticModuleObjectCreatorInfo* next;
};

class ORV_API CModule {
 public:
  static constexpr unsigned kTypeLibCount = 4;

  CModule();
  virtual ~CModule();
  CModule(const CModule&) = delete;
  CModule& operator=(const CModule&) = delete;

  // The object count: objects of the module's classes, queued work and factory locks.
  long AddRef() { return ::InterlockedIncrement(&m_objectCount); }
  long Release() { return ::InterlockedDecrement(&m_objectCount); }
  long GetObjectCount() const { return m_objectCount; }

  virtual bool CanUnload() { return m_objectCount == 0; }
  virtual bool RegisterServer() { return false; }
  virtual bool UnregisterServer() { return false; }
  // A class factory for a registered class; CLASS_E_CLASSNOTAVAILABLE when the class is unknown or
  // has no creator.
  virtual HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv);
  // Hooks for a binary's own module class, run by InternalAtStartup and InternalAtShutdown.
  virtual void AtStartup() {}
  virtual void AtShutdown() {}

  // Identity.
  GUID const& GetID();
  tstring const& GetName();
  tstring const& GetInternalName();
  tstring const& GetPath();
  HINSTANCE GetInstance() const { return m_instance; }
  void SetInstance(HINSTANCE instance) { m_instance = instance; }
  // Type library `index` (0-3) of the module file, loaded once; null when missing or failed.
  ITypeLib* GetTypeLib(unsigned index);
  // Creates the single-instance mutex "<module file name>.mutex"; true when another process holds it.
  bool CheckForAnotherInstance();
  // Build facts of the module's binary, read from its version resource and image header.
  bool IsDebugBuild() const;
  unsigned GetBuildBits() const;
  wchar_t const* GetBuildArch() const;
  tstring LoadStringW(unsigned id) const;
  tstring LoadStringFormat(unsigned id, ...) const;
  // A data block over resource `id` of `type` in the module's binary; false when it is missing or
  // empty.
  bool GetResourceFileData(unsigned id, wchar_t const* type, IData** out);

  // Class table.
  bool SetClassInfo(GUID const& clsid, GUID const& category, GUID const& iid, tstring const& name,
                    ComCreatorFunction creator);
  SModuleClassInfo const* GetClassInfoW(GUID const& clsid) const;
  SModuleClassInfo const* GetClassInfoW(wchar_t const* name) const;
  void GetClasses(tVectorPOD<GUID>& classes) const;
  GUID GetClassForInterface(GUID const& iid) const;

  // Categories, viewers and object creators.
  bool SetCategoryInfo(GUID const& category, tstring const& name, ComCreatorFunction creator);
  SModuleCategoryInfo const* GetCategoryInfo(GUID const& category) const;
  void GetCategories(tVectorPOD<GUID>& categories) const;
  bool SetViewerClass(GUID const& clsid, GUID const& viewer);
  GUID GetViewerClass(GUID const& clsid) const;
  bool SetObjectCreator(wchar_t const* name, GUID const& creatorClass, GUID const& createdClass);
  SModuleObjectCreatorInfo const* GetObjectCreatorInfo(wchar_t const* name) const;

  // Static registration.
  void RegisterStaticClassInfo(StaticModuleClassInfo* record);
  void RegisterStaticCategoryInfo(StaticModuleCategoryInfo* record);
  void RegisterStaticViewerInfo(StaticModuleViewerInfo* record);
  void RegisterStaticObjectCreatorInfo(StaticModuleObjectCreatorInfo* record);
  void FlushStaticRegistration();

  // Once: marks the module started, applies its static records and runs AtStartup.
  void InternalAtStartup();
  // Runs AtShutdown once, then drops type libraries, tables and cached strings.
  void InternalAtShutdown();
  bool IsStarted() const { return m_started; }

 private:
  struct STables;

  STables& Tables();
  void DropTables();

  volatile LONG m_objectCount = 0;
  CCriticalSection m_lock;
  HANDLE m_instanceMutex = nullptr;
  GUID m_id = GUID_NULL;
  tstring m_name;
  tstring m_internalName;
  tstring m_path;
  HINSTANCE m_instance = nullptr;
  ITypeLib* m_typeLibs[kTypeLibCount] = {};
  COnceFlag m_typeLibTried[kTypeLibCount];
  COnceFlag m_idRead;
  bool m_started = false;
  bool m_shutDown = false;
  COnceFlag m_flushed;
  STables* m_tables = nullptr;
  StaticModuleClassInfo* m_staticClasses = nullptr;
  StaticModuleCategoryInfo* m_staticCategories = nullptr;
  StaticModuleViewerInfo* m_staticViewers = nullptr;
  StaticModuleObjectCreatorInfo* m_staticObjectCreators = nullptr;
};

// The instance handle of orvutil.dll, stored when the DLL is attached to the process.
ORV_API HINSTANCE GetOrvutilInstance();

// The library's own module, created on first use (also exported as the DLL entry DllGetModule).
ORV_API CModule& GetOrvutilModule();

// The module of the binary being compiled. Not exported: each binary that creates CComObjects or
// declares static records defines it once, with ORV_DEFINE_MODULE.
CModule& GetThisModule();

// Module lookups, all over the process-wide list of modules in order of construction.
ORV_API unsigned GetModuleCount();
ORV_API CModule* GetModuleByIndex(unsigned index);
// The executable's module, else the first module, else null.
ORV_API CModule* GetMainModule();
ORV_API CModule* GetModuleByName(wchar_t const* name);
ORV_API CModule* GetModuleByPath(wchar_t const* path);
// A null instance means the executable.
ORV_API CModule* GetModuleByInstance(HINSTANCE instance);
ORV_API CModule* GetModuleByID(GUID const& id);
ORV_API GUID GetModuleClassForInterface(GUID const& iid);
// Creates, through the first module with a creator for `category`, an object of that category.
ORV_API bool GetModuleUnkOuterForCategory(GUID const& category, IUnknown** out);

// Identity read from a binary's version resource: "\StringFileInfo\<lang><cp>\GUID" and
// "...\InternalName" of the first translation that has them. GUID_NULL / empty when missing.
ORV_API GUID GetModuleID(HINSTANCE instance);
ORV_API GUID GetModuleID(wchar_t const* path);
ORV_API tstring GetModuleInternalName(HINSTANCE instance);

}  // namespace Orv

extern "C" IMAGE_DOS_HEADER __ImageBase;

// Defines GetThisModule() for the binary being compiled: a module of class `ModuleClass` (CModule or
// a class derived from it), created on first use with the binary's own instance handle.
#define ORV_DEFINE_MODULE(ModuleClass)                                          \
  Orv::CModule& Orv::GetThisModule() {                                          \
    static ModuleClass s_module;                                                \
    if (!s_module.GetInstance()) s_module.SetInstance((HINSTANCE)&__ImageBase); \
    return s_module;                                                            \
  }

// The entry points of a plug-in DLL built on the library, each answered by the plug-in's module:
// DllGetModule, DllGetClassObject and DllCanUnloadNow. Written once at file scope.
#define ORV_PLUGIN_ENTRY_POINTS()                                                                        \
  extern "C" __declspec(dllexport) Orv::CModule& DllGetModule() { return Orv::GetThisModule(); }        \
  extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, \
                                                                            void** ppv) {               \
    return Orv::GetThisModule().GetClassObject(clsid, iid, ppv);                                         \
  }                                                                                                      \
  extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {                           \
    return Orv::GetThisModule().CanUnload() ? S_OK : S_FALSE;                                            \
  }
