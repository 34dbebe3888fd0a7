// The library-internal side of main-thread dispatch: start-up, the main thread's clean-up at
// shut-down, and the thread-exit hook of the DLL entry point.
#pragma once

namespace Orv {
namespace Detail {

// Start-up, on the main thread: records the thread, creates the wake event and the message window.
void StartMainThreadDispatch();
// Shut-down, on the main thread, after the last flush: runs the main thread's exit functions, stops
// accepting posts, destroys the message window (running what was still queued) and closes the event.
void StopMainThreadDispatch();
// Runs the exit functions that the calling thread registered, newest first.
void RunThreadExitFunctions();

}  // namespace Detail
}  // namespace Orv
