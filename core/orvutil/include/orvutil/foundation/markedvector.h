// tMarkedVector: a gap vector with markers, shared positions that follow every edit.
//
// A marker (tMarker) stands between two elements and keeps standing there while elements are
// inserted and erased around it. Markers live in one of two sorted lists, which differ only in what
// happens to a marker at the exact place of an insertion:
//   - list A: the marker stays in front of the inserted elements;
//   - list B: the marker ends up behind them.
// Erasing a range that holds markers moves them to the start of the range.
//
// Markers hold storage positions, not logical ones, so that moving the gap touches only the markers
// between the old and the new gap start. A marker at the gap start is always kept on the front side
// of the gap (at storage index GapStart()), never at the far side: this is what lets a list-A marker
// stay in front of elements written into the gap, and what keeps growth and gap moves consistent.
//
// Markers come from a pool owned by a reference-counted holder: the vector holds one reference, and
// every marker handed out holds one. The holder therefore outlives the vector while markers are still
// held; releasing a marker after the vector is gone only gives it back to the pool, and the last
// release frees the holder.
//
// Threading: the vector and its marker lists are not thread-safe; the owner locks them. Marker
// reference counts are interlocked, so markers may be added to and released from any thread, but a
// release that drops the last reference changes the lists and needs the owner's protection.
#pragma once

#include <windows.h>

#include <new>

#include "orvutil/foundation/gapvector.h"
#include "orvutil/foundation/pool.h"

namespace Orv {

// Which marker list a marker is made in.
enum EMarkerList {
  eMarkerListA = 0,  // stays in front of elements inserted at its position
  eMarkerListB = 1   // moves behind elements inserted at its position
};

template <class V>
class tMarkedVector;
template <class V>
class tMarkerPoolHolder;

// A shared position in a tMarkedVector<V>. Made by tMarkedVector::CreateMarker with one reference;
// AddRef and Release are interlocked.
template <class V>
class tMarker {
 public:
  tMarker(unsigned storagePosition, tMarkerPoolHolder<V>* holder)
      : m_position(storagePosition), m_holder(holder), m_refCount(1) {}
  tMarker(const tMarker&) = delete;
  tMarker& operator=(const tMarker&) = delete;

  void AddRef() { InterlockedIncrement(&m_refCount); }

  // Drops one reference. The last one takes the marker out of its vector's list (if the vector
  // still lives) and gives it back to the pool; the marker must not be used afterwards.
  void Release() {
    if (InterlockedDecrement(&m_refCount) != 0) return;
    tMarkerPoolHolder<V>* holder = m_holder;
    if (tMarkedVector<V>* vector = holder->Vector()) vector->Unlink(this);
    holder->Pool().Delete(this);
    holder->Release();
  }

  // Logical position in the vector, or 0xFFFFFFFF once the vector is gone.
  unsigned Position() const {
    tMarkedVector<V>* vector = m_holder->Vector();
    return vector ? vector->MarkerPosition(this) : ~0u;
  }

  unsigned StoragePosition() const { return m_position; }
  long RefCount() const { return m_refCount; }

 private:
  friend class tMarkedVector<V>;

  unsigned m_position;             // storage index in the vector
  tMarkerPoolHolder<V>* m_holder;  // where the marker came from and goes back to
  volatile LONG m_refCount;
};

// The marker pool of one tMarkedVector<V>, with a back pointer to the vector that the vector clears
// when it goes. Reference-counted (interlocked): the vector and every live marker hold one reference.
template <class V>
class tMarkerPoolHolder {
 public:
  explicit tMarkerPoolHolder(tMarkedVector<V>* vector) : m_refCount(1), m_vector(vector) {}
  tMarkerPoolHolder(const tMarkerPoolHolder&) = delete;
  tMarkerPoolHolder& operator=(const tMarkerPoolHolder&) = delete;

  void AddRef() { InterlockedIncrement(&m_refCount); }
  void Release() {
    if (InterlockedDecrement(&m_refCount) == 0) delete this;
  }
  long RefCount() const { return m_refCount; }

  tMarkedVector<V>* Vector() const { return m_vector; }
  void Detach() { m_vector = nullptr; }

  tPoolAllocator<tMarker<V>>& Pool() { return m_pool; }
  const tPoolAllocator<tMarker<V>>& Pool() const { return m_pool; }

 private:
  ~tMarkerPoolHolder() = default;

  volatile LONG m_refCount;
  tMarkedVector<V>* volatile m_vector;
  tPoolAllocator<tMarker<V>> m_pool;
};

// A gap vector V (a tGapVector instance) whose change hooks keep the markers in step. The notify
// flag is switched on at construction and must stay on. Not copyable: markers belong to one vector.
template <class V>
class tMarkedVector : public V {
 public:
  using Marker = tMarker<V>;
  using MarkerList = tPtrGapVector<Marker, 16>;

