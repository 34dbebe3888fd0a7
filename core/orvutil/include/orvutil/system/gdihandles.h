// Destroy functions for tHandle (orvutil/foundation/handle.h) holding GDI objects and device
// contexts: tHandle<void*, void*, MyDestroyGdiHandle> and
// tHandle<void*, void*, MyDestroyDcHandle>.
//
// Threading: a GDI handle is destroyed on whichever thread its owner releases it.
#pragma once

#include "orvutil/export.h"

namespace Orv {

// Deletes a GDI object (DeleteObject): pen, brush, font, bitmap, region or palette. Null is ignored.
ORV_API void MyDestroyGdiHandle(void* handle);
// Deletes a device context made with CreateDC or CreateCompatibleDC (DeleteDC). Null is ignored.
ORV_API void MyDestroyDcHandle(void* handle);

}  // namespace Orv
