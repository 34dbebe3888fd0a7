// Frame and event timers. Elapsed seconds are checked against the raw counter values the timer
// itself reports, so the checks hold however slowly the machine runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <thread>

#include "orvutil/threads.h"

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
// paused or stopped, also when a message handler pauses or stops a slow timer during a Wait; timers
// destroyed while firing every millisecond never see a late callback.
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
  for (int i = 0; i < 20; ++i) {
    auto fast = std::make_unique<Orv::CEventTimer>();
    ASSERT_TRUE(fast->Start(1, 1, false));
    Sleep(i % 4);
  }
  unsigned int first = Orv::CreateGlobalTimerEventID();
  EXPECT_LT(first, Orv::CreateGlobalTimerEventID());
}
