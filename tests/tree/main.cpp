// The tree tests run with the library started, as a host would use trees.
#include <gtest/gtest.h>

#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  Orv::CWinMainInit init(0);
  return RUN_ALL_TESTS();
}
