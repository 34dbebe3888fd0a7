// Fixed-slot object pools: tPoolAllocator<T> hands out T objects from blocks of slots and takes
// them back onto a free list (last freed, first reused). Blocks are made with 16, 32, 64, ... 512
// slots and are never returned to the heap while the pool lives.
//
// A pool locks itself with a borrowed critical section, but only while critical sections are
// allowed; pass Locked = false for a pool its owner guards.
#pragma once

#include <new>
#include <type_traits>
#include <utility>

#include "orvutil/export.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/threads/locks.h"

namespace Orv {

// Marks the allocations made during its lifetime as long-lived (a process-wide depth counter).
class ORV_API CScopeStaticMemAlloc {
 public:
  CScopeStaticMemAlloc();
  ~CScopeStaticMemAlloc();
  CScopeStaticMemAlloc(const CScopeStaticMemAlloc&) = delete;
  CScopeStaticMemAlloc& operator=(const CScopeStaticMemAlloc&) = delete;

  static long GetDepth();
};

template <typename T>
class CInternalPool;

// One slot: the object first, so that the object's address is the slot's.
template <typename T>
struct SInternalPoolObj {
  alignas(T) unsigned char object[sizeof(T)];
  CInternalPool<T>* owner;
  SInternalPoolObj* next;  // next free slot; null while handed out
};

// One block of slots.
template <typename T>
class CInternalPool {
 public:
  static constexpr unsigned kMinSlots = 16;
  static constexpr unsigned kMaxSlots = 512;

  // Makes `slotCount` slots (clamped to 16..512) linked in order, the last one to `freeHead`.
  CInternalPool(unsigned slotCount, SInternalPoolObj<T>* freeHead) : m_slotCount(Clamp(slotCount)), m_used(0) {
    if (!m_slots.Resize(m_slotCount, SInternalPoolObj<T>())) {
      m_slotCount = 0;
      return;
    }
    for (unsigned i = 0; i < m_slotCount; ++i) {
      m_slots[i].owner = this;
      m_slots[i].next = i + 1 < m_slotCount ? &m_slots[i + 1] : freeHead;
    }
  }

  unsigned SlotCount() const { return m_slotCount; }
  unsigned Used() const { return m_used; }
  SInternalPoolObj<T>* FirstSlot() { return m_slotCount ? &m_slots[0] : nullptr; }

 private:
  template <typename, bool>
  friend class tPoolAllocator;

  static unsigned Clamp(unsigned n) { return n < kMinSlots ? kMinSlots : n > kMaxSlots ? kMaxSlots : n; }

  unsigned m_slotCount;
  unsigned m_used;
  tVector<SInternalPoolObj<T>, 1, 0, tMemAllocator<SInternalPoolObj<T>>> m_slots;
};

template <typename T, bool Locked = true>
class tPoolAllocator {
  using Slot = SInternalPoolObj<T>;
  using Block = CInternalPool<T>;
  using BlockList = tVectorPOD<Block*, 0, tMemAllocator<Block*>>;

 public:
  tPoolAllocator() : m_lock(Locked) {}

  // Frees every block. Objects still handed out are not destroyed: their memory goes with the pool.
  ~tPoolAllocator() {
    {
      Guard guard(m_lock);
      ReleaseBlocks();
    }
    if (Locked) m_lock.ReleaseShare();
  }

  tPoolAllocator(const tPoolAllocator&) = delete;
  tPoolAllocator& operator=(const tPoolAllocator&) = delete;

  // A T constructed from `args` in a pooled slot, or null when no block could be made.
  template <typename... Args>
  T* New(Args&&... args) {
    Slot* slot = Take();
    if (!slot) return nullptr;
    return new (slot->object) T(std::forward<Args>(args)...);
  }

  // Destroys `object` and gives its slot back; null is ignored.
  void Delete(T* object) {
    if (!object) return;
    object->~T();
    Slot* slot = reinterpret_cast<Slot*>(object);
    Guard guard(m_lock);
    slot->next = m_freeHead;
    m_freeHead = slot;
    --slot->owner->m_used;
    ++m_freeSlots;
    --m_inUse;
  }

  // Frees every block when no object is handed out; false (and nothing freed) otherwise.
  bool ReleaseMemory() {
    Guard guard(m_lock);
    if (m_inUse) return false;
    ReleaseBlocks();
    return true;
  }

  unsigned InUse() const { return m_inUse; }
  unsigned PeakInUse() const { return m_peakInUse; }
  unsigned Allocations() const { return m_allocations; }
  unsigned FreeSlots() const { return m_freeSlots; }
  unsigned BlockCount() const { return m_blocks ? m_blocks->Count() : 0; }
  unsigned BlockSlots(unsigned block) const { return (*m_blocks)[block]->SlotCount(); }

 private:
  struct NoGuard {
    explicit NoGuard(CSharedCriticalSection&) {}
  };
  struct SharedGuard : CScopeSharedCriticalSection {
    explicit SharedGuard(CSharedCriticalSection& lock) : CScopeSharedCriticalSection(lock, false) {}
  };
  using Guard = std::conditional_t<Locked, SharedGuard, NoGuard>;

  Slot* Take() {
    Guard guard(m_lock);
    if (!m_freeHead && !AddBlock()) return nullptr;
    Slot* slot = m_freeHead;
    m_freeHead = slot->next;
    slot->next = nullptr;
    ++slot->owner->m_used;
    ++m_inUse;
    --m_freeSlots;
    ++m_allocations;
    if (m_inUse > m_peakInUse) m_peakInUse = m_inUse;
    return slot;
  }

  // Makes a block twice the size of the last one (16 for the first) and puts its slots on the
  // free list.
  bool AddBlock() {
    CScopeStaticMemAlloc longLived;
    if (!m_blocks) m_blocks = new (std::nothrow) BlockList;
    if (!m_blocks) return false;
    unsigned requested = Block::kMinSlots;
    if (m_blocks->Count() && m_blocks->Back()) {
      unsigned last = m_blocks->Back()->SlotCount();
      requested = last >= Block::kMaxSlots ? 2 * Block::kMaxSlots : last * 2;  // the block clamps this
    }
    Block* block = new (std::nothrow) Block(requested, m_freeHead);
    if (!block || !block->FirstSlot() || !m_blocks->PushBack(block)) {
      delete block;
      return false;
    }
    m_freeHead = block->FirstSlot();
    m_freeSlots += block->SlotCount();
    return true;
  }

  void ReleaseBlocks() {
    if (!m_blocks) return;
    for (Block* block : *m_blocks) delete block;
    delete m_blocks;
    m_blocks = nullptr;
    m_freeHead = nullptr;
    m_freeSlots = 0;
    m_inUse = 0;
  }

  BlockList* m_blocks = nullptr;
  Slot* m_freeHead = nullptr;
  unsigned m_inUse = 0;
  unsigned m_peakInUse = 0;
  unsigned m_allocations = 0;
  unsigned m_freeSlots = 0;
  CSharedCriticalSection m_lock;
};

}  // namespace Orv
