// Main-thread dispatch: posting from any thread, the wake-up message, draining, waiting while
// serving posts; frame and event timers; and the idle master, driven by the test's own message pump
// on the main thread. (Concurrent posts and thread-exit functions are checked with the thread pools,
// the order of exit functions with shut-down.) Elapsed seconds are checked against the raw counter
// values the timer itself reports, so the checks hold however slowly the machine runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <thread>
#include <vector>

#include "orvutil/com.h"
#include "orvutil/threads.h"
#include "orvutil/ui.h"
#include "test_items.h"

namespace {

// Removes this thread's pending wake-up messages; returns how many there were and keeps the last.
int TakeWakeUpMessages(MSG& last) {
  int count = 0;
  for (MSG msg; ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE); ++count) last = msg;
  return count;
}

// Pumps until `done` holds or `timeoutMs` has passed; whether it held.
template <class F>
bool PumpUntil(F done, DWORD timeoutMs) {
  for (DWORD start = ::GetTickCount(); !done(); Orv::HandleMessages()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

// Puts the default delay back, also when an assertion ends the test early.
class IdleMasterTest : public ::testing::Test {
 protected:
  void TearDown() override { m_master->SetIdleDelay(200); }
  Orv::IIdleMaster* m_master = Orv::GetIdleMaster();
};

}  // namespace

// Posts from workers are woken by one message, whose dispatch runs them on the main thread; a flush
// off the main thread runs nothing, a null function is ignored, and a post made while draining waits
// for the next drain. The module counts a pending function as its object.
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
  EXPECT_TRUE(!onWorker && Orv::IsRunningOnMainThread() && Orv::GetMainThreadID() == ::GetCurrentThreadId());
  EXPECT_EQ(objects + 1, module.GetObjectCount());
  ASSERT_EQ(1, TakeWakeUpMessages(wakeUp));
  EXPECT_TRUE(ran.empty());
  ::DispatchMessageW(&wakeUp);
  EXPECT_EQ(objects, module.GetObjectCount());
  EXPECT_EQ((std::vector<int>{0, 1}), ran);
  Orv::FlushMainThreadFunctions();
  EXPECT_EQ((std::vector<int>{0, 1, 2}), ran);
  TakeWakeUpMessages(wakeUp);
}

TEST(MainThread, WaitForHandleServesPostsOnTheMainThreadAndReportsTheOutcome) {
  ThreadsTest::CEvent served, done;
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
  EXPECT_FALSE(Orv::IsEventSet(ThreadsTest::CEvent().Get()));
}

