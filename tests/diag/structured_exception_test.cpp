// Structured exceptions surface as CStructuredException once the library has started.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "orvutil/com.h"
#include "orvutil/diag.h"

namespace {

int g_destroyed = 0;

struct SCountsDestruction {
  ~SCountsDestruction() { ++g_destroyed; }
};

int* volatile g_null = nullptr;
volatile int g_zero = 0;
volatile int g_ten = 10;
volatile int g_sink = 0;

__attribute__((noinline)) int ReadNull() {
  g_sink = *g_null;
  return g_sink;
}

__attribute__((noinline)) int ReadNullWithLocal() {
  SCountsDestruction local;
  return ReadNull() + 1;
}

__attribute__((noinline)) int DivideByZero() {
  g_sink = g_ten / g_zero;
  return g_sink;
}

bool IsInside(void* address, void* function) {
  auto a = reinterpret_cast<char*>(address);
  auto f = reinterpret_cast<char*>(function);
  return a >= f && a < f + 64;
}

TEST(StructuredExceptions, AccessViolationIsCaughtWithCodeAndAddress) {
  ASSERT_TRUE(Orv::IsStructuredExceptionTranslatorInstalled());
  try {
    ReadNull();
    FAIL() << "no exception";
  } catch (Orv::CStructuredException const& e) {
    EXPECT_EQ(static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION), e.GetCode());
    EXPECT_TRUE(IsInside(e.GetAddresss(), reinterpret_cast<void*>(&ReadNull))) << e.GetAddresss();
  }
}

TEST(StructuredExceptions, LocalsBetweenFaultAndHandlerAreDestroyed) {
  g_destroyed = 0;
  bool caught = false;
  try {
    ReadNullWithLocal();
  } catch (Orv::CStructuredException const&) {
    caught = true;
  }
  EXPECT_TRUE(caught);
  EXPECT_EQ(1, g_destroyed);
}

TEST(StructuredExceptions, OtherFaultsKeepTheirCode) {
  unsigned long code = 0;
  try {
    DivideByZero();
  } catch (Orv::CStructuredException const& e) {
    code = e.GetCode();
  }
  EXPECT_EQ(static_cast<unsigned long>(EXCEPTION_INT_DIVIDE_BY_ZERO), code);
}

TEST(StructuredExceptions, WorkerThreadsAreCoveredAndFaultsRepeat) {
  int caught = 0;
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) {
      try {
        ReadNull();
      } catch (Orv::CStructuredException const& e) {
        caught += e.GetCode() == EXCEPTION_ACCESS_VIOLATION;
      }
    }
  });
  worker.join();
  EXPECT_EQ(3, caught);
}

TEST(StructuredExceptions, FaultsHandledBySystemCodeStayUntouched) {
  // IsBadReadPtr probes with its own handler: it must still answer, not throw.
  EXPECT_TRUE(::IsBadReadPtr(nullptr, 4));
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

TEST(StructuredExceptions, UninstallRestoresThePreviousFilterAndInstallWorksAgain) {
  LPTOP_LEVEL_EXCEPTION_FILTER translator = CurrentFilter();
  Orv::UninstallStructuredExceptionTranslator();
  EXPECT_FALSE(Orv::IsStructuredExceptionTranslatorInstalled());
  EXPECT_NE(translator, CurrentFilter());
  Orv::InstallStructuredExceptionTranslator();
  EXPECT_EQ(translator, CurrentFilter());
  bool caught = false;
  try {
    ReadNull();
  } catch (Orv::CStructuredException const&) {
    caught = true;
  }
  EXPECT_TRUE(caught);
}

TEST(StructuredExceptions, UninstallLeavesAFilterInstalledOverTheTranslator) {
  Orv::UninstallStructuredExceptionTranslator();
  LPTOP_LEVEL_EXCEPTION_FILTER original = CurrentFilter();
  Orv::InstallStructuredExceptionTranslator();
  LPTOP_LEVEL_EXCEPTION_FILTER translator = ::SetUnhandledExceptionFilter(&ProbeFilter);
  EXPECT_NE(original, translator);
  Orv::UninstallStructuredExceptionTranslator();
  EXPECT_EQ(&ProbeFilter, CurrentFilter());
  ::SetUnhandledExceptionFilter(original);
  Orv::InstallStructuredExceptionTranslator();  // back as the test program started
  EXPECT_EQ(translator, CurrentFilter());
}

TEST(StructuredExceptions, CopyKeepsCodeAndAddress) {
  Orv::CStructuredException a(1, nullptr);
  Orv::CStructuredException b(EXCEPTION_ACCESS_VIOLATION, &g_destroyed);
  a = b;
  EXPECT_EQ(static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION), a.GetCode());
  EXPECT_EQ(static_cast<void*>(&g_destroyed), a.GetAddresss());
}

}  // namespace
