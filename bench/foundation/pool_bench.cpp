// Pool allocation against the C runtime heap.
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
  auto peer = [] {
    AllocateAndFree([] { return static_cast<Object32*>(std::malloc(sizeof(Object32))); },
                    [](Object32* o) { std::free(o); });
  };
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(false);
  OrvBench::Compare("pool.new_delete_32B (locks off)", "malloc/free", ours, peer);
  // After library start-up every pool takes its own lock.
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(true);
  OrvBench::Compare("pool.new_delete_32B (locks on)", "malloc/free", ours, peer);
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(false);
}
