// tGapVector: a gap buffer, an array with a movable hole that makes repeated edits at one place cheap.
//
// The elements are addressed by logical index 0 .. Count() - 1. In storage they are split around the
// gap: the element with logical index i lives at storage index i when i < GapStart(), otherwise at
// i + GapSize(), where GapSize() = Capacity() - Count(). Inserting or erasing first moves the gap to
// the edit point (moving only the elements between the old and the new gap start), so a run of
// edits at one place costs O(1) each after the first.
//
// With the notify flag set, every change calls the same four virtual hooks as tVector, always with
// STORAGE indices, so a derived class can keep storage positions (markers) in step:
//   - moving the gap down to p (p < gap start): OnMovedUp(p, elements moved, gap size);
//   - moving the gap up to p (p > gap start): OnMovedDown(old storage start of the moved elements,
//     elements moved, gap size);
//   - growing the buffer: the part after the gap goes to the end of the new buffer, reported as
//     OnMovedUp(its old storage start, its length, capacity growth);
//   - Insert(p, ...) moves the gap to p and writes into it: OnInserted(p, p, n);
//   - Erase(p, n) moves the gap to p + n, so the erased elements are the n storage places right in
//     front of the gap, and then widens the gap over them: OnErased(p, p, n). Positions in (p, p + n]
//     thereby collapse onto p, which is exactly the new gap start.
//
// Not thread-safe: users that share a gap vector between threads lock it themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "orvutil/foundation/allocator.h"
#include "orvutil/foundation/precondition.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/foundation/vectorstorage.h"

namespace Orv {

template <typename T, int POD, unsigned N = 0, typename A = tMemAllocator<T>>
class tGapVector : public Detail::tVectorStorage<tGapVector<T, POD, N, A>, T, N, A> {
  using Ops = Detail::tElementOps<T, POD>;
  using Core = Detail::tVectorStorage<tGapVector, T, N, A>;
  friend Core;
  using Core::m_capacity;
  using Core::m_count;
  using Core::m_data;

 public:
  using value_type = T;

  // The inline storage is a member declared after the core's element pointer, so the pointer is set
  // once all members exist.
  tGapVector() : m_gapStart(0), m_notify(false) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    static_assert(offsetof(tGapVector, m_gapStart) == offsetof(tGapVector, m_count) + sizeof(unsigned) &&
                      Core::FieldsInOrder(offsetof(tGapVector, m_data), offsetof(tGapVector, m_capacity),
                                          offsetof(tGapVector, m_count), sizeof(unsigned),
                                          offsetof(tGapVector, m_inline), offsetof(tGapVector, m_notify)),
                  "tGapVector keeps its field order");
#pragma GCC diagnostic pop
    this->ResetToInline();
  }

  tGapVector(const tGapVector& other) : tGapVector() { CopyFrom(other); }

  tGapVector(tGapVector&& other) noexcept : tGapVector() { TakeFrom(other); }

  tGapVector& operator=(const tGapVector& other) {
    if (this != &other) {
      Clear();
      CopyFrom(other);
    }
    return *this;
  }

  tGapVector& operator=(tGapVector&& other) noexcept {
    if (this != &other) {
      Clear();
      TakeFrom(other);
    }
    return *this;
  }

  virtual ~tGapVector() {
    DestroyAll();
    this->ReleaseBuffer();
  }

  unsigned GapStart() const { return m_gapStart; }
  unsigned GapSize() const { return m_capacity - m_count; }

  // Storage index of the element with logical index `i` (i < Count()).
  unsigned StorageIndex(unsigned i) const { return i < m_gapStart ? i : i + GapSize(); }

  // Element access by logical index; `i` must be below Count() (checked in debug builds).
  T& operator[](unsigned i) {
    ORV_PRECONDITION(i < m_count);
    return m_data[StorageIndex(i)];
  }
  const T& operator[](unsigned i) const {
    ORV_PRECONDITION(i < m_count);
    return m_data[StorageIndex(i)];
  }
  // The last element; the gap vector must not be empty (checked in debug builds).
  T& Back() {
    ORV_PRECONDITION(m_count > 0);
    return (*this)[m_count - 1];
  }
  const T& Back() const {
    ORV_PRECONDITION(m_count > 0);
    return (*this)[m_count - 1];
  }

