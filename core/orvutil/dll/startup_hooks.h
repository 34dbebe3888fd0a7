// The threading services that library start-up starts and shut-down stops.
#pragma once

namespace Orv {
namespace Detail {

// Start-up: main-thread dispatch (the main thread's identity, wake event and message window).
void StartThreadingServices();
// Shut-down, first of all: flush every thread pool's work, then the functions posted to the main
// thread, then run the main thread's exit functions and close main-thread dispatch.
void StopThreadingServices();

}  // namespace Detail
}  // namespace Orv
