// StringAllocator: character buffers for strings in four pooled size classes (32, 64, 128 and 256
// characters) and the heap above that. Every buffer is preceded by a small header naming its
// owning allocator and size class, so that it finds its way back.
//
// One process-wide allocator serves every binary; it is thread-safe. It is also the allocator of
// character arrays: tVector<wchar_t, 1, N, StringAllocator>.
#pragma once

#include "orvutil/export.h"

namespace Orv {

enum EStringSizeClass : unsigned short {
  eStringSizeHeap = 0,
  eStringSize32 = 1,
  eStringSize64 = 2,
  eStringSize128 = 3,
  eStringSize256 = 4,
};

struct SStringAllocatorStats {
  long references;           // 1 for the allocator itself plus one per buffer handed out
  unsigned heapAllocations;  // buffers ever taken from the heap
  unsigned heapInUse;
  unsigned heapPeak;
  unsigned poolInUse[4];  // buffers handed out per pooled class (32, 64, 128, 256)
};

class ORV_API StringAllocator {
 public:
  // A buffer for `count` characters, or null when memory is exhausted.
  static wchar_t* NewPoolString(unsigned count);
  // Gives a buffer back to the allocator that made it; null is ignored.
  static void DeletePoolString(wchar_t* buffer);

  // The size class recorded in a buffer's header.
  static EStringSizeClass GetSizeClass(const wchar_t* buffer);
  // The size class a request for `count` characters is served from.
  static EStringSizeClass SizeClassFor(unsigned count);
  static SStringAllocatorStats GetStats();

  // Allocator interface of the containers.
  static wchar_t* Allocate(unsigned count) { return NewPoolString(count); }
  static void Free(wchar_t* buffer) { DeletePoolString(buffer); }
};

}  // namespace Orv
