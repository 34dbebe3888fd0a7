// One readable page followed by one that faults on any access: bytes placed so that they end where
// the fence begins show whether a reader stays inside its given length.
#pragma once

#include <windows.h>

#include <cstring>

class CFencedPage {
 public:
  CFencedPage() {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    m_pageSize = info.dwPageSize;
    // Two pages reserved, the first one committed: the second faults on any access.
    void* reserved = ::VirtualAlloc(nullptr, 2 * m_pageSize, MEM_RESERVE, PAGE_NOACCESS);
    m_base = reserved ? static_cast<char*>(::VirtualAlloc(reserved, m_pageSize, MEM_COMMIT, PAGE_READWRITE)) : nullptr;
  }
  ~CFencedPage() {
    if (m_base) ::VirtualFree(m_base, 0, MEM_RELEASE);  // the whole reservation
  }
  CFencedPage(const CFencedPage&) = delete;
  CFencedPage& operator=(const CFencedPage&) = delete;
  bool Ready() const { return m_base != nullptr; }
  // A copy of `size` bytes that ends where the fence begins.
  template <typename T>
  const T* Place(const T* bytes, size_t size) {
    char* at = m_base + m_pageSize - size;
    std::memcpy(at, bytes, size);
    return reinterpret_cast<const T*>(at);
  }

 private:
  char* m_base = nullptr;
  DWORD m_pageSize = 0;
};
