// Main-thread dispatch: posting from any thread, the wake-up message, draining, waiting while
// serving posts, and thread-exit functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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

// Posts from workers and from the main thread itself run on the main thread in posting order,
// woken by one message to the library's message window; a post made while draining waits for the
// next drain, and a flush off the main thread runs nothing.
TEST(MainThread, PostsRunOnTheMainThreadInOrderAfterOneWakeUp) {
  Orv::FlushMainThreadFunctions();
  MSG wakeUp = {};
  TakeWakeUpMessages(wakeUp);
  EXPECT_EQ(Orv::GetMainThreadID(), ::GetCurrentThreadId());
  bool onWorker = true;
  std::thread([&] { onWorker = Orv::IsRunningOnMainThread(); }).join();
  EXPECT_FALSE(onWorker);
  EXPECT_TRUE(Orv::IsRunningOnMainThread());

  Orv::CModule& module = Orv::GetThisModule();
  long objects = module.GetObjectCount();
  std::vector<std::pair<int, DWORD>> ran[4];
  std::vector<std::thread> workers;
  for (int t = 0; t < 3; ++t)
    workers.emplace_back([&ran, t] {
      for (int i = 0; i < 200; ++i) Orv::PostMainThreadFunction([&ran, t, i] { ran[t].emplace_back(i, ::GetCurrentThreadId()); });
    });
  for (std::thread& worker : workers) worker.join();
  Orv::PostMainThreadFunction([&] {
    ran[3].emplace_back(0, ::GetCurrentThreadId());
    Orv::PostMainThreadFunction([&] { ran[3].emplace_back(1, ::GetCurrentThreadId()); });
  }, &module);
  Orv::PostMainThreadFunction(std::function<void()>(), &module);  // ignored
  EXPECT_EQ(objects + 1, module.GetObjectCount());
  std::thread([] { Orv::FlushMainThreadFunctions(); }).join();
  ASSERT_EQ(1, TakeWakeUpMessages(wakeUp));
  wchar_t name[64] = {};
  ::GetClassNameW(wakeUp.hwnd, name, 64);
  EXPECT_EQ(Orv::CCustomWindow::GetMessageWindowClassName(), std::wstring(name));
  EXPECT_TRUE(ran[0].empty() && ran[3].empty());
  ::DispatchMessageW(&wakeUp);
  EXPECT_EQ(objects, module.GetObjectCount());
  for (int t = 0; t < 3; ++t) {
    ASSERT_EQ(200u, ran[t].size());
    for (int i = 0; i < 200; ++i) EXPECT_EQ(std::make_pair(i, ::GetCurrentThreadId()), ran[t][i]);
  }
  EXPECT_EQ(1u, ran[3].size());
  Orv::FlushMainThreadFunctions();
  EXPECT_EQ(2u, ran[3].size());
  TakeWakeUpMessages(wakeUp);
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
  std::thread([&] { abandoned = ::CreateMutexW(nullptr, TRUE, nullptr); }).join();
  EXPECT_FALSE(Orv::WaitForHandle(abandoned));
  ::CloseHandle(abandoned);
  bool offMain = true;
  std::thread([&] { offMain = Orv::WaitForHandle(nullptr); }).join();
  EXPECT_FALSE(offMain);
  EXPECT_FALSE(Orv::WaitForHandle(nullptr));
  EXPECT_TRUE(Orv::IsEventSet(nullptr));
  EXPECT_TRUE(Orv::IsEventSet(done.Get()));
  EXPECT_FALSE(Orv::IsEventSet(CEvent().Get()));
}

TEST(MainThread, ExitFunctionsRunOnTheirOwnThreadNewestFirstWhenItLeaves) {
  std::mutex mutex;
  std::vector<std::pair<std::string, DWORD>> ran;
  auto record = [&](std::string what) {
    return [&ran, &mutex, what] {
      std::lock_guard<std::mutex> lock(mutex);
      ran.emplace_back(what, ::GetCurrentThreadId());
    };
  };
  Orv::CModule& module = Orv::GetThisModule();
  long before = module.GetObjectCount();
  DWORD id = 0;
  std::thread([&] {
    id = ::GetCurrentThreadId();
    Orv::AtThreadExit(record("first"), &module);
    Orv::AtThreadExit(record("second"));
    Orv::AtThreadExit(std::function<void()>(), &module);  // ignored
    EXPECT_EQ(before + 1, module.GetObjectCount());
  }).join();
  EXPECT_EQ(before, module.GetObjectCount());
  EXPECT_EQ((std::vector<std::pair<std::string, DWORD>>{{"second", id}, {"first", id}}), ran);
}
