// ReplaceFileContents: a whole file written beside its target and moved over it.
#include "orvutil/system/filesystem.h"

#include "orvutil/system/file.h"

namespace Orv {

namespace {

// A new empty file beside `path`, in the same folder so that it can replace `path` in one move.
tstring SiblingTempFile(const wchar_t* path) {
  tstring folder(path);
  unsigned slash = folder.find_last_of(L"\\/");
  folder = slash == tstring::npos ? tstring(L".") : folder.substr(0, slash);
  wchar_t name[MAX_PATH];
  if (!::GetTempFileNameW(folder.c_str(), L"orv", 0, name)) return tstring();
  return tstring(name);
}

bool WriteWhole(const wchar_t* path, const void* data, unsigned size) {
  CFile file;
  return file.OpenWrite(path) && WriteFile(file, data, size);
}

// A read-only file is not replaced: Windows refuses the move over it, and so does this on systems
// that would allow it.
bool IsReadOnly(const wchar_t* path) {
  DWORD attributes = 0;
  return GetFileAttributesW(path, attributes) && (attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

bool ReplaceFileContents(const wchar_t* path, const void* data, unsigned size) {
  if (!path || !*path || (!data && size) || IsReadOnly(path)) return false;
  tstring temp = SiblingTempFile(path);
  if (temp.empty()) return false;
  bool replaced = WriteWhole(temp.c_str(), data, size) &&
                  ::MoveFileExW(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!replaced) ::DeleteFileW(temp.c_str());
  return replaced;
}

}  // namespace Orv
