// The list of all thread pools (global critical section eGlobalCSThreadPools), which pools join when constructed and
// leave when their destruction begins.
#pragma once

namespace Orv {

class CThreadPool;

namespace Detail {

void RegisterThreadPool(CThreadPool* pool);
void UnregisterThreadPool(CThreadPool* pool);
// Whether the pool is on the list (its destruction has not begun); the caller holds the list's lock.
bool IsThreadPoolRegistered(CThreadPool* pool);

}  // namespace Detail
}  // namespace Orv
