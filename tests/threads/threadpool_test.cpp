// Work items and thread pools: the listener list and proxy listeners; priority order, cancellation,
// completion on the main thread, worker suspension, destruction, and every item and posted function
// ending exactly once under concurrent adds, cancels and posts.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <random>
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

// Logs its tag for a completion and its tag + 10 for a cancel.
class CTestListener : public Orv::CComBase, public Orv::IWorkItemListener {
 public:
  ORV_INTERFACES(Orv::IWorkItemListener)
  void OnWorkItemComplete(Orv::IWorkItem*) override { log->push_back(tag); }
  void OnWorkItemCancel(Orv::IWorkItem*) override { log->push_back(tag + 10); }

  std::vector<int>* log = nullptr;
  int tag = 0;
};

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

ORV_CLASS_GUID(CTestListener, 0x095a8d84, 0xdb9e, 0x4f76, 0xae, 0x46, 0x36, 0x56, 0xbc, 0xbf, 0x4d, 0xdd)

// Each listener hears once, in the order of adding, and is released after the delivery; a proxy
// forwards to its target, which it does not hold, until the target is cleared.
TEST(WorkItem, ListenersHearOnceInOrderAndAreReleased) {
  for (int cancel : {0, 10}) {
    std::vector<int> log;
    auto item = MakeItem();
    tSmartPtr<CTestListener> listeners[4];
    for (int tag : {2, 0, 3, 1, 2}) {
      if (!listeners[tag]) listeners[tag] = OrvTest::New<CTestListener>();
      listeners[tag]->log = &log, listeners[tag]->tag = tag;
      item->AddListener(listeners[tag]);
    }
    item->AddListener(nullptr);
    item->RemoveListener(listeners[3]);
    item->RemoveListener(listeners[3]);
    tSmartPtr<Orv::IProxyWorkItemListener> proxy, cleared;
    ASSERT_TRUE(item->AddProxyListener(listeners[3], proxy.Receive()) &&
                item->AddProxyListener(listeners[0], cleared.Receive()));
    EXPECT_FALSE(item->AddProxyListener(listeners[3], nullptr));
    cleared->SetWorkItemListener(nullptr);
    for (int i = 0; i < 2; ++i)
      cancel ? item->InternalOnCancel() : item->InternalOnComplete();  // listeners hear the first
    EXPECT_EQ((std::vector<int>{2 + cancel, 0 + cancel, 1 + cancel, 3 + cancel}), log);
    EXPECT_EQ(2, cancel ? item->cancels.load() : item->completions.load());
    for (auto& listener : listeners) EXPECT_EQ(1, listener->_GetRefCount());
  }
}

// Pending items run by priority, latest first among equals, on a worker, and complete on the main
// thread; a pending item can be cancelled, a running one cannot; waits are refused off the main
// thread; destruction cancels what is pending.
TEST(ThreadPool, PriorityCancellationCompletionAndDestruction) {
  EXPECT_FALSE(Orv::CreateThreadPool(nullptr, 1));
  tSmartPtr<IThreadPool> pool = MakePool(1);
  EXPECT_TRUE(pool->WaitForWorkItem(nullptr));  // nothing to wait for
  CEvent release;
  tSmartPtr<CTestItem> blocker = Block(pool, release);
  std::vector<int> log;
  std::vector<tSmartPtr<CTestItem>> items;
  for (int priority : {3, 7, 3, 7, 5, 1, 9}) {
    items.push_back(MakeItem(priority, static_cast<int>(items.size()), &log));
    pool->AddWorkItem(items.back());
  }
  pool->AddWorkItem(nullptr);
  EXPECT_TRUE(pool->CancelWorkItem(items[4]));
  EXPECT_FALSE(pool->CancelWorkItem(items[4]) || pool->CancelWorkItem(blocker) || pool->CancelWorkItem(nullptr));
  bool waited = true;
  std::thread([&] { waited = pool->WaitForWorkItem(items[0]) || pool->WaitForWorkItem(nullptr); }).join();
  EXPECT_FALSE(waited);
  release.Set();
  EXPECT_TRUE(pool->WaitForWorkItem(items[0]));
  pool->WaitForAllWork();
  EXPECT_TRUE(pool->WaitForWorkItem(items[0]));  // already delivered
  EXPECT_EQ((std::vector<int>{6, 3, 1, 2, 0, 5}), log);
  EXPECT_TRUE(items[4]->cancels == 1 && items[4]->runs + items[4]->completions == 0);
  DWORD const mainThread = ::GetCurrentThreadId();
  for (int i : {0, 6})
    EXPECT_TRUE(items[i]->runsBeforeComplete == 1 && items[i]->completions == 1 && items[i]->runThread != mainThread &&
                items[i]->completeThread == mainThread);

  Orv::FlushMainThreadFunctions();  // posted deliveries hold references to the pool
  blocker = Block(pool, release);
  tSmartPtr<CTestItem> pending = MakeItem();
  pending->onEnd = [&release] { release.Set(); };  // the cancel lets the blocker finish
  pool->AddWorkItem(pending);
  HANDLE worker = ::OpenThread(SYNCHRONIZE, FALSE, blocker->runThread);
  pool.Reset();  // the last reference waits for the worker
  EXPECT_TRUE(pending->cancels == 1 && blocker->completions == 1 && ::WaitForSingleObject(worker, 0) == WAIT_OBJECT_0);
  ::CloseHandle(worker);
}

