// The reliability tests run with the library started: background loads complete on the main thread.
#include <gtest/gtest.h>

#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  Orv::CWinMainInit init(0);
  return RUN_ALL_TESTS();
}
