// Start-up and shut-down happen once per process, so they are checked in a child process: the
// scenario below, played by `com_tests --lifecycle`, reports each step on its standard output. The
// executable's module is never used there, so the library's module is the only one at first.
#include <stdio.h>

#include <gtest/gtest.h>

#include <string>

#include "../support/run_self.h"
#include "orvutil/com.h"
#include "orvutil/diag.h"

namespace {

void Say(char const* line, long value = -1) {
  value < 0 ? printf("%s\n", line) : printf("%s %ld\n", line, value);
  fflush(stdout);
}

// The start-up records also run when com_tests starts the library for its own tests: they speak
// only while the scenario plays.
bool g_playing = false;

Orv::StaticStartupFunction s_first([] {
  if (g_playing) Say("startup first-constructed");
});
Orv::StaticStartupFunction s_second([] {
  if (g_playing) Say("startup second-constructed");
});

class CHookedModule : public Orv::CModule {
 public:
  void AtStartup() override { Say("module started"); }
  void AtShutdown() override { Say("module shut down"); }
};

CHookedModule* g_hooked = nullptr;

}  // namespace

int RunLifecycleScenario() {
  g_playing = true;
  Say("main module is the library", Orv::GetMainModule() == &Orv::GetOrvutilModule());
  Say("locks before start-up", Orv::CScopeCriticalSection::AreCriticalSectionsAllowed());
  static CHookedModule hooked;
  g_hooked = &hooked;
  {
    Orv::CWinMainInit init(0);
    Say("first start-up", init.Success());
    Say("started", Orv::DidStartup());
    Say("locks after start-up", Orv::CScopeCriticalSection::AreCriticalSectionsAllowed());
    Say("translator installed", Orv::IsStructuredExceptionTranslatorInstalled());
    Orv::CWinMainInit second(0);
    Say("second start-up", second.Success());
    Orv::AtShutdown([] { Say("shutdown A (module count)", g_hooked->GetObjectCount()); }, &hooked);
    Orv::AtShutdown(nullptr, &hooked);
    Orv::AtShutdown([] { Say("shutdown B"); }, nullptr);
    Say("module count while registered", hooked.GetObjectCount());
    Say("shutting down");
  }
  Say("shut down", Orv::DidShutdown());
  Say("locks after shut-down", Orv::CScopeCriticalSection::AreCriticalSectionsAllowed());
  Say("module count after", hooked.GetObjectCount());
  Orv::CWinMainInit late(0);
  Say("start-up after shut-down", late.Success());
  return 0;
}

TEST(Lifecycle, StartsOnceAndShutsDownInOrder) {
  DWORD exitCode = 1;
  std::string output = OrvTest::RunSelf(L"--lifecycle", exitCode);
  std::string expected =
      "main module is the library 1\n"
      "locks before start-up 0\n"
      "startup second-constructed\n"
      "startup first-constructed\n"
      "module started\n"
      "first start-up 1\n"
      "started 1\n"
      "locks after start-up 1\n"
      "translator installed 1\n"
      "second start-up 0\n"
      "module count while registered 1\n"
      "shutting down\n"
      "shutdown B\n"
      "shutdown A (module count) 1\n"
      "module shut down\n"
      "shut down 1\n"
      "locks after shut-down 0\n"
      "module count after 0\n"
      "start-up after shut-down 0\n";
  EXPECT_EQ(expected, output);
  EXPECT_EQ(0u, exitCode);
}