  // The raw storage, gap included: Capacity() places of which only those outside the gap hold
  // elements.
  const T* Storage() const { return m_data; }

  // Makes the elements [from, to) contiguous in storage (moving the gap out of the way only when it
  // splits them) and returns the first one. Null when the range is reversed or reaches past the end.
  T* Contiguous(unsigned from, unsigned to) {
    if (from > to || to > m_count) return nullptr;
    if (m_gapStart > from && m_gapStart < to) MoveGap(to);
    return m_data + StorageIndex(from);
  }

  bool IsNotifying() const { return m_notify; }
  void SetNotify(bool notify) { m_notify = notify; }

  // Moves the gap so that it starts at logical index `pos` (clamped to the count).
  void MoveGap(unsigned pos) {
    if (pos > m_count) pos = m_count;
    unsigned gap = GapSize();
    if (pos < m_gapStart) {
      unsigned moved = m_gapStart - pos;
      if (gap) Ops::ShiftUp(m_data + pos, moved, gap);
      m_gapStart = pos;
      if (m_notify) this->OnMovedUp(pos, moved, gap);
    } else if (pos > m_gapStart) {
      unsigned moved = pos - m_gapStart;
      unsigned from = m_gapStart + gap;
      if (gap) Ops::ShiftDown(m_data + from, moved, gap);
      m_gapStart = pos;
      if (m_notify) this->OnMovedDown(from, moved, gap);
    }
  }

  // Makes room for at least `need` elements. The part before the gap stays at the front, the part
  // after it moves to the end of the new buffer. False when the buffer could not be allocated; the
  // gap vector is unchanged then.
  bool Reserve(unsigned need) {
    if (need <= m_capacity) return true;
    unsigned capacity = this->GrownCapacity(need);
    unsigned tail = m_count - m_gapStart;
    unsigned tailStart = m_gapStart + GapSize();
    unsigned grownBy = capacity - m_capacity;
    bool moved = this->MoveToNewBuffer(capacity, [&](T* buffer) {
      if (m_gapStart) Ops::Relocate(buffer, m_data, m_gapStart);
      if (tail) Ops::Relocate(buffer + capacity - tail, m_data + tailStart, tail);
    });
    if (!moved) return false;
    if (m_notify) this->OnMovedUp(tailStart, tail, grownBy);
    return true;
  }

  // Inserts `count` elements copied from `source` before logical position `pos` (clamped to the
  // count). A source inside this gap vector is copied aside first, so the values inserted are those
  // from before the insert; such a source must be a run of elements on one side of the gap (false
  // otherwise). A null source or a zero count does nothing.
  bool Insert(unsigned pos, const T* source, unsigned count) {
    if (!source || count == 0) return true;
    if (count > ~0u - m_count) return false;
    if (pos > m_count) pos = m_count;
    switch (Locate(source, count)) {
      case eOutside:
        break;
      case eInsideElements:
        return Detail::InsertFromPrivateCopy<T, POD, A>(source, count,
                                                        [&](const T* copy) { return Insert(pos, copy, count); });
      case eInsideInvalid:
        return false;
    }
    if (!OpenAt(pos, count)) return false;
    Ops::CopyConstruct(m_data + pos, source, count);
    CloseAt(pos, count);
    return true;
  }

  bool Insert(unsigned pos, const T& value) { return Insert(pos, &value, 1); }

  bool PushBack(const T& value) { return Insert(m_count, &value, 1); }

  void PopBack() {
    if (m_count) Erase(m_count - 1, 1);
  }

  // Removes `count` elements from logical position `pos`; a range reaching past the end is cut
  // there, a position at or past the end does nothing.
  void Erase(unsigned pos, unsigned count) {
    if (pos >= m_count || count == 0) return;
    if (count > m_count - pos) count = m_count - pos;
    MoveGap(pos + count);
    Ops::Destroy(m_data + pos, count);
    m_gapStart = pos;
    m_count -= count;
    if (m_notify) this->OnErased(pos, pos, count);
  }

