// tVector: a growable array with optional inline storage and change hooks.
//
// tVector<T, POD, N, A> keeps up to N elements inside the object and moves to a buffer from the
// allocator A beyond that. With POD = 1 elements are moved with memory copies and never
// constructed or destroyed one by one; with POD = 0 they are objects. When the notify flag is set,
// every change calls one of four virtual hooks with storage indices, so that a derived class can
// keep positions (markers) in step with the contents.
//
// Not thread-safe: users that share an array between threads lock it themselves.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "orvutil/foundation/allocator.h"
#include "orvutil/foundation/precondition.h"
#include "orvutil/foundation/vectorstorage.h"

namespace Orv {
namespace Detail {

// Element moves for the two kinds of arrays. `Relocate` moves `count` elements from `from` to
// uninitialised, non-overlapping `to` and leaves `from` uninitialised.
template <typename T, int POD>
struct tElementOps {
  static void Relocate(T* to, T* from, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
      new (to + i) T(std::move(from[i]));
      from[i].~T();
    }
  }
  // Moves `count` elements at `first` up by `distance` places; the `distance` places above the
  // old end are uninitialised before, the `distance` places at `first` are afterwards.
  static void ShiftUp(T* first, unsigned count, unsigned distance) {
    for (unsigned i = count; i-- > 0;) {
      new (first + i + distance) T(std::move(first[i]));
      first[i].~T();
    }
  }
  // Moves `count` elements at `first` down by `distance` places into uninitialised room.
  static void ShiftDown(T* first, unsigned count, unsigned distance) {
    for (unsigned i = 0; i < count; ++i) {
      new (first + i - distance) T(std::move(first[i]));
      first[i].~T();
    }
  }
  static void CopyConstruct(T* to, const T* from, unsigned count) {
    for (unsigned i = 0; i < count; ++i) new (to + i) T(from[i]);
  }
  static void Fill(T* to, unsigned count, const T& value) {
    for (unsigned i = 0; i < count; ++i) new (to + i) T(value);
  }
  static void Destroy(T* first, unsigned count) {
    for (unsigned i = 0; i < count; ++i) first[i].~T();
  }
};

template <typename T>
struct tElementOps<T, 1> {
  static void Relocate(T* to, T* from, unsigned count) { std::memcpy(static_cast<void*>(to), from, Bytes(count)); }
  static void ShiftUp(T* first, unsigned count, unsigned distance) {
    std::memmove(static_cast<void*>(first + distance), first, Bytes(count));
  }
  static void ShiftDown(T* first, unsigned count, unsigned distance) {
    std::memmove(static_cast<void*>(first - distance), first, Bytes(count));
  }
  static void CopyConstruct(T* to, const T* from, unsigned count) {
    std::memcpy(static_cast<void*>(to), from, Bytes(count));
  }
  static void Fill(T* to, unsigned count, const T& value) {
    for (unsigned i = 0; i < count; ++i) to[i] = value;
  }
  static void Destroy(T*, unsigned) {}

 private:
  static size_t Bytes(unsigned count) { return static_cast<size_t>(count) * sizeof(T); }
};

// Runs `insert` on a private copy of `count` elements at `source`, for inserts whose source lies
// inside the container being changed. False when the copy could not be made.
template <typename T, int POD, typename A, typename Insert>
bool InsertFromPrivateCopy(const T* source, unsigned count, Insert insert) {
  T* copy = A::Allocate(count);
  if (!copy) return false;
  tElementOps<T, POD>::CopyConstruct(copy, source, count);
  bool inserted = insert(copy);
  tElementOps<T, POD>::Destroy(copy, count);
  A::Free(copy);
  return inserted;
}

}  // namespace Detail

template <typename T, int POD, unsigned N = 0, typename A = tMemAllocator<T>>
class tVector : public Detail::tVectorStorage<tVector<T, POD, N, A>, T, N, A> {
  using Ops = Detail::tElementOps<T, POD>;
  using Core = Detail::tVectorStorage<tVector, T, N, A>;
  friend Core;
  using Core::m_capacity;
  using Core::m_count;
  using Core::m_data;

 public:
  using value_type = T;

