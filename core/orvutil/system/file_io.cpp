// Reading, writing and seeking through a file handle at 32-bit positions; file sizes and times.
#include "orvutil/system/file.h"

#include "detail.h"

namespace Orv {

namespace {

constexpr unsigned kNoPosition = 0xFFFFFFFFu;

bool Seek(HANDLE file, LONGLONG distance, DWORD method) {
  if (!Detail::IsFileHandle(file)) return false;
  LARGE_INTEGER move;
  move.QuadPart = distance;
  return ::SetFilePointerEx(file, move, nullptr, method) != FALSE;
}

// A 64-bit size as 32 bits: 0xFFFFFFFF stands for 4 GiB and more.
unsigned ClampedSize(ULONGLONG size) {
  return size > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<unsigned>(size);
}

bool ReadFileTime(const wchar_t* path, FILETIME WIN32_FILE_ATTRIBUTE_DATA::*member, FILETIME& time) {
  time = FILETIME{};
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!Detail::ReadAttributeData(path, data)) return false;
  time = data.*member;
  return true;
}

}  // namespace

unsigned GetFilePointer(HANDLE file) {
  if (!Detail::IsFileHandle(file)) return kNoPosition;
  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  LARGE_INTEGER position;
  if (!::SetFilePointerEx(file, zero, &position, FILE_CURRENT)) return kNoPosition;
  if (position.QuadPart < 0 || position.QuadPart >= static_cast<LONGLONG>(kNoPosition)) return kNoPosition;
  return static_cast<unsigned>(position.QuadPart);
}

bool SetFilePointer(HANDLE file, unsigned position) {
  return Seek(file, position, FILE_BEGIN);
}

bool SetFilePointerToEnd(HANDLE file) {
  return Seek(file, 0, FILE_END);
}

bool ReadFile(HANDLE file, unsigned size, void* buffer) {
  if (!Detail::IsFileHandle(file) || (size && !buffer)) return false;
  if (size == 0) return true;
  DWORD read = 0;
  return ::ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

bool ReadFile(HANDLE file, unsigned size, tVectorPOD<unsigned char>& buffer) {
  if (!buffer.Resize(size)) return false;
  return ReadFile(file, size, buffer.Data());
}

bool ReadFile(HANDLE file, unsigned position, unsigned size, void* buffer) {
  return SetFilePointer(file, position) && ReadFile(file, size, buffer);
}

bool ReadFile(HANDLE file, unsigned position, unsigned size, tVectorPOD<unsigned char>& buffer) {
  return SetFilePointer(file, position) && ReadFile(file, size, buffer);
}

bool WriteFile(HANDLE file, const void* data, unsigned size) {
  if (!Detail::IsFileHandle(file) || (size && !data)) return false;
  if (size == 0) return true;
  DWORD written = 0;
  return ::WriteFile(file, data, size, &written, nullptr) && written == size;
}

bool WriteUnicodeBOMToFile(HANDLE file) {
  static const unsigned char kMark[2] = {0xFF, 0xFE};
  return WriteFile(file, kMark, sizeof(kMark));
}

unsigned GetFileSize(const wchar_t* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!Detail::ReadAttributeData(path, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  return ClampedSize((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

unsigned GetFileSize(HANDLE file) {
  LARGE_INTEGER size;
  if (!Detail::IsFileHandle(file) || !::GetFileSizeEx(file, &size) || size.QuadPart < 0) return 0;
  return ClampedSize(static_cast<ULONGLONG>(size.QuadPart));
}

bool GetFileModifiedTime(const wchar_t* path, FILETIME& time) {
  return ReadFileTime(path, &WIN32_FILE_ATTRIBUTE_DATA::ftLastWriteTime, time);
}

bool GetFileCreatedTime(const wchar_t* path, FILETIME& time) {
  return ReadFileTime(path, &WIN32_FILE_ATTRIBUTE_DATA::ftCreationTime, time);
}

bool GetFileAccessedTime(const wchar_t* path, FILETIME& time) {
  return ReadFileTime(path, &WIN32_FILE_ATTRIBUTE_DATA::ftLastAccessTime, time);
}

}  // namespace Orv
