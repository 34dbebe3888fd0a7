// Shut-down happens once per process, so it is checked in a child process that plays
// shutdown_scenario.cpp and reports each step on its standard output.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "../support/run_self.h"

namespace {

TEST(ShutDown, FlushesPoolWorkThenPostedFunctionsThenRunsTheMainThreadsExitFunctions) {
  DWORD exitCode = 1;
  std::string output = OrvTest::RunSelf(L"--shutdown", exitCode);
  std::string expected =
      "running on main thread 1\n"
      "shutting down\n"
      "completion on the main thread\n"
      "work added during shut-down completed\n"
      "added work during shut-down\n"
      "posted by the completion\n"
      "exit function 2\n"
      "exit function 1\n"
      "posted by an exit function\n"
      "shut-down function: on main thread 0, late post ran 0\n"
      "shut down\n";
  EXPECT_EQ(expected, output);
  EXPECT_EQ(0u, exitCode);
}

}  // namespace
