// Character tests shared by the library's path code.
#pragma once

namespace Orv {
namespace Detail {

inline bool IsPathSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

inline bool IsAsciiLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// Whether `s` starts with a drive letter and its colon.
inline bool StartsWithDrive(const wchar_t* s) {
  return IsAsciiLetter(s[0]) && s[1] == L':';
}

}  // namespace Detail
}  // namespace Orv
