// Main-thread dispatch: posting from any thread, the wake-up message, draining, waiting while
// serving posts, and thread-exit functions (their order is checked with shut-down).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "orvutil/com.h"
#include "orvutil/threads.h"
#include "orvutil/ui/window.h"
#include "test_items.h"

using ThreadsTest::CEvent;

namespace {

// Removes this thread's pending wake-up messages; returns how many there were and keeps the last.
int TakeWakeUpMessages(MSG& last) {
  int count = 0;
  for (MSG msg; ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE); ++count) last = msg;
  return count;
}

}  // namespace

// Posts from workers are woken by one message to the library's message window and run on the main
// thread; a flush off the main thread runs nothing, a null function is ignored, and a post made
// while draining waits for the next drain. The module counts a pending function as its object.
TEST(MainThread, OneWakeUpMessageAndPostsMadeWhileDrainingWaitForTheNextDrain) {
  Orv::FlushMainThreadFunctions();
  MSG wakeUp = {};
  TakeWakeUpMessages(wakeUp);
  Orv::CModule& module = Orv::GetThisModule();
  long const objects = module.GetObjectCount();
  std::vector<int> ran;
  bool onWorker = true;
  std::thread([&] {
    onWorker = Orv::IsRunningOnMainThread();
    Orv::PostMainThreadFunction([&] { ran.push_back(0); });
    Orv::PostMainThreadFunction(
        [&] {
          ran.push_back(Orv::IsRunningOnMainThread() ? 1 : -1);
          Orv::PostMainThreadFunction([&] { ran.push_back(2); });
        },
        &module);
    Orv::PostMainThreadFunction(std::function<void()>(), &module);
    Orv::FlushMainThreadFunctions();
  }).join();
  EXPECT_FALSE(onWorker);
  EXPECT_TRUE(Orv::IsRunningOnMainThread() && Orv::GetMainThreadID() == ::GetCurrentThreadId());
  EXPECT_EQ(objects + 1, module.GetObjectCount());
  ASSERT_EQ(1, TakeWakeUpMessages(wakeUp));
  wchar_t name[64] = {};
  ::GetClassNameW(wakeUp.hwnd, name, 64);
  EXPECT_EQ(Orv::CCustomWindow::GetMessageWindowClassName(), std::wstring(name));
  EXPECT_TRUE(ran.empty());
  ::DispatchMessageW(&wakeUp);
  EXPECT_EQ(objects, module.GetObjectCount());
  EXPECT_EQ((std::vector<int>{0, 1}), ran);
  Orv::FlushMainThreadFunctions();
  EXPECT_EQ((std::vector<int>{0, 1, 2}), ran);
  TakeWakeUpMessages(wakeUp);
}

// Posts take their entries from the pool that drains give them back to: workers that keep posting
// during flushes and thread-exit registrations leave every function run exactly once, in each
// worker's order (exit functions on their own thread), and every function destroyed.
TEST(MainThread, PostsDuringFlushesAllRunOnceInOrderAndAreDestroyed) {
  const int kThreads = 3, kPosts = 3000;
  Orv::CModule& module = Orv::GetThisModule();
  long const objects = module.GetObjectCount();
  std::atomic<int> exitRuns{0}, done{0};
  auto token = std::make_shared<int>();  // held by every function while it lives
  std::vector<int> next(kThreads, 0);
  int wrong = 0;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < kPosts; ++i) {
        Orv::PostMainThreadFunction([&, t, i, token] { wrong += next[t]++ != i || !Orv::IsRunningOnMainThread(); },
                                    &module);
        if (i % 500 == 0) {
          DWORD const self = ::GetCurrentThreadId();
          Orv::AtThreadExit([&exitRuns, token, self] { exitRuns += self == ::GetCurrentThreadId(); }, &module);
        }
      }
      Orv::AtThreadExit(std::function<void()>(), &module);  // ignored
      ++done;
    });
  }
  while (done.load() < kThreads) Orv::FlushMainThreadFunctions();
  for (std::thread& worker : workers) worker.join();
  Orv::FlushMainThreadFunctions();
  EXPECT_EQ(0, wrong);
  EXPECT_EQ(std::vector<int>(kThreads, kPosts), next);
  EXPECT_EQ(kThreads * (kPosts / 500), exitRuns.load());
  EXPECT_EQ(1, token.use_count());
  EXPECT_EQ(objects, module.GetObjectCount());
}

TEST(MainThread, WaitForHandleServesPostsOnTheMainThreadAndReportsTheOutcome) {
  CEvent served, done;
  std::thread worker([&] {  // signals only once the main thread ran its post
    Orv::PostMainThreadFunction([&] { served.Set(); });
    served.Wait();
    done.Set();
  });
  EXPECT_TRUE(Orv::WaitForHandle(done.Get()));
  worker.join();
  HANDLE abandoned = nullptr;  // a mutex whose owner left without releasing it
  bool offMain = true;
  std::thread([&] {
    abandoned = ::CreateMutexW(nullptr, TRUE, nullptr);
    offMain = Orv::WaitForHandle(nullptr);
  }).join();
  EXPECT_FALSE(Orv::WaitForHandle(abandoned) || offMain || Orv::WaitForHandle(nullptr));
  ::CloseHandle(abandoned);
  EXPECT_TRUE(Orv::IsEventSet(nullptr) && Orv::IsEventSet(done.Get()));
  EXPECT_FALSE(Orv::IsEventSet(CEvent().Get()));
}
