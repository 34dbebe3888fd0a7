// Locks: critical sections, shared (borrowed) critical sections, scope guards and the table of
// global critical sections.
//
// A process-wide switch decides whether scope guards take locks at all: it is off before library
// start-up and after shut-down, so static construction and destruction never touch a critical
// section. Every critical section spins 3000 times before it waits.
#pragma once

#include <windows.h>

#include "orvutil/export.h"

namespace Orv {

// The global critical sections, one per process-wide structure.
enum EGlobalCriticalSection {
  eGlobalCSLibrary = 0,          // library-wide lock (package manager and other library state)
  eGlobalCSMemory = 1,           // long-lived allocation depth (CScopeStaticMemAlloc)
  eGlobalCSStartupList = 2,      // start-up functions
  eGlobalCSObjectListeners = 3,  // object-listener registries
  eGlobalCSPlugIns = 4,          // plug-in module registry
  eGlobalCSClassStatics = 5,     // one-time initialisation of per-class statics
  eGlobalCSCategoryCache = 6,    // class-category caches
  eGlobalCSAsyncDataLoader = 7,  // the global asynchronous data loader
  eGlobalCSDefaultAtomizer = 8,  // the default atomizer of dictionaries
  eGlobalCSResourceModule = 9,   // the resource-module override (InstanceOverride)
  eGlobalCSSpare10 = 10,
  eGlobalCSSharedSections = 11,  // the pool and free list of shared critical sections
  eGlobalCSSpare12 = 12,
  eGlobalCSSpare13 = 13,
  eGlobalCSSpare14 = 14,
  eGlobalCSSpare15 = 15,
  eGlobalCSSpare16 = 16,
  eGlobalCSSpare17 = 17,
  eGlobalCSModuleList = 18,  // the list of modules
  eGlobalCSSpare19 = 19,
  eGlobalCSSpare20 = 20,
  eGlobalCSSpare21 = 21,
  eGlobalCSServiceCollection = 22,  // the global service collection
  eGlobalCSShutdownList = 23,       // shut-down functions
  eGlobalCSSpare24 = 24,
  eGlobalCSThreadPools = 25,      // the list of thread pools and the global pool
  eGlobalCSMainThreadQueue = 26,  // functions queued for the main thread, thread-exit functions
  eGlobalCSSharedValues = 27,     // shared typed values and their lazy text
  eGlobalCSSpare28 = 28,
  eGlobalCSCount = 29
};

// One Windows critical section (spin count 3000), owned by this object.
class ORV_API CCriticalSection {
 public:
  CCriticalSection();
  ~CCriticalSection();
  CCriticalSection(const CCriticalSection&) = delete;
  CCriticalSection& operator=(const CCriticalSection&) = delete;

  void Enter() { EnterCriticalSection(&m_section); }
  void Leave() { LeaveCriticalSection(&m_section); }
  // True when the calling thread entered the section (it must then Leave it).
  bool TryEnter() { return TryEnterCriticalSection(&m_section) != FALSE; }
  // Whether the calling thread can enter the section now: true when it is free or already held
  // by the calling thread, false when another thread holds it.
  bool IsLocked();

  CRITICAL_SECTION& GetCS() { return m_section; }
  operator _RTL_CRITICAL_SECTION&() { return m_section; }

 private:
  CRITICAL_SECTION m_section;
};

// A critical section borrowed from a process-wide recycling pool while the object has users, for
// objects that exist in large numbers but are rarely locked: two words instead of a section.
// Holders keep a share (InitShare) while they are inside the borrowed section.
class ORV_API CSharedCriticalSection {
 public:
  explicit CSharedCriticalSection(bool initShare = false);
  ~CSharedCriticalSection();
  CSharedCriticalSection(const CSharedCriticalSection&) = delete;
  CSharedCriticalSection& operator=(const CSharedCriticalSection&) = delete;

  // Adds a user; the first borrows a section (none once the library has shut down).
  void InitShare();
  // Removes a user; the last gives the section back (or destroys it after shut-down).
  void ReleaseShare();
  // The borrowed section, or null.
  CCriticalSection* GetShare() const { return m_share; }
  long GetUseCount() const { return m_useCount; }

 private:
  CCriticalSection* volatile m_share;
  volatile LONG m_useCount;
};

// Enters a critical section for its lifetime, but only while critical sections are allowed.
class ORV_API CScopeCriticalSection {
 public:
  explicit CScopeCriticalSection(CRITICAL_SECTION& section);
  explicit CScopeCriticalSection(EGlobalCriticalSection section);
  ~CScopeCriticalSection();
  CScopeCriticalSection(const CScopeCriticalSection&) = delete;
  CScopeCriticalSection& operator=(const CScopeCriticalSection&) = delete;

  // The process-wide switch: on between library start-up and shut-down.
  static void SetCriticalSectionsAllowed(bool allowed);
  static bool AreCriticalSectionsAllowed();

 private:
  CRITICAL_SECTION* m_entered;
};

// Enters the section borrowed by a CSharedCriticalSection for its lifetime (while critical sections
// are allowed), optionally holding a share for that time.
class ORV_API CScopeSharedCriticalSection {
 public:
  CScopeSharedCriticalSection(CSharedCriticalSection& shared, bool addShare);
  ~CScopeSharedCriticalSection();
  CScopeSharedCriticalSection(const CScopeSharedCriticalSection&) = delete;
  CScopeSharedCriticalSection& operator=(const CScopeSharedCriticalSection&) = delete;

 private:
  CSharedCriticalSection* m_shared;  // null when critical sections were not allowed
  CCriticalSection* m_entered;
  bool m_addedShare;
};

// The section of the global table for `section`.
ORV_API CCriticalSection& GetGlobalCriticalSection(EGlobalCriticalSection section);

// Library shut-down state for shared critical sections: once shut down, released sections are
// destroyed instead of recycled and new shares borrow nothing.
ORV_API void SetLibraryShutDown(bool shutDown);
ORV_API bool IsLibraryShutDown();

// Statistics of the shared-section pool, for tests and diagnostics.
struct SSharedSectionStats {
  unsigned freeSections;  // sections waiting on the free list
  unsigned liveSections;  // sections made and not destroyed (borrowed or free)
};
ORV_API SSharedSectionStats GetSharedSectionStats();

}  // namespace Orv
