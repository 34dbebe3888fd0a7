// Main-thread dispatch: functions posted from any thread run on the thread that started the library.
//
// The main thread runs the queue when its message-only window receives the wake-up message, when it
// calls FlushMainThreadFunctions, and while it blocks in WaitForHandle. The queue lock is held only
// to move entries, never while a function runs, so posted functions may post further functions.
// AtThreadExit functions run on their own thread when it leaves (the main thread's at shut-down).
#pragma once

#include <windows.h>

#include <functional>

#include "orvutil/export.h"

namespace Orv {

class CModule;

ORV_API unsigned long GetMainThreadID();
ORV_API bool IsRunningOnMainThread();
// Queues `fn` for the main thread; `module` (when given) stays counted until it ran. Dropped when
// the library has not started.
ORV_API void PostMainThreadFunction(std::function<void()> fn, CModule* module = nullptr);
// Runs the functions queued so far (main thread only; elsewhere it returns at once).
ORV_API void FlushMainThreadFunctions();
ORV_API void AtThreadExit(std::function<void()> fn, CModule* module = nullptr);
// A null handle counts as set.
ORV_API bool IsEventSet(HANDLE handle);
// Waits until `handle` is signalled; on the main thread, runs posted functions meanwhile.
ORV_API bool WaitForHandle(HANDLE handle);

}  // namespace Orv
