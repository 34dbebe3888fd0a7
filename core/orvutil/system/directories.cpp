// Creating, deleting and listing directories; the process's current directory.
#include "orvutil/system/directories.h"

#include "detail.h"
#include "orvutil/foundation/paths.h"
#include "orvutil/system/filesystem.h"

namespace Orv {

namespace {

// GetCurrentDirectoryW is asked with this many characters first and then with what it asks for.
constexpr DWORD kFirstDirectoryBuffer = MAX_PATH;

DWORD ReadAttributes(const tstring& longPath) {
  return ::GetFileAttributesW(longPath.c_str());
}

bool IsDirectory(const tstring& longPath) {
  DWORD attributes = ReadAttributes(longPath);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates one directory whose parent exists. Windows reports "already exists" also when a file
// holds the name: only a directory counts.
bool CreateOneDirectory(const tstring& longPath) {
  if (IsDirectory(longPath) || ::CreateDirectoryW(longPath.c_str(), nullptr)) return true;
  return ::GetLastError() == ERROR_ALREADY_EXISTS && IsDirectory(longPath);
}

// Whether a directory entry is a link (junction or symbolic link) to somewhere else.
bool IsLink(const wchar_t* path) {
  DWORD attributes = ReadAttributes(Detail::LongPath(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Deletes the files of a directory and removes its sub-directories, going into those that are
// not empty (but never through a link).
void DeleteContents(const wchar_t* path) {
  tObjVector<tstring> files;
  tObjVector<tstring> directories;
  if (!GetDirectoryContents(path, files, directories)) return;
  for (const tstring& file : files) DeleteFileW(file.c_str());
  for (const tstring& directory : directories) {
    if (!DeleteDirectory(directory.c_str(), false) && !IsLink(directory.c_str()))
      DeleteDirectory(directory.c_str(), true);
  }
}

}  // namespace

bool CreateDirectoryW(const wchar_t* path) {
  tstring longPath = Detail::LongPath(path);
  if (longPath.empty()) return false;
  // Every ancestor below the root, from the top down, then the directory itself.
  for (unsigned separator = longPath.find(L'\\', Detail::RootLength(longPath) + 1); separator != tstring::npos;
       separator = longPath.find(L'\\', separator + 1)) {
    if (!CreateOneDirectory(longPath.substr(0, separator))) return false;
  }
  return CreateOneDirectory(longPath);
}

bool DeleteDirectory(const wchar_t* path, bool recursive) {
  tstring longPath = Detail::LongPath(path);
  if (longPath.empty()) return false;
  if (recursive && !IsLink(path)) DeleteContents(path);
  return ::RemoveDirectoryW(longPath.c_str()) != FALSE;
}

bool GetDirectoryContents(const wchar_t* path, tObjVector<tstring>& files, tObjVector<tstring>& directories) {
  tstring base = CanonicalizePath(path, false, false);
  if (base.empty()) return false;
  tstring pattern = Detail::LongPath(path);
  AppendPathTail(pattern, L"*");
  WIN32_FIND_DATAW data;
  HANDLE search = ::FindFirstFileW(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    const wchar_t* name = data.cFileName;
    if (name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'))) continue;
    tstring entry = base;
    AppendPathTail(entry, name);
    (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? directories : files).PushBack(entry);
  } while (::FindNextFileW(search, &data));
  ::FindClose(search);
  return true;
}

tstring GetCurrentDirectoryW() {
  return Detail::ReadGrowingText(kFirstDirectoryBuffer,
                                 [](DWORD size, wchar_t* buffer) { return ::GetCurrentDirectoryW(size, buffer); });
}

bool SetCurrentDirectoryW(const wchar_t* path) {
  tstring canonical = CanonicalizePath(path, false, false);
  return !canonical.empty() && ::SetCurrentDirectoryW(canonical.c_str());
}

}  // namespace Orv
