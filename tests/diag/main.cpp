// diag_tests runs with the library started, as a host program would.
#include <gtest/gtest.h>

#include "orvutil/com.h"

ORV_DEFINE_MODULE(Orv::CModule)

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  Orv::CWinMainInit init(0);
  return RUN_ALL_TESTS();
}
