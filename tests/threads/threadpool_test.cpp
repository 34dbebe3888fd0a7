// Thread pools: priority order, cancellation, completion on the main thread, waits, thread counts,
// worker suspension and destruction.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "orvutil/threads.h"
#include "test_items.h"

using Orv::IThreadPool;
using Orv::tSmartPtr;
using ThreadsTest::CEvent;
using ThreadsTest::CRunLog;
using ThreadsTest::CTestItem;
using ThreadsTest::CTestListener;
using ThreadsTest::Implementation;
using ThreadsTest::MakeItem;
using ThreadsTest::MakePool;

namespace {

int ExpectedDefaultThreads() {
  SYSTEM_INFO info;
  ::GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 8 ? 8 : static_cast<int>(info.dwNumberOfProcessors);
}

// A one-thread pool whose worker is held by a blocking item until Release().
class BlockedPool : public ::testing::Test {
 protected:
  void SetUp() override {
    pool = MakePool(1);
    ASSERT_TRUE(pool);
    Block();
  }
  void TearDown() override {
    release.Set();
    pool->WaitForAllWork();
  }

  // Holds the worker with a new blocking item.
  void Block() {
    ::ResetEvent(started.Get());
    ::ResetEvent(release.Get());
    blocker = MakeItem();
    blocker->started = started.Get();
    blocker->release = release.Get();
    pool->AddWorkItem(blocker);
    ASSERT_TRUE(started.Wait());
  }

  CEvent started, release;
  tSmartPtr<IThreadPool> pool;
  tSmartPtr<CTestItem> blocker;
};

}  // namespace

TEST_F(BlockedPool, PendingItemsRunByPriorityAndLatestFirstAmongEquals) {
  struct {
    std::vector<int> priorities;  // in the order of adding; tags are the indices
    std::vector<int> expectedTags;
  } const cases[] = {
      {{1, 5, 9}, {2, 1, 0}},
      {{5, 5}, {1, 0}},
      {{3, 7, 3, 7, 5}, {3, 1, 4, 2, 0}},
  };
  for (auto const& c : cases) {
    CRunLog log;
    std::vector<tSmartPtr<CTestItem>> items;
    for (size_t i = 0; i < c.priorities.size(); ++i) {
      items.push_back(MakeItem(c.priorities[i], static_cast<int>(i)));
      items.back()->log = &log;
      pool->AddWorkItem(items.back());
    }
    release.Set();
    pool->WaitForAllWork();
    EXPECT_EQ(log.Tags(), c.expectedTags);
    Block();
  }
}

TEST_F(BlockedPool, CancellingAPendingItemDeliversItsCancelOnly) {
  tSmartPtr<CTestItem> item = MakeItem();
  tSmartPtr<CTestListener> listener = ThreadsTest::Make<CTestListener>();
  item->AddListener(listener);
  pool->AddWorkItem(item);
  EXPECT_TRUE(pool->CancelWorkItem(item));
  EXPECT_EQ(item->cancels, 1);
  EXPECT_EQ(listener->cancels, 1);
  EXPECT_EQ(listener->lastItem, item.Get());
  EXPECT_FALSE(pool->CancelWorkItem(item));  // no longer queued
  release.Set();
  pool->WaitForAllWork();
  EXPECT_EQ(item->runs, 0);
  EXPECT_EQ(item->completions, 0);
  EXPECT_EQ(listener->completions, 0);
  EXPECT_EQ(item->cancels, 1);
}

TEST_F(BlockedPool, ARunningItemCannotBeCancelledAndStillCompletes) {
  EXPECT_FALSE(pool->CancelWorkItem(blocker));
  release.Set();
  EXPECT_TRUE(pool->WaitForWorkItem(blocker));
  EXPECT_EQ(blocker->cancels, 0);
  EXPECT_EQ(blocker->completions, 1);
  EXPECT_FALSE(pool->CancelWorkItem(blocker));  // finished
}

