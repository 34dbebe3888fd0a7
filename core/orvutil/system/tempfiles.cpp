// The temporary-file area: "Orvane" under the user's temporary path, its optional sub-directory,
// and numbered empty files.
#include "orvutil/system/tempfiles.h"

#include <windows.h>

#include "detail.h"
#include "orvutil/foundation/paths.h"
#include "orvutil/system/directories.h"
#include "orvutil/system/filesystem.h"
#include "orvutil/system/pathnames.h"
#include "orvutil/threads/locks.h"
#include "../detail/path_chars.h"

namespace Orv {

namespace {

constexpr wchar_t kAreaName[] = L"Orvane";
constexpr unsigned kMaxTempNames = 1000;
// GetTempPathW is asked with this many characters first and then with what it asks for.
constexpr DWORD kFirstTempPathBuffer = 512;

// The process-wide state of the area, guarded by `lock`.
struct STempArea {
  CCriticalSection lock;
  tstring subDirectory;      // canonical, relative, empty for "Orvane" itself
  tstring directory;         // the cached directory, empty until worked out
  tstring directoryFor;      // the sub-directory the cached directory was worked out for
  unsigned fileCounter = 0;  // the number the next temporary file name tries
};

STempArea& TempArea() {
  static STempArea area;
  return area;
}

// The user's temporary directory, canonical and without a long prefix; empty on failure.
tstring UserTempPath() {
  tstring path = Detail::ReadGrowingText(kFirstTempPathBuffer,
                                         [](DWORD size, wchar_t* buffer) { return ::GetTempPathW(size, buffer); });
  return path.empty() ? path : Detail::WithoutLongPrefix(CanonicalizePath(path.c_str(), false, false));
}

// Whether a canonical sub-directory name stays inside the area when appended to it.
bool StaysInsideArea(const tstring& name) {
  if (name.empty()) return true;
  if (IsAbsolutePath(name.c_str()) || IsDriveRelativePath(name.c_str())) return false;
  // Canonical relative paths keep ".." only at their start.
  bool climbs = name.compare(0, 2, L"..") == 0 && (name.size() == 2 || name[2] == L'\\');
  return !climbs;
}

// Whether `part` can only be a piece of one file name: no separator, no colon (a drive or a
// stream) and no "..". Device paths need separators, so they are refused as well.
bool IsNamePart(const wchar_t* part) {
  for (const wchar_t* c = part; *c; ++c) {
    if (Detail::IsPathSeparator(*c) || *c == L':' || (c[0] == L'.' && c[1] == L'.')) return false;
  }
  return true;
}

bool EntryExists(const tstring& path) {
  DWORD attributes;
  return GetFileAttributesW(path.c_str(), attributes);
}

// Creates `path` as a new empty file: 1 created, 0 taken meanwhile, -1 refused.
int CreateNewFile(const tstring& path) {
  HANDLE file = ::CreateFileW(Detail::LongPath(path.c_str()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ::CloseHandle(file);
    return 1;
  }
  DWORD error = ::GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? 0 : -1;
}

}  // namespace

bool SetTempSubDirectory(const wchar_t* name) {
  tstring canonical = CanonicalizePath(name, false, false);
  if (!StaysInsideArea(canonical)) return false;
  STempArea& area = TempArea();
  CScopeCriticalSection guard(area.lock.GetCS());
  area.subDirectory = canonical;
  return true;
}

tstring GetTempSubDirectory() {
  STempArea& area = TempArea();
  CScopeCriticalSection guard(area.lock.GetCS());
  return area.subDirectory;
}

tstring GetTempDirectory() {
  STempArea& area = TempArea();
  CScopeCriticalSection guard(area.lock.GetCS());
  if (!area.directory.empty() && area.directoryFor == area.subDirectory) return area.directory;
  tstring directory = UserTempPath();
  if (directory.empty()) return tstring();
  AppendPathTail(directory, kAreaName);
  if (!area.subDirectory.empty()) AppendPathTail(directory, area.subDirectory.c_str());
  if (!DirectoryExists(directory.c_str()) && !CreateDirectoryW(directory.c_str())) return tstring();
  area.directory = directory;
  area.directoryFor = area.subDirectory;
  return directory;
}

tstring CreateTempFile(const wchar_t* prefix, const wchar_t* extension) {
  if (!prefix) prefix = L"TempFile";
  if (!extension) extension = L"tmp";
  if (!IsNamePart(prefix) || !IsNamePart(extension)) return tstring();
  STempArea& area = TempArea();
  CScopeCriticalSection guard(area.lock.GetCS());
  tstring directory = GetTempDirectory();
  if (directory.empty()) return tstring();
  for (unsigned attempt = 0; attempt < kMaxTempNames; ++attempt) {
    tstring path = directory + tstring::format_new(L"\\%s%u.%s", prefix, area.fileCounter++, extension);
    if (EntryExists(path)) continue;
    int created = CreateNewFile(path);
    if (created > 0) return path;
    if (created < 0) return tstring();
  }
  return tstring();
}

bool IsTempFile(const wchar_t* path) {
  tstring directory = GetTempDirectory();
  return !directory.empty() && PathInPath(directory.c_str(), path, false);
}

bool ClearTempSubDirectory() {
  STempArea& area = TempArea();
  CScopeCriticalSection guard(area.lock.GetCS());
  if (area.subDirectory.empty()) return true;
  tObjVector<tstring> files;
  tObjVector<tstring> directories;
  if (!GetDirectoryContents(GetTempDirectory().c_str(), files, directories)) return false;
  bool deletedAll = true;
  for (const tstring& file : files) deletedAll = DeleteFileW(file.c_str()) && deletedAll;
  return deletedAll;
}

}  // namespace Orv
