// Main-thread dispatch: posting, draining, the wake-up message, waiting and thread-exit functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "orvutil/threads.h"
#include "orvutil/ui/window.h"
#include "test_items.h"

using ThreadsTest::CEvent;

namespace {

// Runs what earlier tests left queued and removes their wake-up messages from this thread's queue.
void DrainWakeUpMessages() {
  Orv::FlushMainThreadFunctions();
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE)) {
  }
}

// Removes this thread's pending wake-up messages; returns how many there were and keeps the last.
int TakeWakeUpMessages(MSG& last) {
  int count = 0;
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE)) {
    last = msg;
    ++count;
  }
  return count;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  return name;
}

class MainThreadDispatch : public ::testing::Test {
 protected:
  void SetUp() override { DrainWakeUpMessages(); }
  void TearDown() override { DrainWakeUpMessages(); }
};

}  // namespace

TEST_F(MainThreadDispatch, TheMainThreadIsTheOneThatStartedTheLibrary) {
  EXPECT_EQ(Orv::GetMainThreadID(), ::GetCurrentThreadId());
  EXPECT_TRUE(Orv::IsRunningOnMainThread());
  bool onWorker = true;
  std::thread([&] { onWorker = Orv::IsRunningOnMainThread(); }).join();
  EXPECT_FALSE(onWorker);
}

TEST_F(MainThreadDispatch, TenPostsSendOneWakeUpMessageWhoseDispatchRunsThemInOrder) {
  std::vector<int> order;
  for (int i = 0; i < 10; ++i) Orv::PostMainThreadFunction([&order, i] { order.push_back(i); });
  MSG wakeUp = {};
  ASSERT_EQ(TakeWakeUpMessages(wakeUp), 1);
  EXPECT_EQ(ClassOf(wakeUp.hwnd), Orv::CCustomWindow::GetMessageWindowClassName());
  EXPECT_TRUE(order.empty());
  ::DispatchMessageW(&wakeUp);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

  // Once drained, the next post wakes the main thread again.
  Orv::PostMainThreadFunction([&order] { order.push_back(10); });
  EXPECT_EQ(TakeWakeUpMessages(wakeUp), 1);
  ::DispatchMessageW(&wakeUp);
  EXPECT_EQ(order.size(), 11u);
}

TEST_F(MainThreadDispatch, FunctionsPostedByWorkersRunOnTheMainThreadInPostingOrder) {
  const int kThreads = 4, kPosts = 200;
  std::vector<std::pair<int, DWORD>> ran[kThreads];
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&ran, t] {
      for (int i = 0; i < kPosts; ++i)
        Orv::PostMainThreadFunction([&ran, t, i] { ran[t].emplace_back(i, ::GetCurrentThreadId()); });
    });
  }
  for (std::thread& worker : workers) worker.join();
  for (auto& list : ran) EXPECT_TRUE(list.empty());
  Orv::FlushMainThreadFunctions();
  for (auto& list : ran) {
    ASSERT_EQ(list.size(), static_cast<size_t>(kPosts));
    for (int i = 0; i < kPosts; ++i) {
      EXPECT_EQ(list[i].first, i);
      EXPECT_EQ(list[i].second, ::GetCurrentThreadId());
    }
  }
}

