// Checks on window class names before they reach the system: a class name is an atom or a string
// of 1 to 255 characters. Longer names are refused here because some user32 implementations
// overrun their buffers on them instead of failing.
#pragma once

#include <windows.h>

#include <cwchar>

namespace Orv {
namespace Detail {

constexpr size_t kMaxClassNameLength = 255;

inline bool IsClassNameString(wchar_t const* name) {
  if (!name || IS_INTRESOURCE(name)) return false;
  size_t length = ::wcsnlen(name, kMaxClassNameLength + 1);
  return length > 0 && length <= kMaxClassNameLength;
}

// Strings as above, or a non-zero atom.
inline bool IsUsableClassName(wchar_t const* name) {
  return name && (IS_INTRESOURCE(name) || IsClassNameString(name));
}

}  // namespace Detail
}  // namespace Orv
