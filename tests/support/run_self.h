// Test support: runs the test executable itself in a child process, for scenarios (start-up,
// shut-down) that happen once per process.
#pragma once

#include <windows.h>

#include <string>

namespace OrvTest {

// Runs this executable with `arguments` and returns what it wrote to standard output and standard
// error, without carriage returns; `exitCode` receives its exit code.
std::string RunSelf(wchar_t const* arguments, DWORD& exitCode);
// The same for the program at `path`.
std::string RunProgram(wchar_t const* path, wchar_t const* arguments, DWORD& exitCode);

}  // namespace OrvTest