// While blocks are held (however nested) no worker takes an item, neither a free one nor one started
// for the new item, and an item already running finishes.
TEST(ThreadPool, BlocksHoldBackNewWork) {
  tSmartPtr<IThreadPool> pool = MakePool(3), single = MakePool(1);
  CEvent release;
  tSmartPtr<CTestItem> running = Block(single, release), later = MakeItem(), elsewhere = MakeItem();
  {
    Orv::CScopeBlockAllWorkerThreads outer;
    {
      Orv::CScopeBlockAllWorkerThreads inner;
    }
    release.Set();
    EXPECT_TRUE(single->WaitForWorkItem(running));
    pool->AddWorkItem(later);
    single->AddWorkItem(elsewhere);
    ::Sleep(100);  // ample time for a worker to take them, were it allowed to
    EXPECT_EQ(0, later->runs + elsewhere->runs);
  }
  Orv::FlushAllThreadPoolWork();
  EXPECT_EQ(2, later->completions + elsewhere->completions);
}

// Producers add items, post functions and register thread-exit functions while the main thread
// cancels random items (also ones not yet added) and drains the posts, so that posts take their
// entries from the pool that drains give them back to. Every item ends exactly once; every function
// runs once, in its thread's order, on the main thread (exit functions on their own thread), and is
// destroyed.
TEST(ThreadPool, EverythingEndsExactlyOnceUnderConcurrentAddsCancelsAndPosts) {
  const int kProducers = 4, kItems = 80000;
  tSmartPtr<IThreadPool> pool = MakePool(4);
  std::mt19937 random(42);
  std::vector<tSmartPtr<CTestItem>> items;
  for (int i = 0; i < kItems; ++i) items.push_back(MakeItem(static_cast<int>(random() % 10)));
  Orv::CModule& module = Orv::GetThisModule();
  long const objects = module.GetObjectCount();  // the items are objects of the module too
  auto token = std::make_shared<int>();          // held by every function while it lives
  std::vector<int> next(kProducers);
  std::atomic<int> producersDone{0}, exitRuns{0}, wrong{0};
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&, p] {
      for (int i = p; i < kItems; i += kProducers) {
        pool->AddWorkItem(items[i]);
        Orv::PostMainThreadFunction(
            [&, p, i, token] { wrong += i != p + kProducers * next[p]++ || !Orv::IsRunningOnMainThread(); }, &module);
        if (i % 4000 == p)
          Orv::AtThreadExit([&, token, self = ::GetCurrentThreadId()] { exitRuns += self == ::GetCurrentThreadId(); },
                            &module);
      }
      Orv::AtThreadExit(std::function<void()>(), &module);  // ignored
      ++producersDone;
    });
  }
  for (int attempt = 1; producersDone < kProducers; ++attempt) {
    pool->CancelWorkItem(items[random() % items.size()]);
    if (attempt % 64 == 0) Orv::FlushMainThreadFunctions();
  }
  for (std::thread& producer : producers) producer.join();
  pool->WaitForAllWork();
  Orv::FlushMainThreadFunctions();
  for (auto& item : items) {
    ASSERT_EQ(1, item->completions + item->cancels);
    ASSERT_EQ(item->runs.load(), item->completions.load());
  }
  EXPECT_EQ(0, wrong.load());
  EXPECT_EQ(std::vector<int>(kProducers, kItems / kProducers), next);
  EXPECT_EQ(kItems / 4000 * kProducers, exitRuns.load());
  EXPECT_EQ(1, token.use_count());
  EXPECT_EQ(objects, module.GetObjectCount());
}
