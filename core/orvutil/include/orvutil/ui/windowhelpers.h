// Small window helpers: window and dialog-item text as tstring, showing and enabling only when the
// state changes, and releasing the mouse capture. Call them on the thread that owns the window.
#pragma once

#include <windows.h>

#include "orvutil/export.h"
#include "orvutil/foundation/tstring.h"

namespace Orv {

// The window's text; empty for a null window or no text.
ORV_API tstring GetWindowTextW(HWND hwnd);
// The text of dialog item `id` of hwnd; empty when there is no such item.
ORV_API tstring GetDialogItemText(HWND hwnd, int id);

// Shows or hides (enables or disables) the window only when its own state differs; true when the
// state was changed.
ORV_API bool EnsureWindowVisible(HWND hwnd, bool visible);
ORV_API bool EnsureWindowEnabled(HWND hwnd, bool enabled);

// Releases the mouse capture when hwnd holds it; true when it did.
ORV_API bool ReleaseCapture(HWND hwnd);

}  // namespace Orv
