// Start-up and shut-down happen once per process, so they are checked in a child process that
// plays lifecycle_scenario.cpp and reports each step on its standard output.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "../support/run_self.h"

namespace {

TEST(Lifecycle, StartsOnceAndShutsDownInOrder) {
  DWORD exitCode = 1;
  std::string output = OrvTest::RunSelf(L"--lifecycle", exitCode);
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
