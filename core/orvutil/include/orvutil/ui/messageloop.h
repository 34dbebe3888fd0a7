// The message pump: message filters, modeless-dialog routing, and waiting for messages.
//
// Meant for the thread that owns the windows (normally the main thread). The filter list, the
// modeless-dialog list and the application-message counter are process-wide and locked.
#pragma once

#include <windows.h>

#include "orvutil/export.h"

namespace Orv {

class CModule;

// Runs the filters and modeless-dialog routing; translates and dispatches what they leave.
ORV_API void HandleMessage(MSG& msg);
// Lets queued APCs run, then handles every queued message; false once WM_QUIT was seen.
ORV_API bool HandleMessages();
// Waits for any input, including messages already seen but left in the queue (unless WM_QUIT was
// seen), then HandleMessages().
ORV_API bool WaitForMessage();
// Whether the pump has removed a WM_QUIT (it stays set).
ORV_API bool GotQuitMessage();

// Filters see every pumped message in order of registration; one returning true consumes it. The
// list is locked while the filters run, so a filter may add or remove filters (also itself): a
// removed filter is skipped at once and dropped from the list when the pump's walk ends. `module`
// (when given) is counted while its filter is registered; shut-down empties the list.
ORV_API void AddMessageFilter(bool (*filter)(MSG&), CModule* module);
ORV_API void RemoveMessageFilter(bool (*filter)(MSG&));

// Dialogs whose messages go through IsDialogMessageW, the newest first. No duplicates; null is
// ignored.
ORV_API void AddModelessDialog(HWND dialog);
ORV_API void RemoveModelessDialog(HWND dialog);
ORV_API bool IsModelessDialog(HWND dialog);

// WM_APP, WM_APP + 1, ... one number per call.
ORV_API UINT CreateAppMessage();
// Posts unless a message with this window and number is already waiting in the calling thread's
// queue (a null window means the thread's own messages). True when it posted the message.
ORV_API bool PostMessageOnce(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace Orv
