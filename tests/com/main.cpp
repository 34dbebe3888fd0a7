// com_tests runs with the library started, as a host program would.
#include <gtest/gtest.h>

#include "orvutil/com.h"

ORV_DEFINE_MODULE(Orv::CModule)

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  Orv::GetThisModule();  // the executable's module exists before start-up, as in a host program
  Orv::CWinMainInit init(Orv::eWinMainComApartment);
  return RUN_ALL_TESTS();
}
