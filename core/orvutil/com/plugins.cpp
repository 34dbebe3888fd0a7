// The plug-in registry: search directories, loading and unloading plug-ins, class lookups over
// modules and plug-ins, and the idle sweep.
#include "orvutil/com/plugins.h"

#include "../detail/never_destroyed.h"
#include "orvutil/com.h"
#include "orvutil/foundation/paths.h"
#include "orvutil/system/filesystem.h"
#include "plugin_record.h"

namespace Orv {

using Detail::CPlugIn;

namespace {

// The ID passed to SetTimer, and the sweep period.
constexpr UINT_PTR kSweepTimerId = 0x4F52;
constexpr UINT kSweepPeriodMs = 60000;

// Registries whose sweep timer runs, so that the timer procedure finds the one its timer belongs to.
// Never destroyed: a timer may fire while static objects are being destroyed.
struct STimedRegistry {
  UINT_PTR timer;
  CComModules* registry;
};
tVectorPOD<STimedRegistry>& TimedRegistries() {
  static Detail::tNeverDestroyed<tVectorPOD<STimedRegistry>> s_registries;
  return s_registries.Get();
}

bool IsNull(GUID const& guid) {
  return ::IsEqualGUID(guid, GUID_NULL) != 0;
}

// "X:" followed by the end or a separator.
bool IsAbsolute(wchar_t const* path) {
  wchar_t letter = path[0];
  bool isLetter = (letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z');
  return isLetter && path[1] == L':' && (path[2] == 0 || path[2] == L'\\' || path[2] == L'/');
}

// The absolute (against the current directory), canonical form of a path; empty on failure. Plug-in
// paths are kept absolute so that LoadLibraryW loads the file that was found, not one from its own
// search order, and so that one file has one spelling in the registry.
tstring FullCanonicalPath(wchar_t const* path) {
  if (!*path) return tstring();
  tVectorPOD<wchar_t, MAX_PATH> buffer;
  buffer.Resize(MAX_PATH);
  for (;;) {
    DWORD length = ::GetFullPathNameW(path, buffer.Count(), buffer.Data(), nullptr);
    if (length == 0) return tstring();
    if (length < buffer.Count()) return CanonicalizePath(tstring(buffer.Data(), length).c_str());
    buffer.Resize(length);
  }
}

void CALLBACK SweepTimerProc(HWND, UINT, UINT_PTR timer, DWORD);

}  // namespace

CComModules::~CComModules() {
  CScopeCriticalSection guard(eGlobalCSPlugIns);
  StopSweepTimer();
  while (m_head) {
    CPlugIn* plugIn = m_head;
    Unlink(plugIn);
    delete plugIn;
  }
}

bool CComModules::AddSearchPath(wchar_t const* dir) {
  if (!dir || !*dir) return false;
  tstring canonical = FullCanonicalPath(dir);
  if (canonical.empty() || !DirectoryExists(canonical.c_str())) return false;
  CScopeCriticalSection guard(eGlobalCSPlugIns);
  for (tstring const& known : m_searchDirs) {
    if (PathsEqual(known.c_str(), canonical.c_str())) return false;
  }
  m_searchDirs.PushBack(canonical);
  return true;
}

tstring CComModules::ResolveExistingFile(wchar_t const* path) const {
  if (IsAbsolute(path)) return FileExists(path) ? tstring(path) : tstring();
  for (tstring const& dir : m_searchDirs) {
    tstring candidate = dir;
    AppendPathTail(candidate, path);
    if (FileExists(candidate.c_str())) return candidate;
  }
  return tstring();
}

HMODULE CComModules::LoadModule(wchar_t const* path) {
  if (!path || !*path) return nullptr;
  CScopeCriticalSection guard(eGlobalCSPlugIns);
  tstring file = FullCanonicalPath(ResolveExistingFile(path).c_str());
  if (file.empty()) return nullptr;
  if (CPlugIn* loaded = FindByPath(file.c_str())) return loaded->Handle();

  CPlugIn* plugIn = new CPlugIn;
  Append(plugIn);
  if (!plugIn->Load(file.c_str())) {
    Unlink(plugIn);
    delete plugIn;
    return nullptr;
  }
  // Modules that exist when the library starts are started by it; later ones start here.
  if (CModule* module = plugIn->GetLibraryModule()) {
    if (DidStartup()) module->InternalAtStartup();
  }
  StartSweepTimer();
  return plugIn->Handle();
}

bool CComModules::UnloadModule(HMODULE module) {
  if (!module) return false;
  CScopeCriticalSection guard(eGlobalCSPlugIns);
  CPlugIn* plugIn = FindByHandle(module);
  if (!plugIn) return false;
  Unlink(plugIn);
  delete plugIn;
  return true;
}

HRESULT CComModules::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  if (IsNull(clsid) || IsNull(iid) || !ppv) return E_INVALIDARG;
  *ppv = nullptr;
  CScopeCriticalSection guard(eGlobalCSPlugIns);
  for (unsigned i = 0; CModule* module = GetModuleByIndex(i); ++i) {
    HRESULT hr = module->GetClassObject(clsid, iid, ppv);
    if (hr != CLASS_E_CLASSNOTAVAILABLE) return hr;
  }
  for (CPlugIn* plugIn = m_head; plugIn; plugIn = plugIn->next) {
    if (plugIn->GetLibraryModule()) continue;  // already asked as a module
    HRESULT hr = plugIn->GetClassObject(clsid, iid, ppv);
    if (hr != CLASS_E_CLASSNOTAVAILABLE) return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

bool CComModules::FindModule(wchar_t const* path, HMODULE* module) {
  if (!module) return false;
  *module = nullptr;
  if (!path || !*path) return false;
  CScopeCriticalSection guard(eGlobalCSPlugIns);
  CPlugIn* found = nullptr;
  if (IsAbsolute(path)) {
    found = FindByPath(path);
  } else {
    for (unsigned i = 0; !found && i < m_searchDirs.Count(); ++i) {
      tstring candidate = m_searchDirs[i];
      found = FindByPath(AppendPathTail(candidate, path).c_str());
    }
  }
  if (found) *module = found->Handle();
  return found != nullptr;
}

HRESULT CComModules::CreateInstance(IUnknown* outer, REFCLSID clsid, REFIID iid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  *ppv = nullptr;
  if (IsNull(iid)) return E_INVALIDARG;
  IClassFactory* factory = nullptr;
  HRESULT hr = GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(outer, iid, ppv);
  factory->Release();
  return hr;
}

bool CComModules::CollectAtSweep(CPlugIn* plugIn) {
  if (plugIn->holdCount >= 1 || !plugIn->idle) {
    if (plugIn->AgreesToUnload()) plugIn->idle = 1;
    return false;
  }
  // Idle since the last sweep. Asked again: a DLL that has objects alive again keeps its record, so
  // that the registry never forgets a DLL that stays mapped.
  if (plugIn->AgreesToUnload()) return true;
  plugIn->idle = 0;
  return false;
}

unsigned CComModules::SweepIdleModules() {
  CScopeCriticalSection guard(eGlobalCSPlugIns);
  tVectorPOD<HMODULE, 8> collected;
  for (CPlugIn* plugIn = m_head; plugIn; plugIn = plugIn->next) {
    if (CollectAtSweep(plugIn)) collected.PushBack(plugIn->Handle());
  }
  for (HMODULE module : collected) UnloadModule(module);
  if (!m_head) StopSweepTimer();
  return m_count;
}

CPlugIn* CComModules::FindByPath(wchar_t const* path) const {
  for (CPlugIn* plugIn = m_head; plugIn; plugIn = plugIn->next) {
    if (PathsEqual(plugIn->Path().c_str(), path)) return plugIn;
  }
  return nullptr;
}

CPlugIn* CComModules::FindByHandle(HMODULE module) const {
  for (CPlugIn* plugIn = m_head; plugIn; plugIn = plugIn->next) {
    if (plugIn->Handle() == module) return plugIn;
  }
  return nullptr;
}

void CComModules::Append(CPlugIn* plugIn) {
  plugIn->prev = m_tail;
  plugIn->next = nullptr;
  if (m_tail) {
    m_tail->next = plugIn;
  } else {
    m_head = plugIn;
  }
  m_tail = plugIn;
  ++m_count;
}

void CComModules::Unlink(CPlugIn* plugIn) {
  if (plugIn->prev) {
    plugIn->prev->next = plugIn->next;
  } else {
    m_head = plugIn->next;
  }
  if (plugIn->next) {
    plugIn->next->prev = plugIn->prev;
  } else {
    m_tail = plugIn->prev;
  }
  plugIn->next = plugIn->prev = nullptr;
  --m_count;
}

void CComModules::StartSweepTimer() {
  if (m_sweepTimer) return;
  m_sweepTimer = ::SetTimer(nullptr, kSweepTimerId, kSweepPeriodMs, &SweepTimerProc);
  if (m_sweepTimer) TimedRegistries().PushBack({m_sweepTimer, this});
}

void CComModules::StopSweepTimer() {
  if (!m_sweepTimer) return;
  ::KillTimer(nullptr, m_sweepTimer);
  m_sweepTimer = 0;
  tVectorPOD<STimedRegistry>& registries = TimedRegistries();
  for (unsigned i = 0; i < registries.Count(); ++i) {
    if (registries[i].registry == this) {
      registries.Erase(i, 1);
      break;
    }
  }
}

namespace {

void CALLBACK SweepTimerProc(HWND, UINT, UINT_PTR timer, DWORD) {
  CScopeCriticalSection guard(eGlobalCSPlugIns);
  CComModules* owner = nullptr;
  for (STimedRegistry const& timed : TimedRegistries()) {
    if (timed.timer == timer) owner = timed.registry;
  }
  // The sweep may stop the timer, which changes the list: it runs after the walk.
  if (owner) owner->SweepIdleModules();
}

}  // namespace

}  // namespace Orv
