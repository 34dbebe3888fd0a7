// The ui tests run inside a started library, as windows of a real program do: the library's locks
// are live and main-thread dispatch has its window.
#include "orvutil/com.h"
#include "ui_test_support.h"

int main(int argc, char** argv) {
  Orv::CWinMainInit init(0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
