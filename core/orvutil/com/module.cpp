// CModule: identity, type libraries, the single-instance mutex, build facts and the tables.
#include <stdarg.h>

#include "module_list.h"
#include "orvutil/com/module.h"
#include "orvutil/com/startup.h"
#include "orvutil/foundation/paths.h"
#include "orvutil/foundation/strings.h"
#include "version_info.h"

namespace Orv {

struct CModule::STables {
  tMap<GUID, SModuleClassInfo> classes;
  tMap<GUID, GUID> interfaces;
  tMap<GUID, SModuleCategoryInfo> categories;
  tMap<GUID, GUID> viewers;
  tMap<tstring, SModuleObjectCreatorInfo> objectCreators;
};

namespace {

bool IsNull(GUID const& guid) {
  return ::IsEqualGUID(guid, GUID_NULL) != 0;
}

IMAGE_NT_HEADERS const* ImageHeaders(HINSTANCE instance) {
  if (!instance) return nullptr;
  auto const* dos = reinterpret_cast<IMAGE_DOS_HEADER const*>(instance);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  auto const* nt = reinterpret_cast<IMAGE_NT_HEADERS const*>(reinterpret_cast<BYTE const*>(instance) + dos->e_lfanew);
  return nt->Signature == IMAGE_NT_SIGNATURE ? nt : nullptr;
}

}  // namespace

CModule::CModule() {
  Detail::AddModuleToList(this);
}

CModule::~CModule() {
  if (m_instanceMutex) {
    ::ReleaseMutex(m_instanceMutex);
    ::CloseHandle(m_instanceMutex);
  }
  InternalAtShutdown();
  if (!DidShutdown()) Detail::RemoveModuleFromList(this);
}

// Identity.

GUID const& CModule::GetID() {
  if (!m_instance) return m_id;
  m_idRead.Run(m_lock, [this] {
    m_id = GetModuleID(m_instance);
    return true;
  });
  return m_id;
}

// The cached strings are filled once under the module lock, so concurrent first calls agree.
tstring const& CModule::GetPath() {
  CScopeCriticalSection guard(m_lock);
  if (m_path.empty() && m_instance) m_path = GetModulePath(m_instance);
  return m_path;
}

tstring const& CModule::GetName() {
  CScopeCriticalSection guard(m_lock);
  if (m_name.empty()) m_name = GetPathTail(GetPath().c_str());
  return m_name;
}

tstring const& CModule::GetInternalName() {
  CScopeCriticalSection guard(m_lock);
  if (m_internalName.empty()) {
    m_internalName = GetModuleInternalName(m_instance);
    if (m_internalName.empty()) m_internalName = GetName();
  }
  return m_internalName;
}

ITypeLib* CModule::GetTypeLib(unsigned index) {
  if (index >= kTypeLibCount) return nullptr;
  if (!m_instance) return m_typeLibs[index];
  // The library is stored before the flag is set: a thread that finds the flag set sees it.
  m_typeLibTried[index].Run(m_lock, [this, index] {
    tstring path = tstring::format_new(L"%s\\%u", GetPath().c_str(), index + 1);
    ITypeLib* typeLib = nullptr;
    if (SUCCEEDED(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, &typeLib))) m_typeLibs[index] = typeLib;
    return true;
  });
  return m_typeLibs[index];
}

bool CModule::CheckForAnotherInstance() {
  if (!m_instance || m_instanceMutex) return false;
  tstring name = GetName() + L".mutex";
  HANDLE mutex = ::CreateMutexW(nullptr, TRUE, name.c_str());
  if (!mutex) return false;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(mutex);
    return true;
  }
  m_instanceMutex = mutex;
  return false;
}

bool CModule::IsDebugBuild() const {
  Detail::VersionBlock block;
  Detail::ReadVersionInfo(m_instance, block);
  VS_FIXEDFILEINFO const* info = Detail::QueryFixedFileInfo(block);
  return info && (info->dwFileFlags & info->dwFileFlagsMask & VS_FF_DEBUG) != 0;
}

unsigned CModule::GetBuildBits() const {
  IMAGE_NT_HEADERS const* headers = ImageHeaders(m_instance);
  if (!headers) return 0;
  return headers->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? 64 : 32;
}

wchar_t const* CModule::GetBuildArch() const {
  IMAGE_NT_HEADERS const* headers = ImageHeaders(m_instance);
  if (!headers) return L"";
  switch (headers->FileHeader.Machine) {
    case IMAGE_FILE_MACHINE_I386:
      return L"x86";
    case IMAGE_FILE_MACHINE_AMD64:
      return L"x64";
    case 0xAA64:  // IMAGE_FILE_MACHINE_ARM64
      return L"arm64";
    default:
      return L"";
  }
}

