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
// could trap.
__attribute__((noinline, noipa)) int ReadFrom(volatile int* p, int) {
  return *p;
}

__attribute__((noinline, noipa)) int Divide(volatile int*, int zero) {
  return 10 / zero;
}

// The load is the first instruction of the guard's scope.
__attribute__((noinline, noipa)) int ReadInGuardedScope(volatile int* p, int) {
  SGuard guard;
  return *p;
}

// The division is the first instruction of the try block.
__attribute__((noinline, noipa)) bool DivideAtTryStart(int ten, int zero) {
  try {
    volatile int r = ten / zero;
    (void)r;
  } catch (Orv::CStructuredException const&) {
    return true;
  }
  return false;
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

TEST(StructuredExceptions, FaultsAreCaughtWithCodeAndAddress) {
  ASSERT_TRUE(Orv::IsStructuredExceptionTranslatorInstalled());
  struct Case {
    int (*fault)(volatile int*, int);
    unsigned long code;
  } const cases[] = {{ReadFrom, EXCEPTION_ACCESS_VIOLATION}, {Divide, EXCEPTION_INT_DIVIDE_BY_ZERO}};
  for (Case const& c : cases) {
    std::thread([&] {
      for (int i = 0; i < 2; ++i) {
        try {
          c.fault(nullptr, 0);
          ADD_FAILURE() << "no exception";
        } catch (Orv::CStructuredException const& e) {
          EXPECT_EQ(c.code, e.GetCode());
          auto at = static_cast<char*>(e.GetAddresss()), start = reinterpret_cast<char*>(c.fault);
          EXPECT_TRUE(at >= start && at < start + 64);
        }
      }
    }).join();
  }
  EXPECT_TRUE(::IsBadReadPtr(nullptr, 4));  // handled by system code: left alone
}

TEST(StructuredExceptionRegionStart, AFaultOnTheFirstInstructionBelongsToItsRegion) {
  g_destroyed = 0;
  unsigned long code = 0;
  try {
    ReadInGuardedScope(nullptr, 0);
  } catch (Orv::CStructuredException const& e) {
    code = e.GetCode();
  }
  EXPECT_EQ(static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION), code);
  EXPECT_EQ(1, g_destroyed);
  EXPECT_TRUE(DivideAtTryStart(10, 0));
  EXPECT_TRUE(ReadAtTryStart(nullptr));
}

// Uninstalling puts back the filter found at installation, or leaves one installed over the
// translator; installing again translates again.
TEST(StructuredExceptions, UninstallRestoresThePreviousFilter) {
  LPTOP_LEVEL_EXCEPTION_FILTER translator = CurrentFilter();
  Orv::UninstallStructuredExceptionTranslator();
  EXPECT_FALSE(Orv::IsStructuredExceptionTranslatorInstalled());
  LPTOP_LEVEL_EXCEPTION_FILTER original = CurrentFilter();
  EXPECT_NE(translator, original);
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
