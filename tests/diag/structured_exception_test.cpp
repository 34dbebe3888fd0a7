// Structured exceptions surface as CStructuredException once the library has started, with their
// code and address, on any thread and again and again, also for a fault on the very first
// instruction of a protected region; locals between the fault and the handler are destroyed.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "orvutil/diag.h"

namespace {

int g_destroyed = 0;
volatile int g_sink = 0;

struct SGuard {
  ~SGuard() { ++g_destroyed; }
};

// Each function works on its arguments as they arrive in registers, so that the faulting
// instruction opens the function and the region that must handle it, with nothing before it that
// could trap. The load is the first instruction of the guard's scope.
__attribute__((noinline, noipa)) int ReadInGuardedScope(volatile int* p, int) {
  SGuard guard;
  return *p;
}

// The division is the first instruction of the try block; the code caught, 0 for none.
__attribute__((noinline, noipa)) unsigned long DivideAtTryStart(int ten, int zero) {
  try {
    g_sink = ten / zero;
  } catch (Orv::CStructuredException const& e) {
    return e.GetCode();
  }
  return 0;
}

// The load is the first instruction of the try block.
__attribute__((noinline, noipa)) bool ReadAtTryStart(volatile int* p) {
  try {
    g_sink = *p;
  } catch (Orv::CStructuredException const&) {
    return true;
  }
  return false;
}

LONG WINAPI ProbeFilter(EXCEPTION_POINTERS*) {
  return EXCEPTION_CONTINUE_SEARCH;
}

// The filter currently installed (read by swapping in a probe and back).
LPTOP_LEVEL_EXCEPTION_FILTER CurrentFilter() {
  LPTOP_LEVEL_EXCEPTION_FILTER current = ::SetUnhandledExceptionFilter(&ProbeFilter);
  ::SetUnhandledExceptionFilter(current);
  return current;
}

}  // namespace

// A fault on a thread of its own, the main thread faulting again and again below.
TEST(StructuredExceptionRegionStart, FaultsAreCaughtWithCodeAndAddressOnAnyThread) {
  ASSERT_TRUE(Orv::IsStructuredExceptionTranslatorInstalled());
  g_destroyed = 0;
  std::thread([] {
    try {
      ReadInGuardedScope(nullptr, 0);
      ADD_FAILURE() << "no exception";
    } catch (Orv::CStructuredException const& e) {
      EXPECT_EQ(static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION), e.GetCode());
      auto at = static_cast<char*>(e.GetAddresss()), start = reinterpret_cast<char*>(&ReadInGuardedScope);
      EXPECT_TRUE(at >= start && at < start + 64);
    }
  }).join();
  EXPECT_EQ(1, g_destroyed);
  EXPECT_EQ(static_cast<unsigned long>(EXCEPTION_INT_DIVIDE_BY_ZERO), DivideAtTryStart(10, 0));
  EXPECT_TRUE(ReadAtTryStart(nullptr));
  EXPECT_TRUE(::IsBadReadPtr(nullptr, 4));  // handled by system code: left alone
}

// Uninstalling puts back the filter found at installation, or leaves one installed over the
// translator; installing again translates again.
TEST(StructuredExceptions, UninstallRestoresThePreviousFilter) {
  LPTOP_LEVEL_EXCEPTION_FILTER translator = CurrentFilter();
  Orv::UninstallStructuredExceptionTranslator();
  EXPECT_FALSE(Orv::IsStructuredExceptionTranslatorInstalled());
  LPTOP_LEVEL_EXCEPTION_FILTER original = CurrentFilter();
  for (bool probeFirst : {true, false}) {
    ::SetUnhandledExceptionFilter(probeFirst ? &ProbeFilter : original);
    Orv::InstallStructuredExceptionTranslator();
    if (!probeFirst) ::SetUnhandledExceptionFilter(&ProbeFilter);
    Orv::UninstallStructuredExceptionTranslator();
    EXPECT_EQ(&ProbeFilter, CurrentFilter());
  }
  ::SetUnhandledExceptionFilter(original);
  Orv::InstallStructuredExceptionTranslator();  // back as the test program started
  EXPECT_EQ(translator, CurrentFilter());
  EXPECT_TRUE(ReadAtTryStart(nullptr));
}
