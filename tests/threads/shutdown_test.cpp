// Shut-down happens once per process, so it is checked in a child process: the scenario below,
// played by `threads_tests --shutdown`, reports each step on its standard output. Work left in the
// global pool, functions posted by its completion and by the main thread's exit functions all run
// during shut-down, in that order, and nothing posted after the main thread's clean-up runs.
#include <stdio.h>

#include <gtest/gtest.h>

#include <string>

#include "../support/run_self.h"
#include "orvutil/com.h"
#include "orvutil/threads.h"

namespace {

void Say(char const* line) {
  printf("%s\n", line);
  fflush(stdout);
}

class CLateItem : public Orv::IWorkItem {
 public:
  void OnComplete() override { Say("work added during shut-down completed"); }
};

class CLeftOverItem : public Orv::IWorkItem {
 public:
  void OnComplete() override;
};

void AfterCleanUp() {
  bool ran = false;
  Orv::PostMainThreadFunction([&ran] { ran = true; });
  Orv::FlushMainThreadFunctions();
  printf("shut-down function: on main thread %d, late post ran %d\n", Orv::IsRunningOnMainThread() ? 1 : 0,
         ran ? 1 : 0);
  fflush(stdout);
}

}  // namespace

ORV_CLASS_GUID(CLeftOverItem, 0x279e1ef7, 0x6888, 0x476a, 0xb6, 0x24, 0x1b, 0x61, 0x4a, 0x23, 0x29, 0x55)
ORV_CLASS_GUID(CLateItem, 0x9d77c844, 0xc4d7, 0x4945, 0xb7, 0x73, 0x1d, 0x20, 0xb7, 0x36, 0x31, 0xdb)

// Runs while the library shuts down: work added now is waited for before AddWorkItem returns.
void CLeftOverItem::OnComplete() {
  Say("completion on the main thread");
  CLateItem* late = nullptr;
  Orv::CComObject<CLateItem>::CreateObject(nullptr, &late);
  Orv::GetGlobalThreadPool()->AddWorkItem(late);
  late->Release();
  Say("added work during shut-down");
  Orv::PostMainThreadFunction([] { Say("posted by the completion"); });
}

int RunShutdownScenario() {
  {
    Orv::CWinMainInit init(0);
    printf("running on main thread %d\n", Orv::IsRunningOnMainThread() ? 1 : 0);
    fflush(stdout);
    Orv::AtShutdown(&AfterCleanUp, nullptr);
    Orv::AtThreadExit([] { Say("exit function 1"); });
    Orv::AtThreadExit([] {
      Say("exit function 2");
      Orv::PostMainThreadFunction([] { Say("posted by an exit function"); });
    });
    CLeftOverItem* item = nullptr;
    Orv::CComObject<CLeftOverItem>::CreateObject(nullptr, &item);
    Orv::GetGlobalThreadPool()->AddWorkItem(item);
    item->Release();
    Say("shutting down");
  }
  Say("shut down");
  return 0;
}

TEST(ShutDown, FlushesPoolWorkThenPostedFunctionsThenRunsTheMainThreadsExitFunctions) {
  DWORD exitCode = 1;
  std::string output = OrvTest::RunSelf(L"--shutdown", exitCode);
  std::string expected =
      "running on main thread 1\n"
      "shutting down\n"
      "completion on the main thread\n"
      "work added during shut-down completed\n"
      "added work during shut-down\n"
      "posted by the completion\n"
      "exit function 2\n"
      "exit function 1\n"
      "posted by an exit function\n"
      "shut-down function: on main thread 0, late post ran 0\n"
      "shut down\n";
  EXPECT_EQ(expected, output);
  EXPECT_EQ(0u, exitCode);
}
