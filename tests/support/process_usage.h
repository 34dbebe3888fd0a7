// Test support: what a leak raises in a process, counted with the system's own figures.
#pragma once

#include <windows.h>

namespace OrvTest {

// The handles the process holds: GetProcessHandleCount, or where that reports none (as under Wine)
// the handle values that name an object.
DWORD HandleCount();
// The committed private memory: PrivateUsage of GetProcessMemoryInfo, or where that reports none
// (as under Wine) the sum of the committed private regions.
SIZE_T PrivateBytes();
// How many rounds a long-running test makes: the number in the environment variable `name`, else
// `byDefault`.
unsigned RoundsFromEnvironment(const char* name, unsigned byDefault);

}  // namespace OrvTest
