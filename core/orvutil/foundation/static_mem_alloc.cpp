// The depth counter of long-lived allocations.
#include "orvutil/foundation/pool.h"

namespace Orv {
namespace {

long g_staticAllocDepth = 0;

}  // namespace

CScopeStaticMemAlloc::CScopeStaticMemAlloc() {
  CScopeCriticalSection lock(eGlobalCSMemory);
  ++g_staticAllocDepth;
}

CScopeStaticMemAlloc::~CScopeStaticMemAlloc() {
  CScopeCriticalSection lock(eGlobalCSMemory);
  --g_staticAllocDepth;
}

long CScopeStaticMemAlloc::GetDepth() {
  CScopeCriticalSection lock(eGlobalCSMemory);
  return g_staticAllocDepth;
}

}  // namespace Orv
