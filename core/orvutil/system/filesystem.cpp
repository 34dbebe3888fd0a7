// Existence tests, copying, moving, deleting, hard-link placement and attributes of files.
#include "orvutil/system/filesystem.h"

#include "detail.h"
#include "orvutil/foundation/paths.h"
#include "orvutil/system/directories.h"
#include "orvutil/system/file.h"

namespace Orv {

namespace {

// How many free names PlaceFile tries for its link beside the destination.
constexpr unsigned kLinkNameAttempts = 100;

// The find data of a bare root ("\\?\C:\"), which a search cannot find: its attributes and times.
bool FindRoot(const tstring& longPath, WIN32_FIND_DATAW& data) {
  if (!Detail::IsRoot(longPath)) return false;
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!Detail::ReadAttributeData(longPath.c_str(), attributes)) return false;
  data = WIN32_FIND_DATAW{};
  data.dwFileAttributes = attributes.dwFileAttributes;
  data.ftCreationTime = attributes.ftCreationTime;
  data.ftLastAccessTime = attributes.ftLastAccessTime;
  data.ftLastWriteTime = attributes.ftLastWriteTime;
  return true;
}

// Searches for `path`; true when it finds an entry that is a directory exactly when `directory`.
bool FindEntry(const wchar_t* path, bool directory, WIN32_FIND_DATAW* findData) {
  tstring longPath = Detail::LongPath(path);
  if (longPath.empty()) return false;
  WIN32_FIND_DATAW data;
  HANDLE search = ::FindFirstFileW(longPath.c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    ::FindClose(search);
  } else if (!FindRoot(longPath, data)) {
    return false;
  }
  if (((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != directory) return false;
  if (findData) *findData = data;
  return true;
}

// The volume and file index of an existing file or directory.
bool ReadFileIdentity(const tstring& longPath, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE file = ::CreateFileW(longPath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool read = ::GetFileInformationByHandle(file, &info) != FALSE;
  ::CloseHandle(file);
  return read;
}

// Whether two paths name one file: the same name, or two hard links of it.
bool IsSameFile(const tstring& a, const tstring& b) {
  BY_HANDLE_FILE_INFORMATION infoA, infoB;
  return ReadFileIdentity(a, infoA) && ReadFileIdentity(b, infoB) &&
         infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber && infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
         infoA.nFileIndexLow == infoB.nFileIndexLow;
}

// Makes a hard link of `source` under a free name beside `target` and returns that name; empty
// when no link could be made.
tstring LinkBeside(const tstring& source, const tstring& target) {
  static volatile LONG s_serial = 0;
  for (unsigned attempt = 0; attempt < kLinkNameAttempts; ++attempt) {
    tstring link =
        target + tstring::format_new(L".%lu-%ld.link", ::GetCurrentProcessId(), InterlockedIncrement(&s_serial));
    if (::CreateHardLinkW(link.c_str(), source.c_str(), nullptr)) return link;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return tstring();
}

}  // namespace

bool FileExists(const wchar_t* path, WIN32_FIND_DATAW* findData) {
  return FindEntry(path, false, findData);
}

bool DirectoryExists(const wchar_t* path, WIN32_FIND_DATAW* findData) {
  return FindEntry(path, true, findData);
}

bool FileReadable(const wchar_t* path) {
  CFile file;
  return file.OpenRead(path);
}

bool DeleteFileW(const wchar_t* path) {
  tstring longPath = Detail::LongPath(path);
  return !longPath.empty() && ::DeleteFileW(longPath.c_str());
}

bool CopyFileW(const wchar_t* from, const wchar_t* to, bool overwrite) {
  tstring source = Detail::LongPath(from);
  tstring target = Detail::LongPath(to);
  if (source.empty() || target.empty() || IsSameFile(source, target)) return false;
  return ::CopyFileW(source.c_str(), target.c_str(), !overwrite) != FALSE;
}

bool MoveFileW(const wchar_t* from, const wchar_t* to, bool overwrite) {
  tstring source = Detail::LongPath(from);
  tstring target = Detail::LongPath(to);
  if (source.empty() || target.empty()) return false;
  DWORD flags = MOVEFILE_COPY_ALLOWED | (overwrite ? MOVEFILE_REPLACE_EXISTING : 0);
  return ::MoveFileExW(source.c_str(), target.c_str(), flags) != FALSE;
}

bool PlaceFile(const wchar_t* from, const wchar_t* to) {
  tstring source = Detail::LongPath(from);
  tstring target = Detail::LongPath(to);
  if (target.empty() || !FileExists(from)) return false;
  if (IsSameFile(source, target)) return true;
  tstring directory = target;
  StripPathTail(directory);
  if (!directory.empty() && !DirectoryExists(directory.c_str()) && !CreateDirectoryW(directory.c_str())) return false;
  // Link first and move the link over the destination: an existing destination is replaced only
  // once the link exists.
  tstring link = LinkBeside(source, target);
  if (link.empty()) return false;
  if (::MoveFileExW(link.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  ::DeleteFileW(link.c_str());
  return false;
}

bool GetFileAttributesW(const wchar_t* path, DWORD& attributes) {
  attributes = INVALID_FILE_ATTRIBUTES;
  tstring longPath = Detail::LongPath(path);
  if (longPath.empty()) return false;
  attributes = ::GetFileAttributesW(longPath.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES;
}

bool SetFileAttributesW(const wchar_t* path, DWORD attributes) {
  tstring longPath = Detail::LongPath(path);
  return !longPath.empty() && ::SetFileAttributesW(longPath.c_str(), attributes);
}

}  // namespace Orv
