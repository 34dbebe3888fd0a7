// The storage core shared by tVector and tGapVector: the element buffer (inline room for N elements
// or a block from allocator A), its capacity and the element count, handing a heap buffer from one
// container to another, growing into a new buffer, and the four change hooks.
//
// Derived is the container. It declares its own inline storage (m_inline) and notify flag (m_notify)
// after any fields of its own, so each container keeps its field order: the vtable pointer, the
// element pointer, the capacity and the count, then the container's own fields, the inline storage
// and the notify flag.
#pragma once

#include <cstddef>

#include "orvutil/foundation/allocator.h"

namespace Orv {
namespace Detail {

// Raw, suitably aligned room for N elements inside an object; nothing at all for N = 0.
template <typename T, unsigned N>
struct tInlineStorage {
  T* Get() const { return reinterpret_cast<T*>(const_cast<unsigned char*>(bytes)); }
  alignas(T) unsigned char bytes[N * sizeof(T)];
};

template <typename T>
struct tInlineStorage<T, 0> {
  T* Get() const { return nullptr; }
};

template <typename Derived, typename T, unsigned N, typename A>
class tVectorStorage {
 public:
  unsigned Count() const { return m_count; }
  unsigned Capacity() const { return m_capacity; }
  bool IsEmpty() const { return m_count == 0; }

 protected:
  // The element pointer starts at the inline storage, which the container sets once all its members
  // exist (ResetToInline).
  tVectorStorage() : m_data(nullptr), m_capacity(N), m_count(0) {}
  tVectorStorage(const tVectorStorage&) = delete;
  tVectorStorage& operator=(const tVectorStorage&) = delete;
  virtual ~tVectorStorage() = default;

  // Change hooks, called only while the container's notify flag is set. Arguments are storage
  // indices.
  virtual void OnInserted(unsigned /*first*/, unsigned /*first2*/, unsigned /*count*/) {}
  virtual void OnErased(unsigned /*first*/, unsigned /*first2*/, unsigned /*count*/) {}
  virtual void OnMovedUp(unsigned /*first*/, unsigned /*length*/, unsigned /*distance*/) {}
  virtual void OnMovedDown(unsigned /*first*/, unsigned /*length*/, unsigned /*distance*/) {}

  // Whether a container's fields lie in the kept order, given their offsets: the element pointer right
  // after the vtable pointer, then the capacity and the count, `ownBytes` of the container's own
  // fields, the inline storage and the notify flag, each at its natural alignment. Containers
  // static_assert this (32-bit and 64-bit builds alike).
  static constexpr bool FieldsInOrder(size_t data, size_t capacity, size_t count, size_t ownBytes, size_t inlineAt,
                                      size_t notifyAt) {
    using Inline = tInlineStorage<T, N>;
    size_t afterOwn = count + sizeof(unsigned) + ownBytes;
    size_t inlineExpected = (afterOwn + alignof(Inline) - 1) / alignof(Inline) * alignof(Inline);
    return data == sizeof(void*) && capacity == data + sizeof(T*) && count == capacity + sizeof(unsigned) &&
           inlineAt == inlineExpected && notifyAt == inlineAt + sizeof(Inline);
  }

  T* InlineData() const { return static_cast<const Derived*>(this)->m_inline.Get(); }
  bool IsInline() const { return N > 0 && m_data == InlineData(); }

  // Points at the (empty) inline storage with its capacity; the heap buffer, if any, is not freed.
  void ResetToInline() {
    m_data = InlineData();
    m_capacity = N;
  }

  // Frees the heap buffer, if any, and goes back to the inline storage. The elements must have been
  // destroyed or moved away.
  void ReleaseBuffer() {
    if (!IsInline() && m_data) A::Free(m_data);
    ResetToInline();
  }

  // Takes the heap buffer of `other` (its elements, capacity and count) and leaves `other` empty on
  // its inline storage; `this` must be empty. False, and nothing done, when `other` has no heap
  // buffer: inline contents cannot change hands and must be copied.
  bool TakeBufferOf(tVectorStorage& other) {
    if (other.IsInline() || !other.m_data) return false;
    ReleaseBuffer();
    m_data = other.m_data;
    m_capacity = other.m_capacity;
    m_count = other.m_count;
    other.ResetToInline();
    other.m_count = 0;
    return true;
  }

  // The capacity to grow to for `need` elements (the rule of every growable array).
  unsigned GrownCapacity(unsigned need) const { return Detail::GrownCapacity(m_capacity, need); }

  // Moves to a new heap buffer of `capacity` elements: `relocate(buffer)` moves the elements from the
  // current buffer into it, then the current buffer is released. False, and nothing changed, when the
  // buffer could not be allocated.
  template <typename Relocate>
  bool MoveToNewBuffer(unsigned capacity, Relocate&& relocate) {
    T* buffer = A::Allocate(capacity);
    if (!buffer) return false;
    relocate(buffer);
    ReleaseBuffer();
    m_data = buffer;
    m_capacity = capacity;
    return true;
  }

  T* m_data;
  unsigned m_capacity;
  unsigned m_count;
};

}  // namespace Detail
}  // namespace Orv
