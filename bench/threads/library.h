// The thread benchmarks run with the library started, as a host program would.
#pragma once

namespace ThreadsBench {

// Starts the library once, on the calling (main) thread; it shuts down when the program exits.
void StartLibrary();

}  // namespace ThreadsBench
