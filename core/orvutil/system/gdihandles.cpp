// Destroy functions for GDI objects and device contexts held by tHandle.
#include "orvutil/system/gdihandles.h"

#include <windows.h>

namespace Orv {

void MyDestroyGdiHandle(void* handle) {
  if (handle) ::DeleteObject(static_cast<HGDIOBJ>(handle));
}

void MyDestroyDcHandle(void* handle) {
  if (handle) ::DeleteDC(static_cast<HDC>(handle));
}

}  // namespace Orv
