// Start-up and shut-down happen once per process, so they are checked in a child process that
// plays lifecycle_scenario.cpp and reports each step on its standard output.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// Runs this executable with `arguments` and returns what it wrote to standard output.
std::string RunSelf(wchar_t const* arguments, DWORD& exitCode) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return "no pipe";
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring commandLine = std::wstring(L"\"") + path + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process = {};
  BOOL started =
      ::CreateProcessW(path, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  ::CloseHandle(writeEnd);
  std::string output;
  char buffer[512];
  DWORD got = 0;
  while (started && ::ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) output.append(buffer, got);
  ::CloseHandle(readEnd);
  if (!started) return "not started";
  ::WaitForSingleObject(process.hProcess, INFINITE);
  ::GetExitCodeProcess(process.hProcess, &exitCode);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  return output;
}

TEST(Lifecycle, StartsOnceAndShutsDownInOrder) {
  DWORD exitCode = 1;
  std::string output = RunSelf(L"--lifecycle", exitCode);
  output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
  std::string expected =
      "main module is the library 1\n"
      "locks before start-up 0\n"
      "startup second-constructed\n"
      "startup first-constructed\n"
      "module hooked started\n"
      "first start-up 1\n"
      "started 1\n"
      "locks after start-up 1\n"
      "translator installed 1\n"
      "second start-up 0\n"
      "module count while registered 1\n"
      "shutting down\n"
      "shutdown B\n"
      "shutdown A (module count 1)\n"
      "module hooked shut down\n"
      "shut down 1\n"
      "locks after shut-down 0\n"
      "module count after 0\n"
      "start-up after shut-down 0\n";
  EXPECT_EQ(expected, output);
  EXPECT_EQ(0u, exitCode);
}

}  // namespace
