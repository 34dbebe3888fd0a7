// The library's global service collection.
#include <atomic>

#include "orvutil/com/module.h"
#include "orvutil/com/services.h"
#include "orvutil/com/startup.h"
#include "orvutil/threads/locks.h"

namespace Orv {

namespace {

std::atomic<IServiceCollection*> g_global{nullptr};
std::atomic<bool> g_released{false};

void ReleaseGlobalServiceCollection() {
  g_released = true;
  if (IServiceCollection* collection = g_global.exchange(nullptr)) collection->Release();
}

}  // namespace

IServiceCollection* GetGlobalServiceCollection() {
  if (IServiceCollection* collection = g_global) return collection;
  CScopeCriticalSection guard(eGlobalCSServiceCollection);
  if (!g_global && !g_released) {
    IServiceCollection* collection = nullptr;
    if (CreateServiceCollection(true, &collection)) {
      g_global = collection;
      AtShutdown(&ReleaseGlobalServiceCollection, &GetOrvutilModule());
    }
  }
  return g_global;
}

}  // namespace Orv