  tMarkedVector() : m_holder(nullptr) { V::SetNotify(true); }
  tMarkedVector(const tMarkedVector&) = delete;
  tMarkedVector& operator=(const tMarkedVector&) = delete;

  ~tMarkedVector() override {
    if (!m_holder) return;
    m_holder->Detach();
    m_holder->Release();
  }

  // A marker at logical position `pos` (clamped to the count) in the given list, with one reference
  // for the caller. An existing marker at the same place in that list is shared (its count + 1).
  // Null when no marker could be made.
  Marker* CreateMarker(unsigned pos, EMarkerList list = eMarkerListA) {
    if (pos > V::Count()) pos = V::Count();
    if (!m_holder) m_holder = new (std::nothrow) tMarkerPoolHolder<V>(this);
    if (!m_holder) return nullptr;
    unsigned storage = MarkerStorage(pos);
    MarkerList& markers = ListOf(list);
    unsigned at = FirstAtOrAbove(markers, storage);
    if (at < markers.Count() && markers[at]->m_position == storage) {
      markers[at]->AddRef();
      return markers[at];
    }
    Marker* marker = m_holder->Pool().New(storage, m_holder);
    if (!marker) return nullptr;
    if (!markers.Insert(at, &marker, 1)) {
      m_holder->Pool().Delete(marker);
      return nullptr;
    }
    m_holder->AddRef();
    return marker;
  }

  // Drops one reference to `marker` (null ignored); see tMarker::Release.
  static void ReleaseMarker(Marker* marker) {
    if (marker) marker->Release();
  }

  // Logical position of a marker of this vector; 0xFFFFFFFF for null or another vector's marker.
  unsigned MarkerPosition(const Marker* marker) const {
    if (!marker || !m_holder || marker->m_holder != m_holder) return ~0u;
    unsigned storage = marker->m_position;
    unsigned gapStart = V::GapStart();
    if (storage <= gapStart) return storage;
    unsigned tailStart = gapStart + V::GapSize();
    return storage >= tailStart ? storage - V::GapSize() : gapStart;
  }

  // The markers of one list, sorted by storage position.
  const MarkerList& Markers(EMarkerList list) const { return list == eMarkerListB ? m_listB : m_listA; }

  // The pool holder, null until the first marker is made.
  const tMarkerPoolHolder<V>* PoolHolder() const { return m_holder; }

 protected:
  // Elements written at storage index `first`: list-B markers there move behind them.
  void OnInserted(unsigned first, unsigned first2, unsigned count) override {
    V::OnInserted(first, first2, count);
    for (unsigned i = FirstAtOrAbove(m_listB, first); i < m_listB.Count() && m_listB[i]->m_position == first; ++i)
      m_listB[i]->m_position = first + count;
  }

  // Elements at storage [first, first + count) removed: markers in (first, first + count] collapse
  // onto first.
  void OnErased(unsigned first, unsigned first2, unsigned count) override {
    V::OnErased(first, first2, count);
    CollapseAbove(m_listA, first, count);
    CollapseAbove(m_listB, first, count);
  }

  // Markers in (first, first + length] move up by distance.
  void OnMovedUp(unsigned first, unsigned length, unsigned distance) override {
    V::OnMovedUp(first, length, distance);
    ShiftUp(m_listA, first, length, distance);
    ShiftUp(m_listB, first, length, distance);
  }

  // Markers in [first, first + length] move down by distance.
  void OnMovedDown(unsigned first, unsigned length, unsigned distance) override {
    V::OnMovedDown(first, length, distance);
    ShiftDown(m_listA, first, length, distance);
    ShiftDown(m_listB, first, length, distance);
  }

 private:
  friend class tMarker<V>;

  MarkerList& ListOf(EMarkerList list) { return list == eMarkerListB ? m_listB : m_listA; }

  // Storage position of a marker at logical position `pos`: behind the gap only when strictly after
  // the gap start.
  unsigned MarkerStorage(unsigned pos) const { return pos <= V::GapStart() ? pos : pos + V::GapSize(); }

  // Index of the first marker with position >= x (B(x)) or > x (U(x)), by halving.
  static unsigned FirstAtOrAbove(const MarkerList& list, unsigned x) { return Search(list, x, false); }
  static unsigned FirstAbove(const MarkerList& list, unsigned x) { return Search(list, x, true); }
  static unsigned Search(const MarkerList& list, unsigned x, bool strictlyAbove) {
    unsigned low = 0;
    unsigned high = list.Count();
    while (low < high) {
      unsigned mid = low + (high - low) / 2;
      unsigned at = list[mid]->m_position;
      if (at < x || (strictlyAbove && at == x))
        low = mid + 1;
      else
        high = mid;
    }
    return low;
  }

