// tMemAllocator: the default allocator of every container, a thin layer over the aligned heap,
// and the growth rule every growable array follows.
#pragma once

#include <malloc.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace Orv {

template <typename T>
struct tMemAllocator {
  // Uninitialised storage for `count` elements; null when the heap is exhausted or the byte
  // size does not fit the address space.
  static T* Allocate(unsigned count) {
    if (count > SIZE_MAX / sizeof(T)) return nullptr;
    return static_cast<T*>(_aligned_malloc(static_cast<size_t>(count) * sizeof(T), alignof(T)));
  }
  static void Free(T* block) { _aligned_free(block); }
  // Resizes a block of trivially copyable elements, in place when the heap can; null (and the
  // block untouched) on failure.
  static T* Reallocate(T* block, unsigned count) {
    if (count > SIZE_MAX / sizeof(T)) return nullptr;
    return static_cast<T*>(_aligned_realloc(block, static_cast<size_t>(count) * sizeof(T), alignof(T)));
  }
};

namespace Detail {

// Whether allocator A can resize a block in place (A::Reallocate).
template <typename A, typename T, typename = void>
struct tCanReallocate : std::false_type {};
template <typename A, typename T>
struct tCanReallocate<A, T, decltype(void(A::Reallocate(static_cast<T*>(nullptr), 0u)))> : std::true_type {};

// Capacity an array grows to when it must hold `need` elements: at least 8, doubling while the
// step stays at most 1024 elements, then steps of 1024, and never less than `need`.
inline unsigned GrownCapacity(unsigned capacity, unsigned need) {
  if (need <= capacity) return capacity;
  unsigned grown = capacity < 8 ? 8 : capacity;
  if (grown < need) {
    unsigned step = grown < 1024 ? grown : 1024;
    grown = grown + step > need ? grown + step : need;
  }
  return grown;
}

}  // namespace Detail
}  // namespace Orv
