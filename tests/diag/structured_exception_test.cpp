// Structured exceptions surface as CStructuredException once the library has started, with their
// code and address, on any thread and again and again, also for a fault on the very first
// instruction of a protected region; locals between the fault and the handler are destroyed.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "orvutil/diag.h"

namespace {

int g_destroyed = 0;

struct SGuard {
  ~SGuard() { ++g_destroyed; }
};

// Works on its arguments as they arrive in registers, so that the faulting load opens the function
// and the guard's scope, the region that must handle it, with nothing before it that could trap.
__attribute__((noinline, noipa)) int ReadInGuardedScope(volatile int* p, int) {
  SGuard guard;
  return *p;
}

LONG WINAPI ProbeFilter(EXCEPTION_POINTERS*) {
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

// A fault on a thread of its own, raised again on the main thread in the next test.
TEST(StructuredExceptionRegionStart, FaultsAreCaughtWithCodeAndAddressOnAnyThread) {
  ASSERT_TRUE(Orv::IsStructuredExceptionTranslatorInstalled());
  std::thread([] {
    try {
      ReadInGuardedScope(nullptr, 0);
      ADD_FAILURE() << "no exception";
    } catch (Orv::CStructuredException const& e) {
      EXPECT_EQ(static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION), e.GetCode());
      EXPECT_LT(reinterpret_cast<uintptr_t>(e.GetAddresss()) - reinterpret_cast<uintptr_t>(&ReadInGuardedScope), 64u);
    }
  }).join();
  EXPECT_EQ(1, g_destroyed);
  EXPECT_TRUE(::IsBadReadPtr(nullptr, 4));  // handled by system code: left alone
}

// Uninstalling puts back the filter found at installation, or leaves one installed over the
// translator; installing again translates again.
TEST(StructuredExceptions, UninstallRestoresThePreviousFilter) {
  Orv::UninstallStructuredExceptionTranslator();
  EXPECT_FALSE(Orv::IsStructuredExceptionTranslatorInstalled());
  LPTOP_LEVEL_EXCEPTION_FILTER original = ::SetUnhandledExceptionFilter(&ProbeFilter);
  Orv::InstallStructuredExceptionTranslator();
  Orv::UninstallStructuredExceptionTranslator();
  EXPECT_EQ(&ProbeFilter, ::SetUnhandledExceptionFilter(original));  // the filter found at installation
  Orv::InstallStructuredExceptionTranslator();
  ::SetUnhandledExceptionFilter(&ProbeFilter);
  Orv::UninstallStructuredExceptionTranslator();
  EXPECT_EQ(&ProbeFilter, ::SetUnhandledExceptionFilter(original));  // the one installed over the translator
  Orv::InstallStructuredExceptionTranslator();                       // back as the test program started
  EXPECT_THROW(ReadInGuardedScope(nullptr, 0), Orv::CStructuredException);
}