tstring CModule::LoadStringW(unsigned id) const {
  return Orv::LoadStringW(m_instance, id);
}

tstring CModule::LoadStringFormat(unsigned id, ...) const {
  tstring format = LoadStringW(id);
  if (format.empty()) return tstring();
  va_list args;
  va_start(args, id);
  tstring text = tstring::format_new_v(format.c_str(), args);
  va_end(args);
  return text;
}

// Tables.

CModule::STables& CModule::Tables() {
  if (!m_tables) m_tables = new STables;
  return *m_tables;
}

bool CModule::SetClassInfo(GUID const& clsid, GUID const& category, GUID const& iid, tstring const& name,
                           ComCreatorFunction creator) {
  if (IsNull(clsid)) return false;
  STables& tables = Tables();
  if (!creator) {
    // Without a creator the class is taken out of the tables; true when it was there.
    bool removed = tables.classes.RemoveKey(clsid);
    if (!IsNull(iid)) tables.interfaces.RemoveKey(iid);
    return removed;
  }
  if (tables.classes.Find(clsid) || (!IsNull(iid) && tables.interfaces.Find(iid))) return false;
  if (!tables.classes.Insert(clsid, SModuleClassInfo{clsid, category, iid, name, creator})) return false;
  if (!IsNull(iid)) tables.interfaces.Insert(iid, clsid);
  return true;
}

SModuleClassInfo const* CModule::GetClassInfoW(GUID const& clsid) const {
  return m_tables ? m_tables->classes.FindValue(clsid) : nullptr;
}

SModuleClassInfo const* CModule::GetClassInfoW(wchar_t const* name) const {
  if (!m_tables || !name) return nullptr;
  for (auto const& item : m_tables->classes) {
    if (item.Value().name == name) return &item.Value();
  }
  return nullptr;
}

void CModule::GetClasses(tVectorPOD<GUID>& classes) const {
  if (!m_tables) return;
  for (auto const& item : m_tables->classes) classes.PushBack(item.Key());
}

GUID CModule::GetClassForInterface(GUID const& iid) const {
  GUID const* clsid = m_tables ? m_tables->interfaces.FindValue(iid) : nullptr;
  return clsid ? *clsid : GUID_NULL;
}

bool CModule::SetCategoryInfo(GUID const& category, tstring const& name, ComCreatorFunction creator) {
  if (IsNull(category)) return false;
  STables& tables = Tables();
  if (tables.categories.Find(category)) return false;
  return tables.categories.Insert(category, SModuleCategoryInfo{category, name, creator}) != nullptr;
}

SModuleCategoryInfo const* CModule::GetCategoryInfo(GUID const& category) const {
  return m_tables ? m_tables->categories.FindValue(category) : nullptr;
}

void CModule::GetCategories(tVectorPOD<GUID>& categories) const {
  if (!m_tables) return;
  for (auto const& item : m_tables->categories) categories.PushBack(item.Key());
}

bool CModule::SetViewerClass(GUID const& clsid, GUID const& viewer) {
  if (IsNull(clsid)) return false;
  STables& tables = Tables();
  if (IsNull(viewer)) return tables.viewers.RemoveKey(clsid);
  if (tables.viewers.Find(clsid)) return false;
  return tables.viewers.Insert(clsid, viewer) != nullptr;
}

GUID CModule::GetViewerClass(GUID const& clsid) const {
  GUID const* viewer = m_tables ? m_tables->viewers.FindValue(clsid) : nullptr;
  return viewer ? *viewer : GUID_NULL;
}

bool CModule::SetObjectCreator(wchar_t const* name, GUID const& creatorClass, GUID const& createdClass) {
  if (!name || !*name) return false;
  STables& tables = Tables();
  tstring key(name);
  if (tables.objectCreators.Find(key)) return false;
  return tables.objectCreators.Insert(key, SModuleObjectCreatorInfo{key, creatorClass, createdClass}) != nullptr;
}

SModuleObjectCreatorInfo const* CModule::GetObjectCreatorInfo(wchar_t const* name) const {
  if (!m_tables || !name) return nullptr;
  return m_tables->objectCreators.FindValue(tstring(name));
}

void CModule::DropTables() {
  delete m_tables;
  m_tables = nullptr;
}

// Start-up and shut-down of the module.

void CModule::InternalAtStartup() {
  if (m_started) return;
  m_started = true;
  FlushStaticRegistration();
  AtStartup();
}

void CModule::InternalAtShutdown() {
  if (!m_shutDown) {
    m_shutDown = true;
    AtShutdown();
  }
  for (ITypeLib*& typeLib : m_typeLibs) {
    if (typeLib) typeLib->Release();
    typeLib = nullptr;
  }
  DropTables();
  m_name.clear();
  m_internalName.clear();
  m_path.clear();
}

}  // namespace Orv
