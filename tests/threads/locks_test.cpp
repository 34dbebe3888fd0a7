// Critical sections, the lock switch, the global table and shared (borrowed) critical sections.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "orvutil/threads.h"

using Orv::CCriticalSection;
using Orv::CScopeCriticalSection;
using Orv::CScopeSharedCriticalSection;
using Orv::CSharedCriticalSection;

namespace {

// Whether another thread can enter `section` right now.
bool OtherThreadCanEnter(CRITICAL_SECTION& section) {
  bool entered = false;
  std::thread([&] {
    entered = TryEnterCriticalSection(&section) != FALSE;
    if (entered) LeaveCriticalSection(&section);
  }).join();
  return entered;
}

// Switches locking as a test needs it and puts the previous state back afterwards (the test
// program runs with the library started, so locking is normally on).
class LockSwitch : public ::testing::Test {
 protected:
  explicit LockSwitch(bool allowed) : m_allowed(allowed) {}
  void SetUp() override {
    m_wasAllowed = CScopeCriticalSection::AreCriticalSectionsAllowed();
    m_wasShutDown = Orv::IsLibraryShutDown();
    CScopeCriticalSection::SetCriticalSectionsAllowed(m_allowed);
  }
  void TearDown() override {
    CScopeCriticalSection::SetCriticalSectionsAllowed(m_wasAllowed);
    Orv::SetLibraryShutDown(m_wasShutDown);
  }

 private:
  bool m_allowed;
  bool m_wasAllowed = false;
  bool m_wasShutDown = false;
};

class LocksAllowed : public LockSwitch {
 protected:
  LocksAllowed() : LockSwitch(true) {}
};

class LocksOff : public LockSwitch {
 protected:
  LocksOff() : LockSwitch(false) {}
};

}  // namespace

TEST(CriticalSection, IsLockedSaysWhetherTheCallerCanEnter) {
  CCriticalSection section;
  EXPECT_TRUE(section.IsLocked());  // free
  section.Enter();
  EXPECT_TRUE(section.IsLocked());  // held by this thread: re-entrant
  bool fromOther = true;
  std::thread([&] { fromOther = section.IsLocked(); }).join();
  EXPECT_FALSE(fromOther);
  section.Leave();
  std::thread([&] { fromOther = section.IsLocked(); }).join();
  EXPECT_TRUE(fromOther);
}

TEST(CriticalSection, TryEnterFailsWhileAnotherThreadHoldsIt) {
  CCriticalSection section;
  ASSERT_TRUE(section.TryEnter());
  EXPECT_FALSE(OtherThreadCanEnter(section));
  section.Leave();
  EXPECT_TRUE(OtherThreadCanEnter(section));
  CRITICAL_SECTION& raw = section;
  EXPECT_EQ(&raw, &section.GetCS());
}

TEST_F(LocksOff, ScopeGuardEntersNothing) {
  CCriticalSection section;
  {
    CScopeCriticalSection guard(section.GetCS());
    EXPECT_TRUE(OtherThreadCanEnter(section.GetCS()));
  }
  {
    CScopeCriticalSection guard(Orv::eGlobalCSModuleList);
    EXPECT_TRUE(OtherThreadCanEnter(Orv::GetGlobalCriticalSection(Orv::eGlobalCSModuleList).GetCS()));
  }
}

TEST_F(LocksAllowed, ScopeGuardHoldsTheSectionForItsLifetime) {
  CCriticalSection section;
  {
    CScopeCriticalSection guard(section.GetCS());
    EXPECT_FALSE(OtherThreadCanEnter(section.GetCS()));
  }
  EXPECT_TRUE(OtherThreadCanEnter(section.GetCS()));
}

TEST_F(LocksAllowed, GuardTakenWhileOnIsLeftEvenIfTheSwitchGoesOff) {
  CCriticalSection section;
  {
    CScopeCriticalSection guard(section.GetCS());
    CScopeCriticalSection::SetCriticalSectionsAllowed(false);
  }
  EXPECT_TRUE(OtherThreadCanEnter(section.GetCS()));
}

TEST_F(LocksAllowed, GlobalTableHas29DistinctSections) {
  std::vector<CCriticalSection*> seen;
  for (int i = 0; i < Orv::eGlobalCSCount; ++i) {
    CCriticalSection* section = &Orv::GetGlobalCriticalSection(static_cast<Orv::EGlobalCriticalSection>(i));
    for (CCriticalSection* other : seen) ASSERT_NE(section, other);
    seen.push_back(section);
  }
  EXPECT_EQ(Orv::eGlobalCSObjectListeners, 3);
  EXPECT_EQ(Orv::eGlobalCSSharedSections, 11);
  EXPECT_EQ(Orv::eGlobalCSModuleList, 18);
  EXPECT_EQ(Orv::eGlobalCSShutdownList, 23);
  EXPECT_EQ(Orv::eGlobalCSMainThreadQueue, 26);
  {
    CScopeCriticalSection guard(Orv::eGlobalCSShutdownList);
    EXPECT_FALSE(OtherThreadCanEnter(Orv::GetGlobalCriticalSection(Orv::eGlobalCSShutdownList).GetCS()));
    EXPECT_TRUE(OtherThreadCanEnter(Orv::GetGlobalCriticalSection(Orv::eGlobalCSModuleList).GetCS()));
  }
}

