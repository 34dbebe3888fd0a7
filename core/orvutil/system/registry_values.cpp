// Typed registry value reads and writes.
#include "orvutil/foundation/strings.h"
#include "orvutil/system/registry.h"

#include <vector>

namespace Orv {

namespace {

// Reads a REG_SZ value into `text`; false unless the stored size is non-zero and even.
bool ReadString(HKEY key, const wchar_t* name, tstring& text) {
  DWORD type = 0;
  DWORD bytes = 0;
  if (!key || ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
  if (type != REG_SZ || bytes == 0 || bytes % 2 != 0) return false;
  std::vector<wchar_t> buffer(bytes / 2 + 1, L'\0');
  DWORD got = bytes;
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) != ERROR_SUCCESS ||
      type != REG_SZ || got > bytes)
    return false;
  buffer.back() = L'\0';
  text.assign(buffer.data());
  return true;
}

bool Write(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
  return key && ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
}

}  // namespace

bool RegGetValueW(HKEY key, const wchar_t* name, unsigned long& value, unsigned long defaultValue) {
  DWORD type = 0;
  DWORD data = 0;
  DWORD bytes = sizeof(data);
  if (key && ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &bytes) == ERROR_SUCCESS &&
      type == REG_DWORD && bytes == sizeof(data)) {
    value = data;
    return true;
  }
  value = defaultValue;
  return false;
}

bool RegGetValueW(HKEY key, const wchar_t* name, tstring& value, const wchar_t* defaultValue) {
  if (ReadString(key, name, value)) return true;
  value.assign(defaultValue ? defaultValue : L"");
  return false;
}

bool RegGetValueW(HKEY key, const wchar_t* name, GUID& value, const GUID& defaultValue) {
  tstring text;
  GUID parsed;
  if (ReadString(key, name, text) && StringToGUID(text.c_str(), parsed)) {
    value = parsed;
    return true;
  }
  value = defaultValue;
  return false;
}

bool RegSetValueW(HKEY key, const wchar_t* name, unsigned long value) {
  DWORD data = value;
  return Write(key, name, REG_DWORD, &data, sizeof(data));
}

bool RegSetValueW(HKEY key, const wchar_t* name, const wchar_t* text) {
  if (!text) return false;
  size_t length = ::wcslen(text);
  if (length >= 0x7FFFFFFF / 2) return false;
  return Write(key, name, REG_SZ, text, static_cast<DWORD>(2 * length + 2));
}

bool RegSetValueW(HKEY key, const wchar_t* name, const GUID& value) {
  return RegSetValueW(key, name, StringFromGUID(value).c_str());
}

bool RegDeleteValueW(HKEY key, const wchar_t* name) {
  return key && ::RegDeleteValueW(key, name) == ERROR_SUCCESS;
}

}  // namespace Orv
