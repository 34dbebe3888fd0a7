// Background loading of saved data: merged requests, waits, cancellation, listeners on the main
// thread, and a stress run of four threads queueing work against the main thread's cancels.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "../support/byte_records.h"
#include "test_objects.h"

namespace {

using namespace PackageTests;
using Orv::tSmartPtr;
using OrvTest::Bytes;
using Counter = tSmartPtr<CCounter, Orv::IAsyncDataListener>;

// Saved data holding `text`, compressed in memory and not loaded.
tSmartPtr<Orv::ISavedData> Compressed(const std::string& text) {
  tSmartPtr<Orv::ISavedData> loaded, saved;
  Orv::CreateLoadedDataFromMemory(OrvTest::Block(text), true, loaded.Receive());
  Orv::CreateSavedDataFromMemory(loaded->GetSavedData(), static_cast<unsigned>(text.size()), true, saved.Receive());
  return saved;
}

class AsyncLoading : public testing::Test {
 protected:
  tSmartPtr<Orv::IAsyncDataLoader> loader;
  Counter heard = NewCounter();  // the loader's own listener
  void SetUp() override {
    ASSERT_TRUE(Orv::CreateAsyncDataLoader(loader.Receive()));
    loader->AddListener(heard);
  }
};

TEST_F(AsyncLoading, EqualRequestsMergeOtherWorkWaitsItsTurnAndForegroundLoadsWait) {
  std::string text(100000, 'x');
  tSmartPtr<Orv::ISavedData> data = Compressed(text), other = Compressed(text);
  auto first = NewCounter(), second = NewCounter(), unload = NewCounter();
  {
    Orv::CScopeBlockAllWorkerThreads hold;  // nothing runs before both requests are in
    ASSERT_TRUE(loader->LoadAsync(data, 0, first));
    ASSERT_TRUE(loader->LoadAsync(data, 0, second));
    ASSERT_TRUE(loader->LoadAsync(other, 0, nullptr));
    EXPECT_TRUE(loader->IsBusy());
  }
  EXPECT_EQ(text, Bytes(other->Load()));  // waits for the pending load
  ASSERT_TRUE(loader->UnloadAsync(data, 0, unload));  // waits for the load first
  EXPECT_EQ(1, first->completed);
  EXPECT_EQ(1, second->completed);
  ASSERT_TRUE(loader->WaitForAll());
  EXPECT_EQ(3, heard->completed);  // the two equal loads merged into one item
  EXPECT_EQ(1, unload->completed);
  EXPECT_FALSE(loader->IsBusy());
  EXPECT_EQ(text, Bytes(data->Load()));
  tSmartPtr<Orv::IAsyncDataLoader> attached;
  EXPECT_FALSE(data->GetAsyncLoader(attached.Receive()));
}

TEST_F(AsyncLoading, CancelledWorkLeavesTheDataAsItWas) {
  tSmartPtr<Orv::ISavedData> data = Compressed(std::string(1000, 'z'));
  unsigned savedSize = data->GetSavedSize();
  auto listener = NewCounter(), silenced = NewCounter();
  tSmartPtr<Orv::IProxyAsyncDataListener> proxy;
  ASSERT_TRUE(Orv::CreateProxyAsyncDataListener(silenced, proxy.Receive()));
  proxy->SetListener(nullptr);
  {
    Orv::CScopeBlockAllWorkerThreads hold;
    ASSERT_TRUE(loader->UnloadAsync(data, 0, listener));
    ASSERT_TRUE(loader->UnloadAsync(data, 0, proxy));
    EXPECT_TRUE(loader->CancelData(data));
    EXPECT_FALSE(loader->CancelData(data));  // nothing left to cancel
  }
  EXPECT_EQ(1, listener->cancelled);
  EXPECT_EQ(1, heard->cancelled);
  EXPECT_EQ(0, listener->completed + silenced->completed + silenced->cancelled);
  EXPECT_EQ(savedSize, data->GetSavedSize());
  EXPECT_FALSE(loader->IsBusy());
  EXPECT_FALSE(loader->LoadAsync(nullptr, 0, listener));
}

// The text of the i-th saved data of the stress run.
std::string Text(int i) { return std::string(100 + i * 7, static_cast<char>('A' + i % 26)) + std::to_string(i); }

// Four threads queue random work over shared saved data while the main thread cancels at random:
// every request hears exactly one completion or cancellation, and the bytes survive every round.
TEST_F(AsyncLoading, StressEveryRequestHearsOnceAndBytesSurvive) {
  const int kData = 200, kThreads = 4, kPerThread = 2500;
  std::vector<tSmartPtr<Orv::ISavedData>> data;
  for (int i = 0; i < kData; ++i) data.push_back(Compressed(Text(i)));
  std::vector<Counter> listeners(kThreads * kPerThread);
  for (auto& listener : listeners) listener = NewCounter();
  std::atomic<int> threadsDone{0}, refused{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      std::mt19937 random(t + 1);
      for (int i = 0; i < kPerThread; ++i) {
        Orv::ISavedData* d = data[random() % kData];
        CCounter* listener = listeners[t * kPerThread + i];
        bool ok = false;
        switch (random() % 3) {
          case 0: ok = loader->LoadAsync(d, 0, listener); break;
          case 1: ok = loader->UnloadAsync(d, 0, listener); break;
          default: ok = loader->SaveAsync(d, 0, listener); break;
        }
        if (!ok) ++refused, ++listener->completed;  // counted as heard, so the check stays exact
      }
      ++threadsDone;
    });
  }
  std::mt19937 random(99);
  while (threadsDone < kThreads || loader->IsBusy()) {
    loader->CancelData(data[random() % kData]);
    Orv::GetGlobalThreadPool()->WaitForWorkItem(nullptr);
  }
  for (auto& thread : threads) thread.join();
  loader->WaitForAll();
  int wrong = 0;
  for (auto& listener : listeners) wrong += listener->completed + listener->cancelled != 1 || listener->offMainThread;
  EXPECT_EQ(0, wrong);
  EXPECT_EQ(0, refused);
  for (int i = 0; i < kData; ++i) EXPECT_EQ(Text(i), Bytes(data[i]->Load())) << i;
}

}  // namespace
