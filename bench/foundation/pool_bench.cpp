// Pool allocation against the heap, like for like: the pool with its lock (as after library
// start-up) against the thread-safe C runtime heap, and the pool without locking (before start-up,
// or a pool its owner guards) against a private Windows heap that does not serialise either.
#include <windows.h>

#include <cstdlib>

#include "../harness.h"
#include "orvutil/foundation.h"

namespace {

struct Object32 {
  unsigned words[8];
};

// Allocates a few objects and frees them again, the way short-lived records are used.
template <typename New, typename Free>
void AllocateAndFree(New newObject, Free freeObject) {
  Object32* objects[4];
  for (Object32*& object : objects) {
    object = newObject();
    object->words[0] = 1;
  }
  for (Object32* object : objects) freeObject(object);
}

}  // namespace

ORV_BENCHMARK(PoolAllocateFree) {
  Orv::tPoolAllocator<Object32> pool;
  auto ours = [&] { AllocateAndFree([&] { return pool.New(); }, [&](Object32* o) { pool.Delete(o); }); };

  // After library start-up every pool takes its own lock.
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(true);
  OrvBench::Compare("pool.new_delete_32B x4 (locks on)", "malloc/free (thread-safe heap)", ours, [] {
    AllocateAndFree([] { return static_cast<Object32*>(std::malloc(sizeof(Object32))); },
                    [](Object32* o) { std::free(o); });
  });

  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(false);
  HANDLE heap = ::HeapCreate(HEAP_NO_SERIALIZE, 0, 0);
  OrvBench::Compare("pool.new_delete_32B x4 (locks off)", "HeapAlloc/HeapFree, HEAP_NO_SERIALIZE", ours, [heap] {
    AllocateAndFree([heap] { return static_cast<Object32*>(::HeapAlloc(heap, HEAP_NO_SERIALIZE, sizeof(Object32))); },
                    [heap](Object32* o) { ::HeapFree(heap, HEAP_NO_SERIALIZE, o); });
  });
  ::HeapDestroy(heap);
}