TEST_F(MainThreadDispatch, PostsFromTheMainThreadRunAtTheNextFlushAndPostsWhileDrainingAtTheOneAfter) {
  std::vector<int> order;
  Orv::PostMainThreadFunction([&order] {
    order.push_back(1);
    Orv::PostMainThreadFunction([&order] { order.push_back(3); });
  });
  Orv::PostMainThreadFunction([&order] { order.push_back(2); });
  EXPECT_TRUE(order.empty());
  std::thread([] { Orv::FlushMainThreadFunctions(); }).join();  // off the main thread: nothing
  EXPECT_TRUE(order.empty());
  Orv::FlushMainThreadFunctions();
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  Orv::FlushMainThreadFunctions();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(MainThreadDispatch, PostedFunctionsKeepTheirModuleCountedAndEmptyOnesAreIgnored) {
  Orv::CModule& module = Orv::GetThisModule();
  long before = module.GetObjectCount();
  Orv::PostMainThreadFunction(std::function<void()>(), &module);
  Orv::AtThreadExit(std::function<void()>(), &module);
  MSG wakeUp;
  EXPECT_EQ(TakeWakeUpMessages(wakeUp), 0);
  EXPECT_EQ(module.GetObjectCount(), before);
  Orv::PostMainThreadFunction([] {}, &module);
  EXPECT_EQ(module.GetObjectCount(), before + 1);
  Orv::FlushMainThreadFunctions();
  EXPECT_EQ(module.GetObjectCount(), before);
}

TEST_F(MainThreadDispatch, WaitForHandleServesPostsUntilItsHandleIsSignalled) {
  // The worker only signals after the main thread ran its posted function: a wait that did not
  // serve posts would never end.
  CEvent served, done;
  DWORD ranOn = 0;
  std::thread worker([&] {
    Orv::PostMainThreadFunction([&] {
      ranOn = ::GetCurrentThreadId();
      served.Set();
    });
    served.Wait();
    done.Set();
  });
  EXPECT_TRUE(Orv::WaitForHandle(done.Get()));
  worker.join();
  EXPECT_EQ(ranOn, ::GetCurrentThreadId());

  // Off the main thread the wait serves nothing.
  int calls = 0;
  Orv::PostMainThreadFunction([&] { ++calls; });
  std::thread([&] { EXPECT_TRUE(Orv::WaitForHandle(done.Get())); }).join();
  EXPECT_EQ(calls, 0);
}

namespace {

// A mutex whose owner thread has left without releasing it; a wait acquires it, so every wait
// needs a fresh one.
HANDLE NewAbandonedMutex() {
  HANDLE mutex = nullptr;
  std::thread([&] { mutex = ::CreateMutexW(nullptr, TRUE, nullptr); }).join();
  return mutex;
}

}  // namespace

TEST_F(MainThreadDispatch, WaitForHandleReportsWhetherTheHandleWasSignalled) {
  CEvent set;
  set.Set();
  struct {
    char const* what;
    HANDLE (*make)(HANDLE setEvent);
    bool expected;
  } const cases[] = {
      {"set event", [](HANDLE setEvent) { return setEvent; }, true},
      {"null handle", [](HANDLE) { return HANDLE(nullptr); }, false},
      {"abandoned mutex", [](HANDLE) { return NewAbandonedMutex(); }, false},
  };
  for (auto const& c : cases) {
    HANDLE handle = c.make(set.Get());
    EXPECT_EQ(Orv::WaitForHandle(handle), c.expected) << c.what << " on the main thread";
    if (handle && handle != set.Get()) ::CloseHandle(handle);
    handle = c.make(set.Get());
    bool offMain = !c.expected;
    std::thread([&] { offMain = Orv::WaitForHandle(handle); }).join();
    EXPECT_EQ(offMain, c.expected) << c.what << " on a worker";
    if (handle && handle != set.Get()) ::CloseHandle(handle);
  }
}

TEST(IsEventSet, NullCountsAsSetOtherwiseTheEventState) {
  CEvent event;
  EXPECT_TRUE(Orv::IsEventSet(nullptr));
  EXPECT_FALSE(Orv::IsEventSet(event.Get()));
  event.Set();
  EXPECT_TRUE(Orv::IsEventSet(event.Get()));
  EXPECT_TRUE(Orv::IsEventSet(event.Get()));  // looking does not reset a manual-reset event
}

TEST(AtThreadExit, FunctionsRunOnTheirOwnThreadNewestFirstWhenItLeaves) {
  std::mutex mutex;
  std::vector<std::pair<std::string, DWORD>> ran;
  auto record = [&](std::string what) {
    return [&ran, &mutex, what] {
      std::lock_guard<std::mutex> lock(mutex);
      ran.emplace_back(what, ::GetCurrentThreadId());
    };
  };
  CEvent registered, leaveA;
  DWORD idA = 0, idB = 0;
  std::thread a([&] {
    idA = ::GetCurrentThreadId();
    Orv::AtThreadExit(record("a1"));
    Orv::AtThreadExit(record("a2"));
    registered.Set();
    leaveA.Wait();
  });
  registered.Wait();
  Orv::CModule& module = Orv::GetThisModule();
  long before = module.GetObjectCount();
  std::thread b([&] {
    idB = ::GetCurrentThreadId();
    Orv::AtThreadExit(record("b1"), &module);
    EXPECT_EQ(module.GetObjectCount(), before + 1);
  });
  b.join();
  EXPECT_EQ(module.GetObjectCount(), before);
  {
    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_EQ(ran.size(), 1u);
    EXPECT_EQ(ran[0], std::make_pair(std::string("b1"), idB));
  }
  leaveA.Set();
  a.join();
  ASSERT_EQ(ran.size(), 3u);
  EXPECT_EQ(ran[1], std::make_pair(std::string("a2"), idA));
  EXPECT_EQ(ran[2], std::make_pair(std::string("a1"), idA));
}
