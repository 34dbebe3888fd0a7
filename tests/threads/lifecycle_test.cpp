// threads_tests runs with the library started, as a host program would. Start-up and shut-down
// happen once per process, so they are checked in a child process: with --lifecycle, threads_tests
// instead plays the scenario below, which reports each step on its standard output.
#include <stdio.h>
#include <string.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "../support/run_self.h"
#include "orvutil/com.h"
#include "orvutil/threads.h"
#include "test_items.h"

namespace {

void Say(char const* line, long value = -1) {
  value < 0 ? printf("%s\n", line) : printf("%s %ld\n", line, value);
  fflush(stdout);
}

// The start-up functions also run when threads_tests starts the library for its own tests: they
// speak only while the scenario plays.
bool g_playing = false;

Orv::StaticStartupFunction s_first([] {
  if (g_playing) Say("startup function 1");
});
Orv::StaticStartupFunction s_second([] {
  if (g_playing) Say("startup function 2");
});

class CHookedModule : public Orv::CModule {
 public:
  void AtStartup() override { Say("module started"); }
  void AtShutdown() override { Say("module shut down"); }
};

// Adds an item to the global pool that calls `completed` when it completes.
void AddToGlobalPool(std::function<void()> completed) {
  auto item = ThreadsTest::MakeItem();
  item->onEnd = std::move(completed);
  Orv::GetGlobalThreadPool()->AddWorkItem(item);
}

int RunLifecycleScenario() {
  g_playing = true;
  Say("locks before start-up", Orv::CScopeCriticalSection::AreCriticalSectionsAllowed());
  static CHookedModule hooked;
  {
    Orv::CWinMainInit init(0);
    Say("first start-up", init.Success() && Orv::DidStartup());
    Say("locks after start-up", Orv::CScopeCriticalSection::AreCriticalSectionsAllowed());
    Orv::CWinMainInit second(0);
    Say("second start-up", second.Success());
    Orv::AtShutdown(
        [] {  // after the main thread's clean-up nothing posted runs
          bool ran = false;
          Orv::PostMainThreadFunction([&ran] { ran = true; });
          Orv::FlushMainThreadFunctions();
          Say("shut-down function C: on the main thread or a late post ran", Orv::IsRunningOnMainThread() || ran);
        },
        nullptr);
    Orv::AtShutdown([] { Say("shut-down function A: module count", hooked.GetObjectCount()); }, &hooked);
    Orv::AtShutdown(nullptr, &hooked);
    Orv::AtShutdown([] { Say("shut-down function B"); }, nullptr);
    Orv::AtThreadExit([] { Say("exit function 1"); });
    Orv::AtThreadExit([] {
      Say("exit function 2");
      Orv::PostMainThreadFunction([] { Say("posted by an exit function"); });
    });
    AddToGlobalPool([] {  // left at shut-down; work it adds is waited for at once
      Say("left-over work completed on the main thread", Orv::IsRunningOnMainThread());
      AddToGlobalPool([] { Say("late work completed"); });
      Say("added late work");
      Orv::PostMainThreadFunction([] { Say("posted by the completion"); });
    });
    Say("shutting down");
  }
  Say("shut down", Orv::DidShutdown());
  Say("locks after shut-down", Orv::CScopeCriticalSection::AreCriticalSectionsAllowed());
  Say("module count after", hooked.GetObjectCount());
  Orv::CWinMainInit late(0);
  Say("start-up after shut-down", late.Success());
  return 0;
}

}  // namespace

ORV_DEFINE_MODULE(Orv::CModule)

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "--lifecycle") == 0) return RunLifecycleScenario();
  ::testing::InitGoogleTest(&argc, argv);
  Orv::CWinMainInit init(0);
  return RUN_ALL_TESTS();
}

// Shut-down flushes the pool's work, then posted functions, then runs the main thread's exit
// functions, then the shut-down functions newest first, then the modules' hooks.
TEST(Lifecycle, StartsOnceAndShutsDownInOrder) {
  DWORD exitCode = 1;
  std::string output = OrvTest::RunSelf(L"--lifecycle", exitCode);
  std::string expected =
      "locks before start-up 0\n"
      "startup function 2\n"
      "startup function 1\n"
      "module started\n"
      "first start-up 1\n"
      "locks after start-up 1\n"
      "second start-up 0\n"
      "shutting down\n"
      "left-over work completed on the main thread 1\n"
      "late work completed\n"
      "added late work\n"
      "posted by the completion\n"
      "exit function 2\n"
      "exit function 1\n"
      "posted by an exit function\n"
      "shut-down function B\n"
      "shut-down function A: module count 1\n"
      "shut-down function C: on the main thread or a late post ran 0\n"
      "module shut down\n"
      "shut down 1\n"
      "locks after shut-down 0\n"
      "module count after 0\n"
      "start-up after shut-down 0\n";
  EXPECT_EQ(expected, output);
  EXPECT_EQ(0u, exitCode);
}