TEST_F(BlockedPool, WaitsAreRefusedOffTheMainThread) {
  tSmartPtr<CTestItem> item = MakeItem();
  pool->AddWorkItem(item);
  bool waitedForItem = true, waitedForAny = true;
  std::thread([&] {
    waitedForItem = pool->WaitForWorkItem(item);
    waitedForAny = pool->WaitForWorkItem(nullptr);
    pool->WaitForAllWork();  // returns at once although the blocker still runs
  }).join();
  EXPECT_FALSE(waitedForItem);
  EXPECT_FALSE(waitedForAny);
  EXPECT_EQ(blocker->completions, 0);
  EXPECT_EQ(item->completions, 0);
}

TEST_F(BlockedPool, DestructionCancelsPendingItemsAndCompletesTheRunningOne) {
  tSmartPtr<CTestItem> pending = MakeItem();
  pending->onCancelSet = release.Get();  // the cancel lets the blocker finish
  pool->AddWorkItem(pending);
  DWORD worker = blocker->runThread;
  pool.Reset();  // the last reference: waits for the worker
  EXPECT_EQ(pending->cancels, 1);
  EXPECT_EQ(pending->runs, 0);
  EXPECT_EQ(blocker->completions, 1);
  EXPECT_EQ(blocker->completeThread, ::GetCurrentThreadId());
  EXPECT_TRUE(ThreadsTest::ThreadEnded(worker));
  pool = MakePool(1);  // for TearDown
}

TEST(ThreadPool, CompletionRunsOnTheMainThreadAfterRun) {
  tSmartPtr<IThreadPool> pool = MakePool(2);
  tSmartPtr<CTestItem> item = MakeItem();
  tSmartPtr<CTestListener> listener = ThreadsTest::Make<CTestListener>();
  item->AddListener(listener);
  pool->AddWorkItem(item);
  EXPECT_TRUE(pool->WaitForWorkItem(item));
  EXPECT_EQ(item->runs, 1);
  EXPECT_EQ(item->runsBeforeComplete, 1);
  EXPECT_NE(item->runThread, ::GetCurrentThreadId());
  EXPECT_EQ(item->completeThread, ::GetCurrentThreadId());
  EXPECT_EQ(listener->completions, 1);
  EXPECT_EQ(listener->completeThread, ::GetCurrentThreadId());
  EXPECT_TRUE(pool->WaitForWorkItem(item));  // already delivered: returns at once
  EXPECT_EQ(item->completions, 1);
}

TEST(ThreadPool, CompletionArrivesThroughTheMainThreadQueueWithoutAPoolWait) {
  tSmartPtr<IThreadPool> pool = MakePool(1);
  tSmartPtr<CTestItem> item = MakeItem();
  CEvent completed;
  tSmartPtr<CTestListener> listener = ThreadsTest::Make<CTestListener>();
  listener->onCompleteSet = completed.Get();
  item->AddListener(listener);
  pool->AddWorkItem(item);
  EXPECT_TRUE(Orv::WaitForHandle(completed.Get()));
  EXPECT_EQ(item->completions, 1);
  EXPECT_EQ(item->completeThread, ::GetCurrentThreadId());
}

TEST(ThreadPool, WaitForAnyReturnsOnceSomeCompletionWasDelivered) {
  tSmartPtr<IThreadPool> pool = MakePool(1);
  EXPECT_TRUE(pool->WaitForWorkItem(nullptr));  // nothing to wait for
  tSmartPtr<CTestItem> first = MakeItem(), second = MakeItem();
  pool->AddWorkItem(first);
  pool->AddWorkItem(second);
  EXPECT_TRUE(pool->WaitForWorkItem(nullptr));
  EXPECT_GE(first->completions + second->completions, 1);  // the message pump may deliver more
  pool->WaitForAllWork();
  EXPECT_EQ(first->completions + second->completions, 2);
}

TEST(ThreadPool, MaximumThreadCountIsTheRequestOrTheCappedProcessorCountAndNullsAreRefused) {
  struct {
    int requested;
    int expected;
  } const cases[] = {{0, ExpectedDefaultThreads()},
                     {33, ExpectedDefaultThreads()},
                     {-1, ExpectedDefaultThreads()},
                     {1, 1},
                     {32, 32},
                     {3, 3}};
  for (auto const& c : cases) {
    tSmartPtr<IThreadPool> pool = MakePool(c.requested);
    ASSERT_TRUE(pool) << c.requested;
    Orv::CThreadPool* implementation = Implementation(pool);
    ASSERT_NE(implementation, nullptr);
    EXPECT_EQ(implementation->GetMaxThreads(), c.expected) << c.requested;
    EXPECT_EQ(implementation->GetThreadCount(), 0u) << "threads start on demand";
  }
  EXPECT_FALSE(Orv::CreateThreadPool(nullptr, 1));
  tSmartPtr<IThreadPool> pool = MakePool(1);
  pool->AddWorkItem(nullptr);
  EXPECT_FALSE(pool->CancelWorkItem(nullptr));
  EXPECT_EQ(Implementation(pool)->GetThreadCount(), 0u);
}