  static void CollapseAbove(MarkerList& list, unsigned first, unsigned count) {
    for (unsigned i = FirstAbove(list, first); i < list.Count() && list[i]->m_position <= first + count; ++i)
      list[i]->m_position = first;
  }

  static void ShiftUp(MarkerList& list, unsigned first, unsigned length, unsigned distance) {
    for (unsigned i = FirstAbove(list, first); i < list.Count() && list[i]->m_position <= first + length; ++i)
      list[i]->m_position += distance;
  }

  static void ShiftDown(MarkerList& list, unsigned first, unsigned length, unsigned distance) {
    for (unsigned i = FirstAtOrAbove(list, first); i < list.Count() && list[i]->m_position <= first + length; ++i)
      list[i]->m_position -= distance;
  }

  // Takes a marker whose last reference went out of list A or, failing that, list B.
  void Unlink(Marker* marker) {
    if (!RemoveFrom(m_listA, marker)) RemoveFrom(m_listB, marker);
  }

  static bool RemoveFrom(MarkerList& list, Marker* marker) {
    for (unsigned i = FirstAtOrAbove(list, marker->m_position);
         i < list.Count() && list[i]->m_position == marker->m_position; ++i) {
      if (list[i] == marker) {
        list.Erase(i, 1);
        return true;
      }
    }
    return false;
  }

  tMarkerPoolHolder<V>* m_holder;
  MarkerList m_listA;
  MarkerList m_listB;
};

// A set of ranges over a tMarkedVector<V> that follow its edits. Each range is a start marker in
// list B and an end marker in list A, so elements inserted exactly at either boundary fall outside
// the range, and erasing a range's contents leaves it empty rather than removing it.
//
// The ranges keep their markers alive; the marked vector must outlive calls to Add, while reading,
// removing and destroying ranges stay safe after the vector is gone (positions then read 0xFFFFFFFF).
// Not thread-safe.
template <class V>
class tMarkedRange {
 public:
  using Marker = tMarker<V>;

  // A start and an end marker, each holding one reference.
  class MarkerPair {
   public:
    MarkerPair(Marker* start, Marker* end) : m_start(start), m_end(end) {}
    MarkerPair(const MarkerPair& other) : m_start(other.m_start), m_end(other.m_end) {
      if (m_start) m_start->AddRef();
      if (m_end) m_end->AddRef();
    }
    MarkerPair(MarkerPair&& other) noexcept : m_start(other.m_start), m_end(other.m_end) {
      other.m_start = nullptr;
      other.m_end = nullptr;
    }
    MarkerPair& operator=(const MarkerPair&) = delete;
    ~MarkerPair() {
      tMarkedVector<V>::ReleaseMarker(m_start);
      tMarkedVector<V>::ReleaseMarker(m_end);
    }

    Marker* Start() const { return m_start; }
    Marker* End() const { return m_end; }

   private:
    Marker* m_start;
    Marker* m_end;
  };

  explicit tMarkedRange(tMarkedVector<V>& vector) : m_vector(&vector) {}

  // Records [start, end), both clamped to the vector's count. False when the clamped range is empty
  // (nothing is recorded) or its markers could not be made.
  bool Add(unsigned start, unsigned end) {
    unsigned count = m_vector->Count();
    if (start > count) start = count;
    if (end > count) end = count;
    if (start >= end) return false;
    Marker* first = m_vector->CreateMarker(start, eMarkerListB);
    Marker* last = first ? m_vector->CreateMarker(end, eMarkerListA) : nullptr;
    MarkerPair pair(first, last);  // releases what was made if it cannot be stored
    if (!last) return false;
    return m_ranges.Insert(m_ranges.Count(), &pair, 1);
  }

  unsigned Count() const { return m_ranges.Count(); }

  // Current logical start and end of range `index`; 0xFFFFFFFF when index is out of range or the
  // vector is gone.
  unsigned Start(unsigned index) const { return index < m_ranges.Count() ? m_ranges[index].Start()->Position() : ~0u; }
  unsigned End(unsigned index) const { return index < m_ranges.Count() ? m_ranges[index].End()->Position() : ~0u; }

  const MarkerPair& Pair(unsigned index) const { return m_ranges[index]; }

  void Remove(unsigned index) { m_ranges.Erase(index, 1); }
  void Clear() { m_ranges.Clear(); }

 private:
  tMarkedVector<V>* m_vector;
  tObjGapVector<MarkerPair, 4> m_ranges;
};

}  // namespace Orv
