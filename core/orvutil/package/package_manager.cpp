// CPackageManager: finding packages by GUID (live, in module resources, in files) and by path, and
// nodes across the live packages.
#include <cwchar>

#include "orvutil/com/comobject.h"
#include "orvutil/com/module.h"
#include "orvutil/com/startup.h"
#include "orvutil/data/blocks.h"
#include "orvutil/foundation/paths.h"
#include "orvutil/package/format.h"
#include "orvutil/package/manager.h"
#include "orvutil/system/filesystem.h"
#include "orvutil/system/pathnames.h"
#include "orvutil/threads/locks.h"

namespace Orv {

namespace {

const wchar_t kPackageResourceType[] = L"PACK3";

// A drive letter, a colon, then the end or a separator.
bool IsDrivePath(wchar_t const* path) {
  return iswalpha(path[0]) && path[1] == L':' && (!path[2] || path[2] == L'\\' || path[2] == L'/');
}

// The first "PACK3" resource of a module whose header holds `id`, loaded.
struct SResourceSearch {
  GUID id;
  tSmartPtr<IPackage> found;
  bool matched = false;
};

BOOL CALLBACK VisitResource(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context) {
  SResourceSearch& search = *reinterpret_cast<SResourceSearch*>(context);
  wchar_t number[16];
  LPCWSTR resourceName = name;
  if (IS_INTRESOURCE(name)) {
    swprintf(number, 16, L"#%lu", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(name)));
    resourceName = number;
  }
  tSmartPtr<IData> data;
  tSmartPtr<IDataReader> reader;
  if (!CreateDataInResource(module, resourceName, type, data.Receive()) || !CreateDataReader(data, 0, reader.Receive()))
    return TRUE;
  if (!IsEqualGUID(GetPackageID(reader), search.id)) return TRUE;
  search.matched = true;
  LoadPackage(reader, search.found.Receive());
  return FALSE;  // the first match answers, loaded or not
}

}  // namespace

class CPackageManager : public CComBase, public IPackageManager {
 public:
  ORV_INTERFACES(IPackageManager)

  long _Construct(IUnknown* outer) override {
    long hr = CComBase::_Construct(outer);
    if (SUCCEEDED(hr)) m_directories.PushBack(GetExecutableDir());
    return hr;
  }

  void AddSearchDirectory(wchar_t const* directory) override;
  bool GetPackage(wchar_t const* path, GUID const& id, IPackage** out) override;
  bool GetPackageByPath(wchar_t const* path, IPackage** out) override { return GetPackage(path, GUID_NULL, out); }
  void FindNodeByID(PackageNode& out, GUID const& id) override;
  void FindNode(PackageNode& out, wchar_t const* name, GUID const& classId, GUID const& categoryId) override;
  unsigned int GetSearchDirectoryCount() override {
    CScopeCriticalSection guard(eGlobalCSLibrary);
    return m_directories.Count();
  }
  tstring GetSearchDirectory(unsigned int index) override {
    CScopeCriticalSection guard(eGlobalCSLibrary);
    return index < m_directories.Count() ? m_directories[index] : tstring();
  }

 private:
  bool FindLive(GUID const& id, wchar_t const* path, IPackage** out);
  // Whether a resource with the GUID was found (`matched`) and loaded.
  bool FindInResources(GUID const& id, IPackage** out, bool& matched);
  tstring FindFile(wchar_t const* path);

  tObjVector<tstring> m_directories;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CPackageManager, 0x5d1c8a3e, 0x0b7f, 0x4e61, 0x9d, 0x2a, 0x73, 0x40, 0x1e, 0x8b, 0x62, 0x06)

