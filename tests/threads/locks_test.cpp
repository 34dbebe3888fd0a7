// Critical sections, the lock switch, the global table, shared (borrowed) critical sections, and
// COnceFlag: one set-up however many threads race it, its data seen by all, failures retried.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "../support/scoped_locks.h"
#include "orvutil/threads.h"

using namespace Orv;

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

// Marks the library shut down for a scope.
struct ScopedShutDown {
  bool previous = IsLibraryShutDown();
  ScopedShutDown() { SetLibraryShutDown(true); }
  ~ScopedShutDown() { SetLibraryShutDown(previous); }
};

}  // namespace

// Every guard holds its section for its lifetime while locking is on, and nothing while it is off.
TEST(Locks, GuardsFollowTheSwitch) {
  for (bool on : {true, false}) {
    ScopedLocks locks(on);
    CCriticalSection section;
    CSharedCriticalSection shared;
    CRITICAL_SECTION& global = GetGlobalCriticalSection(eGlobalCSShutdownList).GetCS();
    {
      CScopeCriticalSection guard(section.GetCS()), globalGuard(eGlobalCSShutdownList);
      CScopeSharedCriticalSection sharedGuard(shared, true);
      EXPECT_EQ(!on, OtherThreadCanEnter(section.GetCS()));
      EXPECT_EQ(!on, OtherThreadCanEnter(global));
      EXPECT_EQ(on, shared.GetShare() && !OtherThreadCanEnter(shared.GetShare()->GetCS()));
      EXPECT_TRUE(OtherThreadCanEnter(GetGlobalCriticalSection(eGlobalCSModuleList).GetCS()));
      CScopeCriticalSection::SetCriticalSectionsAllowed(false);  // a guard taken is still left
    }
    EXPECT_TRUE(OtherThreadCanEnter(section.GetCS()) && OtherThreadCanEnter(global));
    EXPECT_EQ(0, shared.GetUseCount());
  }
  CCriticalSection section;
  section.Enter();
  bool fromOther = true;
  std::thread([&] { fromOther = section.IsLocked(); }).join();
  EXPECT_TRUE(section.IsLocked() && !fromOther);
  section.Leave();
}

// A shared section is borrowed on the first share and given back on the last, to be lent again;
// after shut-down nothing is borrowed and what comes back is destroyed, with the free ones.
TEST(Locks, SharedSectionsAreBorrowedReturnedAndLentAgain) {
  SSharedSectionStats before = GetSharedSectionStats();
  {
    CSharedCriticalSection shared;
    shared.ReleaseShare();  // without a share: nothing
    shared.InitShare();
    CCriticalSection* first = shared.GetShare();
    ASSERT_NE(nullptr, first);
    shared.InitShare();
    shared.ReleaseShare();
    EXPECT_EQ(first, shared.GetShare());
    shared.ReleaseShare();
    EXPECT_EQ(nullptr, shared.GetShare());
    EXPECT_EQ(before.freeSections + (before.freeSections ? 0 : 1), GetSharedSectionStats().freeSections);
    CSharedCriticalSection again(true), destroyedHeld(true);
    EXPECT_EQ(first, again.GetShare());
    destroyedHeld.InitShare();
  }
  SSharedSectionStats after = GetSharedSectionStats();
  EXPECT_EQ(before.liveSections + after.freeSections - before.freeSections, after.liveSections);
  CSharedCriticalSection held(true);
  SSharedSectionStats during = GetSharedSectionStats();
  ScopedShutDown shutDown;
  CSharedCriticalSection late;
  late.InitShare();
  EXPECT_EQ(nullptr, late.GetShare());
  { CScopeSharedCriticalSection guard(late, false); }
  late.ReleaseShare();
  held.ReleaseShare();
  EXPECT_EQ(0u, GetSharedSectionStats().freeSections);
  EXPECT_EQ(during.liveSections - 1 - during.freeSections, GetSharedSectionStats().liveSections);
}

// Racing threads set up once and all see the value; a failed set-up is tried again.
TEST(OnceFlag, RacingThreadsSetUpOnceAndAllSeeTheData) {
  for (int round = 0; round < 20; ++round) {
    Orv::COnceFlag flag;
    Orv::CCriticalSection lock;
    int calls = 0, value = 0;
    std::atomic<int> waiting{4}, complete{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&] {
        for (waiting.fetch_sub(1); waiting.load() != 0;) {
        }
        bool done = flag.Run(lock, [&] { return (value = ++calls) > 0; });
        complete.fetch_add(done && value == 1);
      });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_TRUE(calls == 1 && complete == 4) << round;
  }
}

TEST(OnceFlag, FailedSetUpIsTriedAgainUntilItSucceeds) {
  Orv::COnceFlag flag;
  int calls = 0;
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(flag.Run(Orv::eGlobalCSClassStatics, [&] { return ++calls == 5; }));
  EXPECT_FALSE(flag.IsDone());
  EXPECT_TRUE(flag.Run(Orv::eGlobalCSClassStatics, [&] { return ++calls == 4; }));
  EXPECT_TRUE(flag.Run(Orv::eGlobalCSClassStatics, [&] { return ++calls > 0; }));
  EXPECT_TRUE(calls == 4 && flag.IsDone());
}
