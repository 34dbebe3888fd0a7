// Critical sections, the process-wide switch, the global table and the recycling pool of shared
// critical sections.
#include "orvutil/threads/locks.h"

#include "../detail/never_destroyed.h"
#include "orvutil/foundation/pool.h"

namespace Orv {
namespace {

const DWORD kSpinCount = 3000;

volatile LONG g_sectionsAllowed = 0;
volatile LONG g_libraryShutDown = 0;

CCriticalSection g_globalSections[eGlobalCSCount];

// Sections lent to CSharedCriticalSection objects: a free list of returned sections and a pool to
// carve new ones from, guarded by eGlobalCSSharedSections. The state is never destroyed, so that shared
// sections released by static destructors of any binary still find it.
struct SharedSectionPool {
  tPoolAllocator<CCriticalSection, false> sections;
  tVectorPOD<CCriticalSection*> freeList;

  CCriticalSection* Take() {
    if (freeList.IsEmpty()) return sections.New();
    CCriticalSection* section = freeList.Back();
    freeList.PopBack();
    return section;
  }

  void Give(CCriticalSection* section) {
    if (!freeList.PushBack(section)) sections.Delete(section);
  }

  // After shut-down: destroys `section` and every free one, and the pool's memory once no
  // section is lent out any more.
  void DestroyAfterShutDown(CCriticalSection* section) {
    sections.Delete(section);
    for (CCriticalSection* free : freeList) sections.Delete(free);
    freeList.Clear();
    sections.ReleaseMemory();
  }
};

SharedSectionPool& SharedSections() {
  static Detail::tNeverDestroyed<SharedSectionPool> s_pool;
  return s_pool.Get();
}

}  // namespace

CCriticalSection::CCriticalSection() {
  InitializeCriticalSectionEx(&m_section, kSpinCount, 0);
}

CCriticalSection::~CCriticalSection() {
  DeleteCriticalSection(&m_section);
}

bool CCriticalSection::IsLocked() {
  if (!TryEnter()) return false;
  Leave();
  return true;
}

void CScopeCriticalSection::SetCriticalSectionsAllowed(bool allowed) {
  InterlockedExchange(&g_sectionsAllowed, allowed ? 1 : 0);
}

bool CScopeCriticalSection::AreCriticalSectionsAllowed() {
  return g_sectionsAllowed != 0;
}

CScopeCriticalSection::CScopeCriticalSection(CRITICAL_SECTION& section)
    : m_entered(AreCriticalSectionsAllowed() ? &section : nullptr) {
  if (m_entered) EnterCriticalSection(m_entered);
}

CScopeCriticalSection::CScopeCriticalSection(EGlobalCriticalSection section)
    : CScopeCriticalSection(GetGlobalCriticalSection(section).GetCS()) {}

CScopeCriticalSection::~CScopeCriticalSection() {
  if (m_entered) LeaveCriticalSection(m_entered);
}

CCriticalSection& GetGlobalCriticalSection(EGlobalCriticalSection section) {
  unsigned index = static_cast<unsigned>(section);
  return g_globalSections[index < eGlobalCSCount ? index : 0u];
}

void SetLibraryShutDown(bool shutDown) {
  InterlockedExchange(&g_libraryShutDown, shutDown ? 1 : 0);
}

bool IsLibraryShutDown() {
  return g_libraryShutDown != 0;
}

SSharedSectionStats GetSharedSectionStats() {
  CScopeCriticalSection lock(eGlobalCSSharedSections);
  SharedSectionPool& pool = SharedSections();
  return {pool.freeList.Count(), pool.sections.InUse()};
}

CSharedCriticalSection::CSharedCriticalSection(bool initShare) : m_share(nullptr), m_useCount(0) {
  if (initShare) InitShare();
}

CSharedCriticalSection::~CSharedCriticalSection() {
  if (m_share) {
    m_useCount = 1;
    ReleaseShare();
  }
}

// The use count goes from 0 to 1 and from 1 to 0 only under eGlobalCSSharedSections, and a section is
// borrowed before the count leaves 0, so that a thread that adds a share to a positive count without
// the lock always finds the section borrowed and never one that is being given back.
void CSharedCriticalSection::InitShare() {
  for (LONG count = m_useCount; count > 0; count = m_useCount)
    if (InterlockedCompareExchange(&m_useCount, count + 1, count) == count) return;
  CScopeCriticalSection lock(eGlobalCSSharedSections);
  if (!m_share && !IsLibraryShutDown()) m_share = SharedSections().Take();
  InterlockedIncrement(&m_useCount);
}

void CSharedCriticalSection::ReleaseShare() {
  for (LONG count = m_useCount; count > 1; count = m_useCount)
    if (InterlockedCompareExchange(&m_useCount, count - 1, count) == count) return;
  if (m_useCount <= 0) return;
  CScopeCriticalSection lock(eGlobalCSSharedSections);
  if (m_useCount <= 0 || InterlockedDecrement(&m_useCount) != 0 || !m_share) return;
  CCriticalSection* section = m_share;
  m_share = nullptr;
  if (IsLibraryShutDown())
    SharedSections().DestroyAfterShutDown(section);
  else
    SharedSections().Give(section);
}

CScopeSharedCriticalSection::CScopeSharedCriticalSection(CSharedCriticalSection& shared, bool addShare)
    : m_shared(CScopeCriticalSection::AreCriticalSectionsAllowed() ? &shared : nullptr),
      m_entered(nullptr),
      m_addedShare(addShare) {
  if (!m_shared) return;
  if (addShare) shared.InitShare();
  m_entered = shared.GetShare();
  if (m_entered) m_entered->Enter();
}

CScopeSharedCriticalSection::~CScopeSharedCriticalSection() {
  if (!m_shared) return;
  if (m_entered) m_entered->Leave();
  if (m_addedShare) m_shared->ReleaseShare();
}

}  // namespace Orv