// Each scale takes effect from the last tick: seconds continue from where they were. Bad scales are
// refused and keep the one in force.
TEST(Timer, TimeScaleTakesEffectFromTheLastTick) {
  Orv::CTimer timer;
  timer.Tick();
  for (double scale : {0.5, 2.0, 0.0, 1e15, 1.0}) {
    double before = timer.GetSeconds();
    __int64 anchor = timer.GetLastTickRawTime();
    ASSERT_TRUE(timer.SetTimeScale(scale));
    Sleep(3);
    double tick = timer.Tick();
    double expected = before + (timer.GetLastTickRawTime() - anchor) * scale / timer.GetRawFreqD();
    EXPECT_NEAR(expected, timer.GetSeconds(), 1e-9 * (1 + expected)) << scale;
    EXPECT_NEAR(timer.GetSeconds() - before, tick, 1e-9 * (1 + expected)) << scale;
  }
  for (double bad : {-0.5, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
    EXPECT_FALSE(timer.SetTimeScale(bad) || timer.GetTimeScale() != 1.0);
  timer.Reset();
  EXPECT_TRUE(timer.GetSeconds() == 0.0 && timer.GetNumTicks() == 0);
}

// Resolutions are clamped to the device's range; Wait wakes on firings and returns at once when
// paused or stopped, also when a message handler pauses or stops a slow timer during a Wait.
TEST(EventTimer, ClampsWaitsPausesAndStops) {
  unsigned int min = 0, max = 0;
  ASSERT_TRUE(Orv::CEventTimer::GetResolutionRange(min, max));
  Orv::CEventTimer timer;
  for (unsigned int requested : {0u, max + 100}) {
    ASSERT_TRUE(timer.Start(10, requested, true));
    EXPECT_TRUE(timer.GetResolution() == (requested ? max : min) && timer.Wait());
  }
  EXPECT_FALSE(timer.Start(0, 1, false));
  ASSERT_TRUE(timer.Start(5, 1, false));
  EXPECT_TRUE(timer.Wait() && timer.Wait() && timer.Wait());
  timer.Pause();
  EXPECT_TRUE(timer.Fired() == 0 && timer.Wait());
  timer.Stop();
  EXPECT_FALSE(timer.Running() || timer.IsValid() || !timer.Wait());
  for (bool stop : {false, true}) {
    ASSERT_TRUE(timer.Start(60000, 1, false));
    std::thread poster([&timer, stop] {
      Sleep(30);
      Orv::PostMainThreadFunction([&timer, stop] { stop ? timer.Stop() : timer.Pause(); });
    });
    EXPECT_TRUE(timer.Wait()) << stop;
    poster.join();
    EXPECT_EQ(!stop, timer.IsValid());
  }
}

// Items run and complete on the main thread by descending priority, then in the order of adding
// (a stable sort is the peer); cancelled items never run; items added from a worker thread run on
// the main thread.
TEST_F(IdleMasterTest, RunsQueuedItemsInOrderOnTheMainThread) {
  ASSERT_NE(nullptr, m_master);
  m_master->SetIdleDelay(30);
  std::vector<int> log;
  std::vector<Orv::tSmartPtr<ThreadsTest::CTestItem>> items;
  std::vector<int> expected;
  for (int priority : {5, 9, 5, 1, 9, 5}) {
    expected.push_back(static_cast<int>(items.size()));
    items.push_back(ThreadsTest::MakeItem(priority, expected.back(), &log));
  }
  std::stable_sort(expected.begin(), expected.end(),
                   [&](int a, int b) { return items[a]->priority > items[b]->priority; });
  auto cancelled = ThreadsTest::MakeItem(9), fromWorker = items[3];
  m_master->AddIdleItem(cancelled);
  for (auto& item : items) {
    if (item != fromWorker) m_master->AddIdleItem(item);
  }
  std::thread([&] { m_master->AddIdleItem(fromWorker); }).join();
  EXPECT_TRUE(m_master->CancelIdleItem(cancelled));
  EXPECT_FALSE(m_master->CancelIdleItem(cancelled));
  ASSERT_TRUE(PumpUntil([&] { return items[3]->completions == 1; }, 10000));
  EXPECT_EQ(expected, log);
  for (auto& item : items) {
    EXPECT_TRUE(item->runsBeforeComplete == 1 && item->runThread == ::GetCurrentThreadId() &&
                item->completeThread == ::GetCurrentThreadId());
  }
  EXPECT_TRUE(cancelled->cancels == 1 && cancelled->runs + cancelled->completions == 0);
}

// A stream of keyboard input, or of mouse moves to new positions, postpones armed work until it
// stops; mouse moves that repeat the last position do not.
TEST_F(IdleMasterTest, UserInputPostponesIdleWork) {
  struct {
    UINT message;
    bool newPosition;
    bool postpones;
  } const cases[] = {{WM_KEYDOWN, true, true}, {WM_MOUSEMOVE, true, true}, {WM_MOUSEMOVE, false, false}};
  m_master->SetIdleDelay(400);
  for (const auto& c : cases) {
    auto item = ThreadsTest::MakeItem();
    m_master->AddIdleItem(item);
    for (int i = 0; i < 60 && item->runs == 0; ++i) {
      ::PostThreadMessageW(::GetCurrentThreadId(), c.message, 0,
                           c.newPosition ? MAKELPARAM(i, i + 1) : MAKELPARAM(7, 7));
      PumpUntil([] { return false; }, 15);
    }
    EXPECT_EQ(!c.postpones, item->runs == 1) << c.message;
    EXPECT_TRUE(PumpUntil([&] { return item->completions == 1; }, 10000)) << c.message;
  }
}
