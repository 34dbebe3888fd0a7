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

// The smallest capacity a growing array takes, and the largest step it grows by.
constexpr unsigned kSmallestGrownCapacity = 8;
constexpr unsigned kLargestGrowthStep = 1024;

// Capacity an array grows to when it must hold `need` elements: at least kSmallestGrownCapacity,
// doubling while the step stays at most kLargestGrowthStep elements, then steps of that many, and
// never less than `need`.
inline unsigned GrownCapacity(unsigned capacity, unsigned need) {
  if (need <= capacity) return capacity;
  unsigned grown = capacity < kSmallestGrownCapacity ? kSmallestGrownCapacity : capacity;
  if (grown < need) {
    unsigned step = grown < kLargestGrowthStep ? grown : kLargestGrowthStep;
    grown = grown + step > need ? grown + step : need;
  }
  return grown;
}

}  // namespace Detail
}  // namespace Orv