  // Grows with copies of `fill` at the end or shrinks from the end to `count` elements.
  bool Resize(unsigned count, const T& fill = T()) {
    if (count < m_count) {
      Erase(count, m_count - count);
      return true;
    }
    unsigned added = count - m_count;
    if (added == 0) return true;
    if (Locate(&fill, 1) != eOutside) {
      T copy(fill);  // the fill value would move (or be overwritten) while making room
      return Resize(count, copy);
    }
    unsigned pos = m_count;
    if (!OpenAt(pos, added)) return false;
    Ops::Fill(m_data + pos, added, fill);
    CloseAt(pos, added);
    return true;
  }

  // Removes every element. Without notification the buffer is emptied in place; with it, this is
  // Erase(0, Count()) and reports the same hooks.
  void Clear() {
    if (m_notify) {
      Erase(0, m_count);
      return;
    }
    DestroyAll();
    m_count = 0;
    m_gapStart = 0;
  }

 private:
  enum ESourcePlace { eOutside, eInsideElements, eInsideInvalid };

  // Where a source run lies relative to this gap vector's storage: outside it, on live elements
  // (one side of the gap), or somewhere it cannot be read from (the gap, past the end, misaligned).
  ESourcePlace Locate(const T* source, unsigned count) const {
    uintptr_t begin = reinterpret_cast<uintptr_t>(m_data);
    uintptr_t end = reinterpret_cast<uintptr_t>(m_data + m_capacity);
    uintptr_t at = reinterpret_cast<uintptr_t>(source);
    if (at >= end) return eOutside;
    if (at < begin) return (begin - at) / sizeof(T) >= count ? eOutside : eInsideInvalid;
    if ((at - begin) % sizeof(T) != 0) return eInsideInvalid;
    unsigned first = static_cast<unsigned>((at - begin) / sizeof(T));
    unsigned tailStart = m_gapStart + GapSize();
    if (first < m_gapStart) return count <= m_gapStart - first ? eInsideElements : eInsideInvalid;
    if (first >= tailStart) return count <= m_capacity - first ? eInsideElements : eInsideInvalid;
    return eInsideInvalid;
  }

  void DestroyAll() {
    Ops::Destroy(m_data, m_gapStart);
    Ops::Destroy(m_data + m_gapStart + GapSize(), m_count - m_gapStart);
  }

  // Appends the elements of `other`, both sides of its gap.
  void CopyFrom(const tGapVector& other) {
    if (!Reserve(m_count + other.m_count)) return;
    Insert(m_count, other.m_data, other.m_gapStart);
    Insert(m_count, other.m_data + other.m_gapStart + other.GapSize(), other.m_count - other.m_gapStart);
  }

  // Takes the contents of `other`, leaving it empty; `this` is empty.
  void TakeFrom(tGapVector& other) {
    if (!this->TakeBufferOf(other)) {
      CopyFrom(other);  // inline contents cannot change hands
      other.Clear();
      return;
    }
    m_gapStart = other.m_gapStart;
    other.m_gapStart = 0;
  }

  // Makes `count` uninitialised places at logical (and storage) index `pos`: the start of the gap.
  bool OpenAt(unsigned pos, unsigned count) {
    if (!Reserve(m_count + count)) return false;
    MoveGap(pos);
    return true;
  }

  // Takes `count` elements just written at the gap start `pos` into the contents.
  void CloseAt(unsigned pos, unsigned count) {
    m_gapStart += count;
    m_count += count;
    if (m_notify) this->OnInserted(pos, pos, count);
  }

  // After the core's element pointer, capacity and count.
  unsigned m_gapStart;
  Detail::tInlineStorage<T, N> m_inline;
  bool m_notify;
};

// Gap vector of objects (constructed, moved and destroyed one by one).
template <typename T, unsigned N = 0, typename A = tMemAllocator<T>>
using tObjGapVector = tGapVector<T, 0, N, A>;

// Gap vector of plain data (moved with memory copies).
template <typename T, unsigned N = 0, typename A = tMemAllocator<T>>
using tGapVectorPOD = tGapVector<T, 1, N, A>;

// Gap vector of pointers to T; the pointed-to objects are not owned.
template <typename T, unsigned N = 0>
using tPtrGapVector = tGapVector<T*, 1, N, tMemAllocator<T*>>;

}  // namespace Orv
