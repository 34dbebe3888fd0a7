// Helpers shared by the system family's sources: the path forms handed to Windows, the attribute
// look-up, and the handle test.
#pragma once

#include <windows.h>

#include "orvutil/foundation/tstring.h"

namespace Orv {
namespace Detail {

// The canonical long ("\\?\") form of `path`; empty for a null or empty path. A bare root keeps
// a separator ("\\?\C:\"): without it the long form names the volume device, not its root
// directory.
tstring LongPath(const wchar_t* path);
// `path` without a leading "\\?\" ("\\?\UNC\server" becomes "\\server").
tstring WithoutLongPrefix(const tstring& path);
// The length of the root of a canonical path, which walking up never passes: "\\?\C:", the server
// and share of "\\?\UNC\server\share", the first component after "\\?\" or "\\.\". 0 for relative
// paths and paths rooted at "\".
unsigned RootLength(const tstring& path);
// Whether a canonical path is nothing but its root (with or without a separator after it).
bool IsRoot(const tstring& path);
// The attributes, times and size of a file or directory.
bool ReadAttributeData(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA& data);

// The text of a Windows function that fills a buffer and, when the buffer is too small, returns the
// size it needs (terminator included): `fill(size, buffer)` returns the characters written, the
// size needed, or 0 on failure. Starts with `firstSize` characters; empty on failure.
template <typename Fill>
tstring ReadGrowingString(DWORD firstSize, Fill&& fill) {
  DWORD size = firstSize;
  for (int attempt = 0; attempt < 4; ++attempt) {
    tstring text(size, L'\0');
    DWORD written = fill(size, text.begin());
    if (written == 0) return tstring();
    if (written < size) {
      text.resize(written);
      return text;
    }
    size = written;
  }
  return tstring();
}

// Whether `file` may be a file handle: neither null nor INVALID_HANDLE_VALUE.
inline bool IsFileHandle(HANDLE file) {
  return file && file != INVALID_HANDLE_VALUE;
}

}  // namespace Detail
}  // namespace Orv
