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
    m_base = static_cast<char*>(::VirtualAlloc(nullptr, 2 * m_pageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old;
    if (m_base && !::VirtualProtect(m_base + m_pageSize, m_pageSize, PAGE_NOACCESS, &old)) {
      ::VirtualFree(m_base, 0, MEM_RELEASE);
      m_base = nullptr;
    }
  }
  ~CFencedPage() {
    if (m_base) ::VirtualFree(m_base, 0, MEM_RELEASE);
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
