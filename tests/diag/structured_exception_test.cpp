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

// Faults become exceptions with their code and address, on any thread and again and again; locals
// between the fault and the handler are destroyed; faults handled by system code stay untouched.
TEST(StructuredExceptions, FaultsAreCaughtWithCodeAndAddress) {
  ASSERT_TRUE(Orv::IsStructuredExceptionTranslatorInstalled());
  struct Case {
    int (*fault)();
    unsigned long code;
  } const cases[] = {{ReadNull, EXCEPTION_ACCESS_VIOLATION}, {DivideByZero, EXCEPTION_INT_DIVIDE_BY_ZERO},
                     {ReadNullWithLocal, EXCEPTION_ACCESS_VIOLATION}};
  g_destroyed = 0;
  for (Case const& c : cases) {
    std::thread([&] {
      for (int i = 0; i < 2; ++i) {
        try {
          c.fault();
          ADD_FAILURE() << "no exception";
        } catch (Orv::CStructuredException const& e) {
          EXPECT_EQ(c.code, e.GetCode());
          if (c.fault != ReadNullWithLocal) {
            EXPECT_TRUE(IsInside(e.GetAddresss(), reinterpret_cast<void*>(c.fault)));
          }
        }
      }
    }).join();
  }
  EXPECT_EQ(2, g_destroyed);
  EXPECT_TRUE(::IsBadReadPtr(nullptr, 4));
  Orv::CStructuredException copy(1, nullptr);
  copy = Orv::CStructuredException(EXCEPTION_ACCESS_VIOLATION, &g_destroyed);
  EXPECT_EQ(static_cast<void*>(&g_destroyed), copy.GetAddresss());
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

// Uninstalling puts back the filter found at installation, or leaves one installed over the
// translator; installing again translates again.
TEST(StructuredExceptions, UninstallRestoresThePreviousFilter) {
  LPTOP_LEVEL_EXCEPTION_FILTER translator = CurrentFilter();
  Orv::UninstallStructuredExceptionTranslator();
  EXPECT_FALSE(Orv::IsStructuredExceptionTranslatorInstalled());
  LPTOP_LEVEL_EXCEPTION_FILTER original = CurrentFilter();
  EXPECT_NE(translator, original);
  ::SetUnhandledExceptionFilter(&ProbeFilter);
  Orv::InstallStructuredExceptionTranslator();
  Orv::UninstallStructuredExceptionTranslator();
  EXPECT_EQ(&ProbeFilter, CurrentFilter());
  ::SetUnhandledExceptionFilter(original);
  Orv::InstallStructuredExceptionTranslator();
  ::SetUnhandledExceptionFilter(&ProbeFilter);
  Orv::UninstallStructuredExceptionTranslator();
  EXPECT_EQ(&ProbeFilter, CurrentFilter());
  ::SetUnhandledExceptionFilter(original);
  Orv::InstallStructuredExceptionTranslator();  // back as the test program started
  EXPECT_EQ(translator, CurrentFilter());
  bool caught = false;
  try {
    ReadNull();
  } catch (Orv::CStructuredException const&) {
    caught = true;
  }
  EXPECT_TRUE(caught);
}

}  // namespace
