// The start-up and shut-down scenario, played by `com_tests --lifecycle` in a process of its own
// and checked line by line by lifecycle_test.cpp. The executable's module is never used here, so
// the library's module is the only one at first.
#include <stdio.h>

#include "orvutil/com.h"
#include "orvutil/diag.h"

namespace {

void Say(char const* line) {
  printf("%s\n", line);
  fflush(stdout);
}

void SayFlag(char const* what, bool value) {
  printf("%s %d\n", what, value ? 1 : 0);
  fflush(stdout);
}

// The start-up records also run when com_tests starts the library for its own tests: they speak
// only while the scenario plays.
bool g_playing = false;

void StartFirst() {
  if (g_playing) Say("startup first-constructed");
}
void StartSecond() {
  if (g_playing) Say("startup second-constructed");
}

Orv::StaticStartupFunction s_first(&StartFirst);
Orv::StaticStartupFunction s_second(&StartSecond);

class CHookedModule : public Orv::CModule {
 public:
  explicit CHookedModule(char const* name) : m_name(name) {}
  void AtStartup() override { printf("module %s started\n", m_name), fflush(stdout); }
  void AtShutdown() override { printf("module %s shut down\n", m_name), fflush(stdout); }

 private:
  char const* m_name;
};

CHookedModule* g_hooked = nullptr;

void ShutdownA() {
  printf("shutdown A (module count %ld)\n", g_hooked->GetObjectCount()), fflush(stdout);
}
void ShutdownB() {
  Say("shutdown B");
}

}  // namespace

int RunLifecycleScenario() {
  g_playing = true;
  SayFlag("main module is the library", Orv::GetMainModule() == &Orv::GetOrvutilModule());
  SayFlag("locks before start-up", Orv::CScopeCriticalSection::AreCriticalSectionsAllowed());
  static CHookedModule hooked("hooked");
  g_hooked = &hooked;
  {
    Orv::CWinMainInit init(0);
    SayFlag("first start-up", init.Success());
    SayFlag("started", Orv::DidStartup());
    SayFlag("locks after start-up", Orv::CScopeCriticalSection::AreCriticalSectionsAllowed());
    SayFlag("translator installed", Orv::IsStructuredExceptionTranslatorInstalled());
    Orv::CWinMainInit second(0);
    SayFlag("second start-up", second.Success());
    Orv::AtShutdown(&ShutdownA, &hooked);
    Orv::AtShutdown(nullptr, &hooked);
    Orv::AtShutdown(&ShutdownB, nullptr);
    printf("module count while registered %ld\n", hooked.GetObjectCount()), fflush(stdout);
    Say("shutting down");
  }
  SayFlag("shut down", Orv::DidShutdown());
  SayFlag("locks after shut-down", Orv::CScopeCriticalSection::AreCriticalSectionsAllowed());
  printf("module count after %ld\n", hooked.GetObjectCount()), fflush(stdout);
  Orv::CWinMainInit late(0);
  SayFlag("start-up after shut-down", late.Success());
  return 0;
}
