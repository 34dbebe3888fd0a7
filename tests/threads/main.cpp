// threads_tests runs with the library started, as a host program would. With --shutdown it instead
// plays the shut-down scenario that the test in shutdown_test.cpp watches from outside.
#include <string.h>

#include <gtest/gtest.h>

#include "orvutil/com.h"

ORV_DEFINE_MODULE(Orv::CModule)

int RunShutdownScenario();

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "--shutdown") == 0) return RunShutdownScenario();
  ::testing::InitGoogleTest(&argc, argv);
  int result;
  {
    Orv::CWinMainInit init(0);
    result = RUN_ALL_TESTS();
  }
  return result;
}
