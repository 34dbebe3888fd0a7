// Helpers shared by the system family's sources: the path forms handed to Windows, text read with
// growing buffers, the attribute look-up, and the handle test.
#pragma once

#include <windows.h>

#include "../detail/growing_text.h"
#include "../detail/long_paths.h"
#include "orvutil/foundation/tstring.h"

namespace Orv {
namespace Detail {

// The attributes, times and size of a file or directory.
bool ReadAttributeData(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA& data);

// Whether `file` may be a file handle: neither null nor INVALID_HANDLE_VALUE.
inline bool IsFileHandle(HANDLE file) {
  return file && file != INVALID_HANDLE_VALUE;
}

}  // namespace Detail
}  // namespace Orv
