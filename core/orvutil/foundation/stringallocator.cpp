// The process-wide string buffer allocator.
#include "orvutil/foundation/stringallocator.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <new>

#include "orvutil/foundation/pool.h"

namespace Orv {
namespace {

class Allocator;

// The header in front of every buffer: owner, then size class; characters follow at once.
struct Header {
  Allocator* owner;
  unsigned short sizeClass;
};
const size_t kHeaderSize = offsetof(Header, sizeClass) + sizeof(unsigned short);

template <unsigned N>
struct TCharArray {
  Allocator* owner;
  unsigned short sizeClass;
  wchar_t chars[N];
};
static_assert(offsetof(TCharArray<32>, chars) == kHeaderSize, "characters follow the header");

Header* HeaderOf(const wchar_t* buffer) {
  return reinterpret_cast<Header*>(reinterpret_cast<uintptr_t>(buffer) - kHeaderSize);
}

// The allocator's state. It holds one reference of its own, dropped at process exit, and one per
// buffer handed out; it tears itself down when the count reaches zero.
class Allocator {
 public:
  Allocator() : m_references(1) { InitializeCriticalSectionEx(&m_heapLock, 3000, 0); }
  ~Allocator() { DeleteCriticalSection(&m_heapLock); }

  wchar_t* New(unsigned count) {
    InterlockedIncrement(&m_references);
    EStringSizeClass sizeClass = StringAllocator::SizeClassFor(count);
    void* block = sizeClass == eStringSizeHeap ? NewHeapBlock(count) : NewPoolBlock(sizeClass);
    if (!block) {
      Release();
      return nullptr;
    }
    Header* header = static_cast<Header*>(block);
    header->owner = this;
    header->sizeClass = sizeClass;
    return reinterpret_cast<wchar_t*>(static_cast<unsigned char*>(block) + kHeaderSize);
  }

  void Delete(wchar_t* buffer) {
    Header* header = HeaderOf(buffer);
    switch (header->sizeClass) {
      case eStringSize32:
        m_pool32.Delete(reinterpret_cast<TCharArray<32>*>(header));
        break;
      case eStringSize64:
        m_pool64.Delete(reinterpret_cast<TCharArray<64>*>(header));
        break;
      case eStringSize128:
        m_pool128.Delete(reinterpret_cast<TCharArray<128>*>(header));
        break;
      case eStringSize256:
        m_pool256.Delete(reinterpret_cast<TCharArray<256>*>(header));
        break;
      default:
        DeleteHeapBlock(header);
        break;
    }
    Release();
  }

  void Release();

  SStringAllocatorStats Stats() {
    SStringAllocatorStats stats;
    stats.references = m_references;
    {
      CScopeCriticalSection lock(m_heapLock);
      stats.heapAllocations = m_heapAllocations;
      stats.heapInUse = m_heapInUse;
      stats.heapPeak = m_heapPeak;
    }
    stats.poolInUse[0] = m_pool32.InUse();
    stats.poolInUse[1] = m_pool64.InUse();
    stats.poolInUse[2] = m_pool128.InUse();
    stats.poolInUse[3] = m_pool256.InUse();
    return stats;
  }

 private:
  void* NewPoolBlock(EStringSizeClass sizeClass) {
    switch (sizeClass) {
      case eStringSize32:
        return m_pool32.New();
      case eStringSize64:
        return m_pool64.New();
      case eStringSize128:
        return m_pool128.New();
      default:
        return m_pool256.New();
    }
  }

  void* NewHeapBlock(unsigned count) {
    size_t bytes = static_cast<size_t>(count) * sizeof(wchar_t);
    if (count > (SIZE_MAX - kHeaderSize) / sizeof(wchar_t)) return nullptr;
    unsigned char* block = new (std::nothrow) unsigned char[bytes + kHeaderSize];
    if (!block) return nullptr;
    CScopeCriticalSection lock(m_heapLock);
    ++m_heapAllocations;
    if (++m_heapInUse > m_heapPeak) m_heapPeak = m_heapInUse;
    return block;
  }

  void DeleteHeapBlock(Header* header) {
    {
      CScopeCriticalSection lock(m_heapLock);
      --m_heapInUse;
    }
    delete[] reinterpret_cast<unsigned char*>(header);
  }

  volatile LONG m_references;
  CRITICAL_SECTION m_heapLock;
  tPoolAllocator<TCharArray<32>> m_pool32;
  tPoolAllocator<TCharArray<64>> m_pool64;
  tPoolAllocator<TCharArray<128>> m_pool128;
  tPoolAllocator<TCharArray<256>> m_pool256;
  unsigned m_heapAllocations = 0;
  unsigned m_heapInUse = 0;
  unsigned m_heapPeak = 0;
};

Allocator* volatile g_allocator = nullptr;

void Allocator::Release() {
  if (InterlockedDecrement(&m_references) != 0) return;
  InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_allocator), nullptr, this);
  delete this;
}

// The current allocator, made on first use (and again should a buffer be asked for after the
// process-exit teardown).
Allocator& Current() {
  if (Allocator* current = g_allocator) return *current;
  Allocator* made = new Allocator;
  Allocator* existing = static_cast<Allocator*>(
      InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_allocator), made, nullptr));
  if (!existing) return *made;
  delete made;
  return *existing;
}

// Drops the allocator's own reference at process exit; buffers still alive keep it until the last
// one is given back.
struct ExitRelease {
  ExitRelease() { Current(); }
  ~ExitRelease() {
    if (Allocator* current = g_allocator) current->Release();
  }
} g_exitRelease;

}  // namespace

EStringSizeClass StringAllocator::SizeClassFor(unsigned count) {
  if (count > 256) return eStringSizeHeap;
  if (count > 128) return eStringSize256;
  if (count > 64) return eStringSize128;
  if (count > 32) return eStringSize64;
  return eStringSize32;
}

wchar_t* StringAllocator::NewPoolString(unsigned count) {
  return Current().New(count);
}

void StringAllocator::DeletePoolString(wchar_t* buffer) {
  if (!buffer) return;
  Allocator* owner = HeaderOf(buffer)->owner;
  if (owner && owner == g_allocator) owner->Delete(buffer);
}

EStringSizeClass StringAllocator::GetSizeClass(const wchar_t* buffer) {
  return static_cast<EStringSizeClass>(HeaderOf(buffer)->sizeClass);
}

SStringAllocatorStats StringAllocator::GetStats() {
  return Current().Stats();
}

}  // namespace Orv