  // The inline storage is a member declared after the core's element pointer, so the pointer is set
  // once all members exist.
  tVector() : m_notify(false) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    static_assert(Core::FieldsInOrder(offsetof(tVector, m_data), offsetof(tVector, m_capacity),
                                      offsetof(tVector, m_count), 0, offsetof(tVector, m_inline),
                                      offsetof(tVector, m_notify)),
                  "tVector keeps its field order");
#pragma GCC diagnostic pop
    this->ResetToInline();
  }

  tVector(const tVector& other) : tVector() { Insert(0, other.m_data, other.m_count); }

  tVector(tVector&& other) noexcept : tVector() { TakeFrom(other); }

  tVector& operator=(const tVector& other) {
    if (this != &other) {
      Clear();
      Insert(0, other.m_data, other.m_count);
    }
    return *this;
  }

  tVector& operator=(tVector&& other) noexcept {
    if (this != &other) {
      Clear();
      TakeFrom(other);
    }
    return *this;
  }

  virtual ~tVector() {
    Ops::Destroy(m_data, m_count);
    this->ReleaseBuffer();
  }

  T* Data() { return m_data; }
  const T* Data() const { return m_data; }
  // Element access; `i` must be below Count() (checked in debug builds).
  T& operator[](unsigned i) {
    ORV_PRECONDITION(i < m_count);
    return m_data[i];
  }
  const T& operator[](unsigned i) const {
    ORV_PRECONDITION(i < m_count);
    return m_data[i];
  }
  // The last element; the vector must not be empty (checked in debug builds).
  T& Back() {
    ORV_PRECONDITION(m_count > 0);
    return m_data[m_count - 1];
  }
  const T& Back() const {
    ORV_PRECONDITION(m_count > 0);
    return m_data[m_count - 1];
  }

  T* begin() { return m_data; }
  T* end() { return m_data + m_count; }
  const T* begin() const { return m_data; }
  const T* end() const { return m_data + m_count; }

  bool IsNotifying() const { return m_notify; }
  void SetNotify(bool notify) { m_notify = notify; }

  // Makes room for at least `need` elements. False when the buffer could not be allocated; the
  // array is unchanged then.
  bool Reserve(unsigned need) {
    if (need <= m_capacity) return true;
    unsigned capacity = this->GrownCapacity(need);
    if (T* resized = ResizedHeapBuffer(capacity)) {
      m_data = resized;
      m_capacity = capacity;
      return true;
    }
    return this->MoveToNewBuffer(capacity, [&](T* buffer) { Ops::Relocate(buffer, m_data, m_count); });
  }

  // Inserts `count` elements copied from `source` before position `pos` (clamped to the count).
  // The source may lie inside this array: the values are those from before the insert.
  bool Insert(unsigned pos, const T* source, unsigned count) {
    if (!source || count == 0) return true;
    if (count > ~0u - m_count) return false;
    if (pos > m_count) pos = m_count;
    if (Overlaps(source, count))
      return Detail::InsertFromPrivateCopy<T, POD, A>(source, count,
                                                      [&](const T* copy) { return Insert(pos, copy, count); });
    if (!OpenGap(pos, count)) return false;
    Ops::CopyConstruct(m_data + pos, source, count);
    FinishInsert(pos, count);
    return true;
  }

  bool Insert(unsigned pos, const T& value) { return Insert(pos, &value, 1); }

  bool PushBack(const T& value) {
    if (m_count < m_capacity && !m_notify) {
      new (m_data + m_count) T(value);
      ++m_count;
      return true;
    }
    return Insert(m_count, &value, 1);
  }

  void PopBack() {
    if (m_count) Erase(m_count - 1, 1);
  }

  // Removes `count` elements from position `pos`; a range reaching past the end is cut there.
  void Erase(unsigned pos, unsigned count) {
    if (pos >= m_count || count == 0) return;
    if (count > m_count - pos) count = m_count - pos;
    unsigned tail = m_count - pos - count;
    Ops::Destroy(m_data + pos, count);
    Ops::ShiftDown(m_data + pos + count, tail, count);
    m_count -= count;
    if (m_notify) {
      this->OnErased(pos, pos, count);
      this->OnMovedDown(pos + count, tail, count);
    }
  }

  // Grows with copies of `fill` or shrinks from the end to `count` elements.
  bool Resize(unsigned count, const T& fill = T()) {
    if (count < m_count) {
      Erase(count, m_count - count);
      return true;
    }
    unsigned added = count - m_count;
    if (added == 0) return true;
    if (Overlaps(&fill, 1)) {
      T copy(fill);
      return Resize(count, copy);
    }
    unsigned pos = m_count;
    if (!OpenGap(pos, added)) return false;
    Ops::Fill(m_data + pos, added, fill);
    FinishInsert(pos, added);
    return true;
  }

  void Clear() { Erase(0, m_count); }

 private:
  bool Overlaps(const T* source, unsigned count) const { return source + count > m_data && source < m_data + m_count; }

  // Plain elements in a heap buffer grow in place where the allocator and the heap allow: past
  // 1024 elements arrays grow by a fixed step, and copying them at every step would make filling
  // an array quadratic. Null when that is not possible.
  T* ResizedHeapBuffer(unsigned capacity) {
    if constexpr (POD == 1 && Detail::tCanReallocate<A, T>::value) {
      if (!this->IsInline() && m_data) return A::Reallocate(m_data, capacity);
    }
    return nullptr;
  }

  // Takes the contents of `other`, leaving it empty; `this` is empty.
  void TakeFrom(tVector& other) {
    if (this->TakeBufferOf(other)) return;
    Insert(0, other.m_data, other.m_count);  // inline contents cannot change hands
    other.Clear();
  }

  // Makes `count` uninitialised places at `pos`, moving the elements behind it up.
  bool OpenGap(unsigned pos, unsigned count) {
    if (!Reserve(m_count + count)) return false;
    Ops::ShiftUp(m_data + pos, m_count - pos, count);
    return true;
  }

  void FinishInsert(unsigned pos, unsigned count) {
    m_count += count;
    if (m_notify) {
      this->OnMovedUp(pos, m_count - pos - count, count);
      this->OnInserted(pos, pos, count);
    }
  }

  // After the core's element pointer, capacity and count.
  Detail::tInlineStorage<T, N> m_inline;
  bool m_notify;
};

template <typename T, unsigned N = 0, typename A = tMemAllocator<T>>
using tVectorPOD = tVector<T, 1, N, A>;

template <typename T, unsigned N = 0, typename A = tMemAllocator<T>>
using tObjVector = tVector<T, 0, N, A>;

}  // namespace Orv
