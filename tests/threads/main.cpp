// threads_tests runs with the library started, as a host program would. With --lifecycle it instead
// plays the start-up and shut-down scenario that the test in lifecycle_test.cpp watches from outside.
#include <string.h>

#include <gtest/gtest.h>

#include "orvutil/com.h"

ORV_DEFINE_MODULE(Orv::CModule)

int RunLifecycleScenario();

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "--lifecycle") == 0) return RunLifecycleScenario();
  ::testing::InitGoogleTest(&argc, argv);
  Orv::CWinMainInit init(0);
  return RUN_ALL_TESTS();
}
