// Windows known folders: the paths behind FOLDERID_... identities.
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include "orvutil/system/directories.h"

namespace Orv {

tstring GetKnownDirectory(const GUID& folderId, bool create) {
  wchar_t* path = nullptr;
  DWORD flags = create ? static_cast<DWORD>(KF_FLAG_CREATE) : 0;
  HRESULT result = ::SHGetKnownFolderPath(folderId, flags, nullptr, &path);
  tstring directory;
  if (SUCCEEDED(result) && path) directory = path;
  ::CoTaskMemFree(path);  // allocated even when the call fails
  return directory;
}

tstring GetLocalUserDirectory() {
  return GetKnownDirectory(FOLDERID_LocalAppData, true);
}

tstring GetRoamingUserDirectory() {
  return GetKnownDirectory(FOLDERID_RoamingAppData, true);
}

}  // namespace Orv
