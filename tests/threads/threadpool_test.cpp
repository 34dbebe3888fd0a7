// Thread pools: priority order, cancellation, completion on the main thread, thread counts, worker
// suspension, destruction, and every item ending exactly once under concurrent adds and cancels.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "orvutil/threads.h"
#include "test_items.h"

using Orv::IThreadPool;
using Orv::tSmartPtr;
using ThreadsTest::CEvent;
using ThreadsTest::CTestItem;
using ThreadsTest::MakeItem;
using ThreadsTest::MakePool;

namespace {

// Holds the only worker of `pool` with a blocking item until `release` is set.
tSmartPtr<CTestItem> Block(IThreadPool* pool, CEvent& release) {
  CEvent started;
  ::ResetEvent(release.Get());
  tSmartPtr<CTestItem> blocker = MakeItem(100);
  blocker->started = started.Get();
  blocker->release = release.Get();
  pool->AddWorkItem(blocker);
  started.Wait();
  return blocker;
}

}  // namespace

// Pending items run by priority, latest first among equals, on a worker, and complete on the main
// thread; a pending item can be cancelled, a running one cannot; waits are refused off the main
// thread; destruction cancels what is pending.
TEST(ThreadPool, PriorityCancellationCompletionAndDestruction) {
  EXPECT_FALSE(Orv::CreateThreadPool(nullptr, 1));
  tSmartPtr<IThreadPool> pool = MakePool(1);
  EXPECT_TRUE(pool->WaitForWorkItem(nullptr));  // nothing to wait for
  CEvent release;
  tSmartPtr<CTestItem> blocker = Block(pool, release);
  ThreadsTest::CRunLog log;
  std::vector<tSmartPtr<CTestItem>> items;
  for (int priority : {3, 7, 3, 7, 5, 1, 9}) {
    items.push_back(MakeItem(priority, static_cast<int>(items.size()), &log));
    pool->AddWorkItem(items.back());
  }
  pool->AddWorkItem(nullptr);
  EXPECT_TRUE(pool->CancelWorkItem(items[4]));
  EXPECT_FALSE(pool->CancelWorkItem(items[4]) || pool->CancelWorkItem(blocker) || pool->CancelWorkItem(nullptr));
  EXPECT_EQ(1, items[4]->cancels.load());
  bool waited = true;
  std::thread([&] { waited = pool->WaitForWorkItem(items[0]) || pool->WaitForWorkItem(nullptr); }).join();
  EXPECT_FALSE(waited);
  release.Set();
  EXPECT_TRUE(pool->WaitForWorkItem(items[0]));
  pool->WaitForAllWork();
  EXPECT_TRUE(pool->WaitForWorkItem(items[0]));  // already delivered
  EXPECT_EQ((std::vector<int>{6, 3, 1, 2, 0, 5}), log.tags);
  EXPECT_EQ(0, items[4]->runs.load() + items[4]->completions.load());
  DWORD const mainThread = ::GetCurrentThreadId();
  for (int i : {0, 6}) {
    EXPECT_TRUE(items[i]->runsBeforeComplete == 1 && items[i]->completions == 1 && items[i]->runThread != mainThread &&
                items[i]->completeThread == mainThread);
  }

  Orv::FlushMainThreadFunctions();  // posted deliveries hold references to the pool
  blocker = Block(pool, release);
  tSmartPtr<CTestItem> pending = MakeItem();
  pending->onEnd = [&release] { release.Set(); };  // the cancel lets the blocker finish
  pool->AddWorkItem(pending);
  DWORD worker = blocker->runThread;
  pool.Reset();  // the last reference waits for the worker
  EXPECT_TRUE(pending->cancels == 1 && blocker->completions == 1 && ThreadsTest::ThreadEnded(worker));
}

// One thread per busy item up to the maximum; while blocks are held (however nested) no worker takes
// an item, and an item already running finishes.
TEST(ThreadPool, ThreadsStartOnDemandAndBlocksHoldBackNewWork) {
  tSmartPtr<IThreadPool> pool = MakePool(3);
  void* object = nullptr;
  ASSERT_EQ(S_OK, pool->QueryInterface(__uuidof(Orv::CThreadPool), &object));
  pool->Release();
  auto implementation = static_cast<Orv::CThreadPool*>(static_cast<Orv::CComBaseEx*>(object));
  CEvent release;
  for (unsigned i = 0; i < 5; ++i) {
    tSmartPtr<CTestItem> item = MakeItem();
    item->release = release.Get();
    pool->AddWorkItem(item);
    EXPECT_EQ(std::min(i + 1, 3u), implementation->GetThreadCount());
  }
  release.Set();
  pool->WaitForAllWork();
  tSmartPtr<IThreadPool> single = MakePool(1);
  CEvent started, finish;
  tSmartPtr<CTestItem> running = MakeItem(), later = MakeItem(), elsewhere = MakeItem();
  running->started = started.Get();
  running->release = finish.Get();
  single->AddWorkItem(running);
  ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(started.Get(), 10000));
  {
    Orv::CScopeBlockAllWorkerThreads outer;
    {
      Orv::CScopeBlockAllWorkerThreads inner;
    }
    finish.Set();
    EXPECT_TRUE(single->WaitForWorkItem(running));
    pool->AddWorkItem(later);
    single->AddWorkItem(elsewhere);
    ::Sleep(100);  // ample time for a free worker to take them, were it allowed to
    EXPECT_EQ(0, later->runs + elsewhere->runs);
  }
  Orv::FlushAllThreadPoolWork();
  EXPECT_EQ(2, later->completions + elsewhere->completions);
  EXPECT_EQ(3u, implementation->GetThreadCount());
}

// Producers add items while the main thread cancels random ones (also ones not yet added).
TEST(ThreadPool, EveryItemEndsExactlyOnceUnderConcurrentAddsAndCancels) {
  tSmartPtr<IThreadPool> pool = MakePool(4);
  std::mt19937 random(42);
  std::vector<tSmartPtr<CTestItem>> items;
  for (int i = 0; i < 80000; ++i) items.push_back(MakeItem(static_cast<int>(random() % 10)));
  std::atomic<int> producersDone{0};
  std::vector<std::thread> producers;
  for (size_t p = 0; p < 4; ++p) {
    producers.emplace_back([&, p] {
      for (size_t i = p; i < items.size(); i += 4) pool->AddWorkItem(items[i]);
      ++producersDone;
    });
  }
  for (int attempt = 1; producersDone < 4; ++attempt) {
    pool->CancelWorkItem(items[random() % items.size()]);
    if (attempt % 64 == 0) Orv::FlushMainThreadFunctions();
  }
  for (std::thread& producer : producers) producer.join();
  pool->WaitForAllWork();
  std::set<DWORD> workers;
  for (auto& item : items) {
    ASSERT_EQ(1, item->completions + item->cancels);
    ASSERT_EQ(item->runs.load(), item->completions.load());
    if (item->runs) workers.insert(item->runThread);
  }
  Orv::FlushMainThreadFunctions();  // posted deliveries hold references to the pool
  pool.Reset();
  for (DWORD worker : workers) EXPECT_TRUE(ThreadsTest::ThreadEnded(worker));
}