namespace Orv {

void CPackageManager::AddSearchDirectory(wchar_t const* directory) {
  if (!directory || !*directory) return;
  CScopeCriticalSection guard(eGlobalCSLibrary);
  tstring path = IsAbsolutePath(directory) ? tstring(directory) : m_directories[0];
  if (!IsAbsolutePath(directory)) AppendPathTail(path, directory);
  path = CanonicalizePath(path.c_str(), false, false);
  if (path.empty() || !DirectoryExists(path.c_str())) return;
  for (unsigned i = 0; i < m_directories.Count(); ++i) {
    if (PathsEqual(m_directories[i].c_str(), path.c_str(), false)) return;
  }
  m_directories.PushBack(path);
}

bool CPackageManager::FindLive(GUID const& id, wchar_t const* path, IPackage** out) {
  tSmartPtrVector<IPackage> live;
  GetLivePackages(live);
  for (unsigned i = 0; i < live.Count(); ++i) {
    bool match = path ? PathsEqual(live[i]->GetPath().c_str(), path, false) : IsEqualGUID(live[i]->GetID(), id) != FALSE;
    if (match) return live[i].CopyTo(out);
  }
  return false;
}

bool CPackageManager::FindInResources(GUID const& id, IPackage** out, bool& matched) {
  for (unsigned i = 0; i < GetModuleCount(); ++i) {
    CModule* module = GetModuleByIndex(i);
    if (!module || !module->GetInstance()) continue;
    SResourceSearch search{id, nullptr};
    EnumResourceNamesW(module->GetInstance(), kPackageResourceType, VisitResource, reinterpret_cast<LONG_PTR>(&search));
    matched = search.matched;
    if (matched) return search.found && search.found.CopyTo(out);
  }
  return false;
}

tstring CPackageManager::FindFile(wchar_t const* path) {
  if (IsDrivePath(path)) return FileExists(path) ? tstring(path) : tstring();
  for (unsigned i = 0; i < m_directories.Count(); ++i) {
    tstring candidate = m_directories[i];
    AppendPathTail(candidate, path);
    if (FileExists(candidate.c_str())) return candidate;
  }
  return tstring();
}

bool CPackageManager::GetPackage(wchar_t const* path, GUID const& id, IPackage** out) {
  if (!out) return false;
  *out = nullptr;
  CScopeCriticalSection guard(eGlobalCSLibrary);
  bool byId = !IsEqualGUID(id, GUID_NULL);
  if (byId && FindLive(id, nullptr, out)) return true;
  bool inResource = false;
  if (byId && FindInResources(id, out, inResource)) return true;
  if (inResource || !path || !*path) return false;  // a resource with the GUID that does not load answers
  tstring file = FindFile(path);
  if (file.empty()) return false;
  if (!byId && FindLive(GUID_NULL, file.c_str(), out)) return true;
  tSmartPtr<IDataFile> data;
  tSmartPtr<IDataReader> reader;
  tSmartPtr<IPackage> package;
  // Mapped, so that the payloads load from the view rather than each through a file handle of its own.
  if (!CreateDataFile(file.c_str(), false, data.Receive()) || !data->Map() || !CreateDataReader(data, 0, reader.Receive()) ||
      !LoadPackage(reader, package.Receive()))
    return false;
  package->SetPath(file.c_str());
  if (byId && !IsEqualGUID(package->GetID(), id)) return false;
  *out = package.Detach();
  return true;
}

void CPackageManager::FindNode(PackageNode& out, wchar_t const* name, GUID const& classId, GUID const& categoryId) {
  out = PackageNode();
  tSmartPtrVector<IPackage> live;
  GetLivePackages(live);
  for (unsigned i = 0; i < live.Count() && !out; ++i) out = live[i]->FindNode(name, classId, categoryId);
}

void CPackageManager::FindNodeByID(PackageNode& out, GUID const& id) {
  out = PackageNode();
  if (IsEqualGUID(id, GUID_NULL)) return;
  tSmartPtrVector<IPackage> live;
  GetLivePackages(live);
  for (unsigned i = 0; i < live.Count() && !out; ++i) out = live[i]->FindNodeByID(id);
  // An object another package holds: the records name that package.
  for (unsigned i = 0; i < live.Count() && !out; ++i) {
    IPackage::GuidInfo object, holder;
    if (!live[i]->FindGuidInfo(id, &object) || !live[i]->FindGuidInfo(object.secondId, &holder) ||
        holder.kind != IPackage::GuidInfo::ePackage)
      continue;
    tSmartPtr<IPackage> other;
    if (GetPackage(holder.name.c_str(), holder.id, other.Receive())) out = other->FindNodeByID(id);
  }
}

namespace {

IPackageManager* g_manager = nullptr;
bool g_managerGone = false;

void ReleaseManager() {
  IPackageManager* manager;
  {
    CScopeCriticalSection guard(eGlobalCSLibrary);
    manager = g_manager;
    g_manager = nullptr;
    g_managerGone = true;
  }
  if (manager) manager->Release();
}

}  // namespace

IPackageManager* GetPackageManager() {
  CScopeCriticalSection guard(eGlobalCSLibrary);
  if (!g_manager && !g_managerGone && !IsShuttingDown() && !DidShutdown()) {
    CPackageManager* manager = nullptr;
    if (SUCCEEDED(CComObject<CPackageManager>::CreateObject(nullptr, &manager))) {
      g_manager = manager;
      AtShutdown(ReleaseManager, &GetOrvutilModule());
    }
  }
  return g_manager;
}

}  // namespace Orv
