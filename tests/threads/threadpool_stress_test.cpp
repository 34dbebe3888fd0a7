// Many producers, random priorities and random cancellation: every item ends exactly once.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "orvutil/threads.h"
#include "test_items.h"

using Orv::tSmartPtr;
using ThreadsTest::CEvent;
using ThreadsTest::CTestItem;

namespace {

// Counts, per item, the listener callbacks of either kind.
class CCountingListener : public Orv::CComBase, public Orv::IWorkItemListener {
 public:
  ORV_INTERFACES(Orv::IWorkItemListener)

  void OnWorkItemComplete(Orv::IWorkItem* item) override { ++static_cast<CTestItem*>(item)->listenerCalls; }
  void OnWorkItemCancel(Orv::IWorkItem* item) override { ++static_cast<CTestItem*>(item)->listenerCalls; }
};

}  // namespace

ORV_CLASS_GUID(CCountingListener, 0x214bc9a1, 0x67d7, 0x40ae, 0xa3, 0x08, 0x61, 0xe8, 0x89, 0xed, 0xb2, 0xc1)

TEST(ThreadPoolStress, EveryItemEndsExactlyOnceUnderConcurrentAddsAndCancels) {
  const int kProducers = 4, kPerProducer = 25000, kTotal = kProducers * kPerProducer;
  tSmartPtr<Orv::IThreadPool> pool = ThreadsTest::MakePool(4);
  tSmartPtr<CCountingListener> listener = ThreadsTest::Make<CCountingListener>();

  // Blockers hold every worker until the main thread has cancelled some surely pending items.
  CEvent blockersStarted[4], release;
  std::vector<tSmartPtr<CTestItem>> blockers;
  for (CEvent& started : blockersStarted) {
    blockers.push_back(ThreadsTest::MakeItem(100));
    blockers.back()->started = started.Get();
    blockers.back()->release = release.Get();
    pool->AddWorkItem(blockers.back());
  }
  for (CEvent& started : blockersStarted) ASSERT_TRUE(started.Wait());

  std::mutex mutex;
  std::vector<tSmartPtr<CTestItem>> items;
  items.reserve(kTotal);
  std::atomic<int> producersDone{0};
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&, p] {
      std::mt19937 random(p + 1);
      for (int i = 0; i < kPerProducer; ++i) {
        tSmartPtr<CTestItem> item = ThreadsTest::MakeItem(static_cast<int>(random() % 10));
        item->AddListener(listener);
        {
          std::lock_guard<std::mutex> lock(mutex);
          items.push_back(item);
        }
        pool->AddWorkItem(item);
      }
      ++producersDone;
    });
  }

  std::mt19937 random(42);
  auto cancelOne = [&] {
    tSmartPtr<CTestItem> victim;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (items.empty()) return false;
      victim = items[random() % items.size()];
    }
    return pool->CancelWorkItem(victim);
  };
  int cancelledWhileBlocked = 0;
  while (cancelledWhileBlocked < 100) cancelledWhileBlocked += cancelOne() ? 1 : 0;
  release.Set();
  int cancelAttempts = 0;
  while (producersDone < kProducers) {
    cancelOne();
    if (++cancelAttempts % 64 == 0) Orv::FlushMainThreadFunctions();
  }
  for (std::thread& producer : producers) producer.join();
  pool->WaitForAllWork();

  ASSERT_EQ(items.size(), static_cast<size_t>(kTotal));
  int completed = 0, cancelled = 0;
  std::set<DWORD> workers;
  for (auto& item : items) {
    ASSERT_EQ(item->completions + item->cancels, 1);
    ASSERT_EQ(item->listenerCalls, 1);
    ASSERT_EQ(item->runs, item->completions);
    if (item->completions) {
      ASSERT_EQ(item->completeThread, ::GetCurrentThreadId());
      workers.insert(item->runThread);
    }
    completed += item->completions;
    cancelled += item->cancels;
  }
  EXPECT_GE(cancelled, 100);
  EXPECT_EQ(completed + cancelled, kTotal);
  for (auto& blocker : blockers) EXPECT_EQ(blocker->completions, 1);

  Orv::FlushMainThreadFunctions();  // the posted deliveries hold references to the pool
  pool.Reset();                     // clean shut-down: every worker has ended when the last reference goes
  for (DWORD worker : workers) EXPECT_TRUE(ThreadsTest::ThreadEnded(worker));
  EXPECT_EQ(listener->_GetRefCount(), 1);
}
