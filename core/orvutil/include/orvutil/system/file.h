// Files and views: CFile owns a file handle opened for reading or writing, CMemMappedFile maps a
// whole file into memory, and free functions move bytes through a handle at 32-bit positions and
// report file sizes and times.
//
// Paths are canonicalised to the long "\\?\" form before they reach Windows, so names longer
// than MAX_PATH work. Threading: a CFile or CMemMappedFile has one owner; the free functions keep
// no state (threads that share a handle share its file pointer).
#pragma once

#include <windows.h>

#include "orvutil/export.h"
#include "orvutil/foundation/handle.h"
#include "orvutil/foundation/vector.h"

namespace Orv {

// One file handle, closed when the object goes or opens another file.
class ORV_API CFile {
 public:
  CFile() = default;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // OpenRead(path) when `read`, else OpenWrite(path, append).
  bool Open(const wchar_t* path, bool read, bool append = false);
  // Opens for writing (and reading, so that the file can be mapped read-write), letting others
  // read. `append` opens or creates the file and moves to its end; otherwise the file is created
  // or truncated.
  bool OpenWrite(const wchar_t* path, bool append = false);
  // Opens an existing file for reading, letting others read.
  bool OpenRead(const wchar_t* path);
  void Close() { m_handle.Reset(); }
  // Gives the handle to the caller, who closes it; the object is closed afterwards.
  HANDLE Detach() { return m_handle.Detach(); }

  bool IsOpen() const { return m_handle.IsValid(); }
  // The handle, null when closed.
  HANDLE GetHandle() const { return m_handle.Get(); }
  operator HANDLE() const { return m_handle.Get(); }

 private:
  tHandle<void*, void*, MyDestroyHandle> m_handle;
};

// A view of a whole file (of less than 4 GiB), read-only or read-write, unmapped when the object
// goes or maps another file. The file handle may be closed while the view lives.
class ORV_API CMemMappedFile {
 public:
  CMemMappedFile() = default;
  ~CMemMappedFile() { Close(); }
  CMemMappedFile(const CMemMappedFile&) = delete;
  CMemMappedFile& operator=(const CMemMappedFile&) = delete;

  // OpenRead(file) when `read`, else OpenWrite(file, 0xFFFFFFFF).
  bool Open(HANDLE file, bool read);
  // Maps the whole file read-only. An empty file, a file of 4 GiB or more and a null handle fail.
  bool OpenRead(HANDLE file);
  // Maps exactly `size` bytes read-write, growing the file to that size; 0xFFFFFFFF means the
  // file's current size. The handle must allow reading and writing. A size of 0 fails.
  bool OpenWrite(HANDLE file, unsigned size);
  void Close();

  // The first byte of the view and its size; null and 0 when closed.
  unsigned char* GetMem() const { return m_view; }
  unsigned GetSize() const { return m_size; }

 private:
  bool Map(HANDLE file, unsigned size, DWORD protection, DWORD access);

  tHandle<void*, void*, MyDestroyHandle> m_mapping;
  unsigned char* m_view = nullptr;
  unsigned m_size = 0;
};

// The file pointer of a handle; 0xFFFFFFFF on failure or at 4 GiB and beyond.
ORV_API unsigned GetFilePointer(HANDLE file);
// Moves the file pointer to `position` from the start, or to the end.
ORV_API bool SetFilePointer(HANDLE file, unsigned position);
ORV_API bool SetFilePointerToEnd(HANDLE file);

// Reading and writing: true only when exactly `size` bytes moved (0 bytes always move on an open
// handle). The vector forms resize the vector to `size` first; the position forms seek first.
ORV_API bool ReadFile(HANDLE file, unsigned size, void* buffer);
ORV_API bool ReadFile(HANDLE file, unsigned size, tVectorPOD<unsigned char>& buffer);
ORV_API bool ReadFile(HANDLE file, unsigned position, unsigned size, void* buffer);
ORV_API bool ReadFile(HANDLE file, unsigned position, unsigned size, tVectorPOD<unsigned char>& buffer);
ORV_API bool WriteFile(HANDLE file, const void* data, unsigned size);
// Writes the UTF-16 little-endian byte-order mark FF FE at the file pointer.
ORV_API bool WriteUnicodeBOMToFile(HANDLE file);

// The size of a file: 0 when it cannot be read (or the path names a directory), 0xFFFFFFFF for
// 4 GiB and more.
ORV_API unsigned GetFileSize(const wchar_t* path);
ORV_API unsigned GetFileSize(HANDLE file);

// The times Windows keeps for a file or directory; false (and a zero time) when it cannot be read.
ORV_API bool GetFileModifiedTime(const wchar_t* path, FILETIME& time);
ORV_API bool GetFileCreatedTime(const wchar_t* path, FILETIME& time);
ORV_API bool GetFileAccessedTime(const wchar_t* path, FILETIME& time);

}  // namespace Orv
