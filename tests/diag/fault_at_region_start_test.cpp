// A fault on the very first instruction of a protected region belongs to that region: the handler
// of a try block sees it and the destructors of a scope run.
//
// Each function below is built so that the faulting instruction opens its region: it works on its
// arguments as they arrive in registers, with nothing before the fault that could trap.
#include <windows.h>

#include <gtest/gtest.h>

#include "orvutil/diag.h"

namespace {

int g_destroyed = 0;
volatile int g_sink = 0;

struct SGuard {
  ~SGuard() { ++g_destroyed; }
};

// The load is the first instruction of the guard's scope.
__attribute__((noinline, noipa)) int ReadInGuardedScope(volatile int* p) {
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

}  // namespace

TEST(StructuredExceptionRegionStart, ScopeDestructorRunsForAFaultOnItsFirstInstruction) {
  g_destroyed = 0;
  unsigned long code = 0;
  try {
    ReadInGuardedScope(nullptr);
  } catch (Orv::CStructuredException const& e) {
    code = e.GetCode();
  }
  EXPECT_EQ(static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION), code);
  EXPECT_EQ(1, g_destroyed);
}

TEST(StructuredExceptionRegionStart, TryBlockCatchesAFaultOnItsFirstInstruction) {
  EXPECT_TRUE(DivideAtTryStart(10, 0));
  EXPECT_TRUE(ReadAtTryStart(nullptr));
}
