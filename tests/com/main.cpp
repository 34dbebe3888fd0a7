// com_tests runs with the library started, as a host program would. With --lifecycle it instead
// plays the start-up and shut-down scenario that the test in lifecycle_test.cpp watches from outside.
#include <string.h>

#include <gtest/gtest.h>

#include "orvutil/com.h"

ORV_DEFINE_MODULE(Orv::CModule)

int RunLifecycleScenario();

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "--lifecycle") == 0) return RunLifecycleScenario();
  ::testing::InitGoogleTest(&argc, argv);
  Orv::GetThisModule();  // the executable's module exists before start-up, as in a host program
  Orv::CWinMainInit init(Orv::eWinMainComApartment);
  return RUN_ALL_TESTS();
}
