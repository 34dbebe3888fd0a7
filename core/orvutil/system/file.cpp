// CFile and CMemMappedFile: an owned file handle and a mapped view of a whole file.
#include "orvutil/system/file.h"

#include "detail.h"

namespace Orv {

namespace {

// Opens the long form of `path`, sharing reads; null when Windows refuses.
HANDLE OpenLongPath(const wchar_t* path, DWORD access, DWORD disposition) {
  tstring longPath = Detail::LongPath(path);
  if (longPath.empty()) return nullptr;
  HANDLE handle =
      ::CreateFileW(longPath.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// The end of file as a 32-bit size: 0 when it cannot be read or is 4 GiB or more.
unsigned MappableSize(HANDLE file) {
  FILE_STANDARD_INFO info;
  if (!::GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof(info))) return 0;
  if (info.EndOfFile.QuadPart < 0 || info.EndOfFile.QuadPart > 0xFFFFFFFFll) return 0;
  return static_cast<unsigned>(info.EndOfFile.QuadPart);
}

}  // namespace

bool CFile::Open(const wchar_t* path, bool read, bool append) {
  return read ? OpenRead(path) : OpenWrite(path, append);
}

bool CFile::OpenWrite(const wchar_t* path, bool append) {
  Close();
  m_handle.Reset(OpenLongPath(path, GENERIC_READ | GENERIC_WRITE, append ? OPEN_ALWAYS : CREATE_ALWAYS));
  if (append && IsOpen() && !SetFilePointerToEnd(GetHandle())) Close();
  return IsOpen();
}

bool CFile::OpenRead(const wchar_t* path) {
  Close();
  m_handle.Reset(OpenLongPath(path, GENERIC_READ, OPEN_EXISTING));
  return IsOpen();
}

bool CMemMappedFile::Open(HANDLE file, bool read) {
  return read ? OpenRead(file) : OpenWrite(file, 0xFFFFFFFFu);
}

bool CMemMappedFile::OpenRead(HANDLE file) {
  Close();
  if (!Detail::IsFileHandle(file)) return false;
  return Map(file, MappableSize(file), PAGE_READONLY, FILE_MAP_READ);
}

bool CMemMappedFile::OpenWrite(HANDLE file, unsigned size) {
  Close();
  if (!Detail::IsFileHandle(file)) return false;
  if (size == 0xFFFFFFFFu) size = MappableSize(file);
  return Map(file, size, PAGE_READWRITE, FILE_MAP_WRITE);
}

void CMemMappedFile::Close() {
  if (m_view) ::UnmapViewOfFile(m_view);
  m_view = nullptr;
  m_size = 0;
  m_mapping.Reset();
}

bool CMemMappedFile::Map(HANDLE file, unsigned size, DWORD protection, DWORD access) {
  // A mapping of 0 bytes would mean "as large as the file" to Windows: there is nothing to map.
  if (size == 0) return false;
  m_mapping.Reset(::CreateFileMappingW(file, nullptr, protection, 0, size, nullptr));
  if (!m_mapping.IsValid()) return false;
  m_view = static_cast<unsigned char*>(::MapViewOfFile(m_mapping.Get(), access, 0, 0, size));
  if (!m_view) {
    m_mapping.Reset();
    return false;
  }
  m_size = size;
  return true;
}

}  // namespace Orv
