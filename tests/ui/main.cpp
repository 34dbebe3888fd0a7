// The ui tests run inside a started library, as windows of a real program do: the library's locks
// are live and main-thread dispatch has its window.
#include <gtest/gtest.h>

#include "orvutil/com.h"
#include "orvutil/ui.h"
#include "ui_test_support.h"

namespace UiTests {

UINT g_firstAppMessage = 0;

}  // namespace UiTests

int main(int argc, char** argv) {
  // Taken before anything else in the process can ask for one.
  UiTests::g_firstAppMessage = Orv::CreateAppMessage();
  int result;
  {
    Orv::CWinMainInit init(0);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  return result;
}
