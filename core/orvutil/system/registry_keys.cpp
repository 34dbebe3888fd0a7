// Sub-key and value enumeration, and deletion of whole subtrees.
#include "orvutil/system/registry.h"

#include <vector>

namespace Orv {

namespace {

constexpr REGSAM kFullAccess = 0xF003F;
constexpr int kMaxDeleteDepth = 32;

enum class Enum { Found, NoMore, Failed };

// The name of the sub-key (`values` false) or value at `index`, with a buffer sized from the key's
// longest name.
Enum EnumName(HKEY key, DWORD index, bool values, tstring& name, unsigned long* type) {
  name.clear();
  DWORD longestKey = 0;
  DWORD longestValue = 0;
  if (!key || ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &longestKey, nullptr, nullptr,
                                 &longestValue, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return Enum::Failed;
  std::vector<wchar_t> buffer(size_t(values ? longestValue : longestKey) + 1, L'\0');
  DWORD length = static_cast<DWORD>(buffer.size());
  DWORD valueType = 0;
  LONG status = values ? ::RegEnumValueW(key, index, buffer.data(), &length, nullptr, &valueType, nullptr, nullptr)
                       : ::RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_NO_MORE_ITEMS) return Enum::NoMore;
  if (status != ERROR_SUCCESS || length >= buffer.size()) return Enum::Failed;
  name.assign(buffer.data(), length);
  if (type) *type = valueType;
  return Enum::Found;
}

bool DeleteTree(HKEY parent, const wchar_t* subkey, int depth) {
  if (depth >= kMaxDeleteDepth || !parent || !subkey) return false;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(parent, subkey, 0, kFullAccess, &key) != ERROR_SUCCESS) return false;
  bool emptied = false;
  tstring previous;
  tstring child;
  for (bool first = true;; first = false) {
    Enum found = EnumName(key, 0, false, child, nullptr);
    if (found != Enum::Found) {
      emptied = found == Enum::NoMore;
      break;
    }
    if (!first && child == previous) break;  // no progress
    if (!DeleteTree(key, child.c_str(), depth + 1)) break;
    previous = child;
  }
  ::RegCloseKey(key);
  return emptied && ::RegDeleteKeyW(parent, subkey) == ERROR_SUCCESS;
}

}  // namespace

bool RegDeleteKeyW(HKEY key, const wchar_t* subkey) { return DeleteTree(key, subkey, 0); }

bool RegEnumKeyW(HKEY key, unsigned long index, tstring& name) {
  return EnumName(key, index, false, name, nullptr) == Enum::Found;
}

bool RegEnumValueW(HKEY key, unsigned long index, tstring& name, unsigned long* type) {
  return EnumName(key, index, true, name, type) == Enum::Found;
}

}  // namespace Orv
