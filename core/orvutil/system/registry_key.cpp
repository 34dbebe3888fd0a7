// CRegKey: the owner of one open registry key.
#include "orvutil/system/registry.h"

namespace Orv {

namespace {
constexpr REGSAM kFullAccess = 0xF003F;  // KEY_ALL_ACCESS
constexpr REGSAM kReadAccess = 0x20019;  // KEY_READ
}  // namespace

HKEY CRegKey::Hold(HKEY key) {
  Close();
  m_key = key;
  return m_key;
}

HKEY CRegKey::Create(HKEY parent, const wchar_t* subkey) {
  HKEY key = nullptr;
  if (!parent || !subkey ||
      ::RegCreateKeyExW(parent, subkey, 0, nullptr, 0, kFullAccess, nullptr, &key, nullptr) != ERROR_SUCCESS)
    key = nullptr;
  return Hold(key);
}

HKEY CRegKey::Open(HKEY parent, const wchar_t* subkey, bool readOnly) {
  HKEY key = nullptr;
  if (!parent || !subkey ||
      ::RegOpenKeyExW(parent, subkey, 0, readOnly ? kReadAccess : kFullAccess, &key) != ERROR_SUCCESS)
    key = nullptr;
  return Hold(key);
}

void CRegKey::Close() {
  if (m_key) ::RegCloseKey(m_key);
  m_key = nullptr;
}

}  // namespace Orv
