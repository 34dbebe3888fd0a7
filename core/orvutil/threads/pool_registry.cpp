// Operations over every thread pool: the global pool, flushing all work, suspending all workers.
//
// The list holds no references: a pool leaves it (under eGlobalCSThreadPools) before anything else
// happens in its destruction, so whoever walks the list under eGlobalCSThreadPools only meets live
// pools.
#include "pool_registry.h"

#include <atomic>

#include "../detail/never_destroyed.h"
#include "orvutil/com/module.h"
#include "orvutil/com/startup.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/threads/locks.h"
#include "orvutil/threads/threadpool.h"

namespace Orv {

namespace {

using PoolList = tVectorPOD<CThreadPool*>;

// Never destroyed: pools may outlive the library's static objects.
PoolList& Pools() {
  static Detail::tNeverDestroyed<PoolList> s_pools;
  return s_pools.Get();
}

std::atomic<IThreadPool*> g_globalPool{nullptr};
volatile LONG g_suspensions = 0;

void ReleaseGlobalThreadPool() {
  if (IThreadPool* pool = g_globalPool.exchange(nullptr)) pool->Release();
}

}  // namespace

namespace Detail {

void RegisterThreadPool(CThreadPool* pool) {
  CScopeCriticalSection guard(eGlobalCSThreadPools);
  Pools().PushBack(pool);
}

void UnregisterThreadPool(CThreadPool* pool) {
  CScopeCriticalSection guard(eGlobalCSThreadPools);
  PoolList& pools = Pools();
  for (unsigned i = 0; i < pools.Count(); ++i) {
    if (pools[i] == pool) {
      pools.Erase(i, 1);
      return;
    }
  }
}

bool IsThreadPoolRegistered(CThreadPool* pool) {
  for (CThreadPool* listed : Pools()) {
    if (listed == pool) return true;
  }
  return false;
}

}  // namespace Detail

IThreadPool* GetGlobalThreadPool() {
  if (IThreadPool* pool = g_globalPool) return pool;
  CScopeCriticalSection guard(eGlobalCSThreadPools);
  if (!g_globalPool) {
    IThreadPool* pool = nullptr;
    if (CreateThreadPool(&pool, 0)) {
      g_globalPool = pool;
      AtShutdown(&ReleaseGlobalThreadPool, &GetOrvutilModule());
    }
  }
  return g_globalPool;
}

void FlushAllThreadPoolWork() {
  tSmartPtrVector<CThreadPool, 8, IThreadPool> pools;
  {
    CScopeCriticalSection guard(eGlobalCSThreadPools);
    for (CThreadPool* pool : Pools()) pools.PushBack(pool);
  }
  for (CThreadPool* pool : pools) pool->WaitForAllWork();
}

void SuspendAllWorkerThreads() {
  if (::InterlockedIncrement(&g_suspensions) != 1) return;
  CScopeCriticalSection guard(eGlobalCSThreadPools);
  for (CThreadPool* pool : Pools()) pool->SuspendThreads();
}

void ResumeAllWorkerThreads() {
  if (::InterlockedDecrement(&g_suspensions) != 0) return;
  CScopeCriticalSection guard(eGlobalCSThreadPools);
  for (CThreadPool* pool : Pools()) pool->ResumeThreads();
}

}  // namespace Orv
