// Critical sections, the lock switch, the global table, shared (borrowed) critical sections, and
// COnceFlag: one set-up however many threads race it, its data seen by all, failures retried.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "../support/scoped_locks.h"
#include "orvutil/threads.h"

using namespace Orv;

namespace {

// Whether another thread can enter `section` right now.
bool OtherThreadCanEnter(CCriticalSection& section) {
  bool canEnter = false;
  std::thread([&] { canEnter = section.IsLocked(); }).join();
  return canEnter;
}

// Marks the library shut down for a scope.
struct ScopedShutDown {
  bool previous = IsLibraryShutDown();
  ScopedShutDown() { SetLibraryShutDown(true); }
  ~ScopedShutDown() { SetLibraryShutDown(previous); }
};

}  // namespace

// Every guard holds its section for its lifetime while locking is on, and nothing while it is off.
// The thread that holds a section can still enter it.
TEST(Locks, GuardsFollowTheSwitch) {
  for (bool on : {true, false}) {
    ScopedLocks locks(on);
    CCriticalSection section;
    CCriticalSection& global = GetGlobalCriticalSection(eGlobalCSShutdownList);
    CSharedCriticalSection shared;
    {
      CScopeCriticalSection guard(section.GetCS()), globalGuard(eGlobalCSShutdownList);
      CScopeSharedCriticalSection sharedGuard(shared, true);
      EXPECT_TRUE(section.IsLocked() && global.IsLocked());
      EXPECT_EQ(!on, OtherThreadCanEnter(section));
      EXPECT_EQ(!on, OtherThreadCanEnter(global));
      EXPECT_EQ(on, shared.GetShare() && !OtherThreadCanEnter(*shared.GetShare()));
      EXPECT_TRUE(OtherThreadCanEnter(GetGlobalCriticalSection(eGlobalCSModuleList)));
      CScopeCriticalSection::SetCriticalSectionsAllowed(false);  // a guard taken is still left
    }
    EXPECT_TRUE(OtherThreadCanEnter(section) && OtherThreadCanEnter(global));
    EXPECT_EQ(0, shared.GetUseCount());
  }
}

// A shared section is borrowed on the first share and given back on the last, to be lent again;
// after shut-down nothing is borrowed and what comes back is destroyed, with the free ones.
TEST(Locks, SharedSectionsAreBorrowedReturnedAndLentAgain) {
  SSharedSectionStats before = GetSharedSectionStats();
  {
    CSharedCriticalSection shared, destroyedHeld;
    shared.ReleaseShare();  // without a share: nothing
    shared.InitShare();
    shared.InitShare();
    CCriticalSection* first = shared.GetShare();
    shared.ReleaseShare();
    EXPECT_TRUE(first && first == shared.GetShare());
    shared.ReleaseShare();  // the last share: given back to the free list
    EXPECT_TRUE(!shared.GetShare() && GetSharedSectionStats().freeSections == std::max(before.freeSections, 1u));
    destroyedHeld.InitShare();
    destroyedHeld.InitShare();
    EXPECT_EQ(first, destroyedHeld.GetShare());
  }
  SSharedSectionStats after = GetSharedSectionStats();
  EXPECT_EQ(before.liveSections - before.freeSections, after.liveSections - after.freeSections);
  CSharedCriticalSection held(true), late;
  SSharedSectionStats during = GetSharedSectionStats();
  ScopedShutDown shutDown;
  late.InitShare();
  EXPECT_EQ(nullptr, late.GetShare());
  { CScopeSharedCriticalSection guard(late, false); }
  late.ReleaseShare();
  held.ReleaseShare();
  EXPECT_EQ(0u, GetSharedSectionStats().freeSections);
  EXPECT_EQ(during.liveSections - 1 - during.freeSections, GetSharedSectionStats().liveSections);
}

// Racing threads set the data up once, and every thread that finds the flag set sees the data; the
// first two set-ups fail and leave the flag clear for the next thread to try again.
TEST(OnceFlag, RacingThreadsSetUpOnceAndFailuresAreTriedAgain) {
  for (int round = 0; round < 20; ++round) {
    COnceFlag flag;
    int calls = 0, value = 0;
    std::atomic<int> waiting{4}, done{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&] {
        for (waiting.fetch_sub(1); waiting.load() != 0;) {
        }
        done.fetch_add(flag.Run(eGlobalCSClassStatics, [&] { return (value = ++calls) > 2; }) && value == 3);
      });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_TRUE(calls == 3 && done == 2 && flag.IsDone()) << round;
  }
}