TEST(ThreadPool, StartsOneThreadPerBusyItemUpToItsMaximum) {
  tSmartPtr<IThreadPool> pool = MakePool(3);
  Orv::CThreadPool* implementation = Implementation(pool);
  CEvent release;
  std::vector<tSmartPtr<CTestItem>> items;
  for (int i = 0; i < 5; ++i) {
    items.push_back(MakeItem());
    items.back()->release = release.Get();
    pool->AddWorkItem(items.back());
    EXPECT_EQ(implementation->GetThreadCount(), static_cast<unsigned>(i < 3 ? i + 1 : 3));
  }
  release.Set();
  pool->WaitForAllWork();
  for (auto& item : items) EXPECT_EQ(item->completions, 1);

  // An idle worker takes the next item: no new thread.
  tSmartPtr<CTestItem> later = MakeItem();
  pool->AddWorkItem(later);
  EXPECT_TRUE(pool->WaitForWorkItem(later));
  EXPECT_EQ(implementation->GetThreadCount(), 3u);
}

TEST(ThreadPool, NestedBlocksSuspendTheWorkersOnceAndResumeThemAtTheOutermostEnd) {
  tSmartPtr<IThreadPool> pool = MakePool(1);
  tSmartPtr<CTestItem> item = MakeItem();
  pool->AddWorkItem(item);
  ASSERT_TRUE(pool->WaitForWorkItem(item));
  HANDLE worker = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, item->runThread);
  ASSERT_NE(worker, nullptr);
  // SuspendThread returns the previous suspend count; ResumeThread undoes the probe.
  auto suspensions = [worker] {
    DWORD previous = ::SuspendThread(worker);
    ::ResumeThread(worker);
    return previous;
  };
  EXPECT_EQ(suspensions(), 0u);
  {
    Orv::CScopeBlockAllWorkerThreads outer;
    EXPECT_EQ(suspensions(), 1u);
    {
      Orv::CScopeBlockAllWorkerThreads inner;
      EXPECT_EQ(suspensions(), 1u);
    }
    EXPECT_EQ(suspensions(), 1u);
  }
  EXPECT_EQ(suspensions(), 0u);
  ::CloseHandle(worker);

  tSmartPtr<CTestItem> after = MakeItem();
  pool->AddWorkItem(after);
  EXPECT_TRUE(pool->WaitForWorkItem(after));
  EXPECT_EQ(after->completions, 1);
}

TEST(ThreadPool, FlushAllThreadPoolWorkDeliversTheWorkOfEveryPool) {
  tSmartPtr<IThreadPool> first = MakePool(1), second = MakePool(2);
  std::vector<tSmartPtr<CTestItem>> items;
  for (int i = 0; i < 6; ++i) {
    items.push_back(MakeItem());
    (i % 2 ? first : second)->AddWorkItem(items.back());
  }
  Orv::FlushAllThreadPoolWork();
  for (auto& item : items) EXPECT_EQ(item->completions, 1);
}

TEST(ThreadPool, TheGlobalPoolIsCreatedOnceWithTheDefaultMaximum) {
  IThreadPool* global = Orv::GetGlobalThreadPool();
  ASSERT_NE(global, nullptr);
  EXPECT_EQ(Orv::GetGlobalThreadPool(), global);
  EXPECT_EQ(Implementation(global)->GetMaxThreads(), ExpectedDefaultThreads());
  tSmartPtr<CTestItem> item = MakeItem();
  global->AddWorkItem(item);
  EXPECT_TRUE(global->WaitForWorkItem(item));
  EXPECT_EQ(item->completions, 1);
}