TEST(SharedCriticalSection, BorrowsOnFirstShareAndReturnsOnLast) {
  CSharedCriticalSection shared;
  EXPECT_EQ(shared.GetShare(), nullptr);
  shared.InitShare();
  CCriticalSection* borrowed = shared.GetShare();
  ASSERT_NE(borrowed, nullptr);
  shared.InitShare();
  EXPECT_EQ(shared.GetShare(), borrowed);
  EXPECT_EQ(shared.GetUseCount(), 2);
  shared.ReleaseShare();
  EXPECT_EQ(shared.GetShare(), borrowed);
  shared.ReleaseShare();
  EXPECT_EQ(shared.GetShare(), nullptr);
  EXPECT_EQ(shared.GetUseCount(), 0);
}

TEST(SharedCriticalSection, ReleaseWithoutShareDoesNothing) {
  CSharedCriticalSection shared;
  shared.ReleaseShare();
  EXPECT_EQ(shared.GetUseCount(), 0);
  EXPECT_EQ(shared.GetShare(), nullptr);
}

TEST(SharedCriticalSection, ReleasedSectionGoesToTheNextBorrower) {
  CCriticalSection* first;
  {
    CSharedCriticalSection a(true);
    first = a.GetShare();
    ASSERT_NE(first, nullptr);
    Orv::SSharedSectionStats stats = Orv::GetSharedSectionStats();
    a.ReleaseShare();
    EXPECT_EQ(Orv::GetSharedSectionStats().freeSections, stats.freeSections + 1);
  }
  CSharedCriticalSection b(true);
  EXPECT_EQ(b.GetShare(), first);
}

TEST(SharedCriticalSection, DestructorReturnsTheSectionWhateverTheCount) {
  Orv::SSharedSectionStats before = Orv::GetSharedSectionStats();
  {
    CSharedCriticalSection shared;
    shared.InitShare();
    shared.InitShare();
    shared.InitShare();
  }
  Orv::SSharedSectionStats after = Orv::GetSharedSectionStats();
  EXPECT_EQ(after.liveSections, before.liveSections);
  EXPECT_EQ(after.freeSections, before.freeSections);
}

TEST_F(LocksAllowed, ScopeSharedGuardLocksTheBorrowedSection) {
  CSharedCriticalSection shared;
  {
    CScopeSharedCriticalSection guard(shared, true);
    ASSERT_NE(shared.GetShare(), nullptr);
    EXPECT_FALSE(OtherThreadCanEnter(shared.GetShare()->GetCS()));
  }
  EXPECT_EQ(shared.GetShare(), nullptr);  // the guard's share was the only one
}

TEST_F(LocksOff, ScopeSharedGuardDoesNothing) {
  CSharedCriticalSection shared;
  {
    CScopeSharedCriticalSection guard(shared, true);
    EXPECT_EQ(shared.GetUseCount(), 0);
    EXPECT_EQ(shared.GetShare(), nullptr);
  }
  EXPECT_EQ(shared.GetUseCount(), 0);
}

TEST_F(LocksAllowed, AfterShutDownSharesBorrowNothingAndReleasedSectionsAreDestroyed) {
  CSharedCriticalSection held(true);
  ASSERT_NE(held.GetShare(), nullptr);
  Orv::SSharedSectionStats before = Orv::GetSharedSectionStats();
  Orv::SetLibraryShutDown(true);

  CSharedCriticalSection late;
  late.InitShare();
  EXPECT_EQ(late.GetUseCount(), 1);
  EXPECT_EQ(late.GetShare(), nullptr);
  {
    CScopeSharedCriticalSection guard(late, false);  // nothing to enter, must not crash
  }
  late.ReleaseShare();
  EXPECT_EQ(late.GetUseCount(), 0);

  held.ReleaseShare();
  Orv::SSharedSectionStats after = Orv::GetSharedSectionStats();
  EXPECT_EQ(after.liveSections, before.liveSections - 1 - before.freeSections);
  EXPECT_EQ(after.freeSections, 0u);
}

TEST_F(LocksAllowed, SharedSectionsGuardCountersAcrossThreads) {
  // Several threads borrow, lock and release shared sections of a few objects at once; a counter
  // per object incremented under its guard must not lose an update.
  const int kObjects = 4, kThreads = 6, kIterations = 20000;
  struct Guarded {
    CSharedCriticalSection lock;
    volatile long counter = 0;
  } objects[kObjects];
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kIterations; ++i) {
        Guarded& object = objects[(i + t) % kObjects];
        CScopeSharedCriticalSection guard(object.lock, true);
        long value = object.counter;
        if (i % 64 == 0) Sleep(0);
        object.counter = value + 1;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  long total = 0;
  for (Guarded& object : objects) {
    total += object.counter;
    EXPECT_EQ(object.lock.GetUseCount(), 0);
    EXPECT_EQ(object.lock.GetShare(), nullptr);
  }
  EXPECT_EQ(total, static_cast<long>(kThreads) * kIterations);
}
