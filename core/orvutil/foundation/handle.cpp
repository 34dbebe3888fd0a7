// The destroy functions of the owning handle template.
#include "orvutil/foundation/handle.h"

#include <windows.h>

namespace Orv {

void MyDestroyHandle(void* handle) {
  if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

void MyDestroyFontHandle(void* handle) {
  if (handle) RemoveFontMemResourceEx(handle);
}

}  // namespace Orv
