// Frame and event timers. Elapsed seconds are checked against the raw counter values the timer
// itself reports, so the checks hold however slowly the machine runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <thread>

#include "orvutil/threads.h"

// Each scale takes effect from the last tick: seconds continue from where they were. Ticks per
// second, against a count over the recorded seconds: at each whole-second boundary it is the ticks
// since the previous boundary over the whole seconds crossed.
TEST(Timer, TimeScaleAndTicksPerSecondFollowTheRawCounter) {
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
  Orv::CTimer counter;
  ASSERT_TRUE(counter.SetTimeScale(40.0));
  unsigned int lastBoundaryTick = 0, lastWhole = 0, boundaries = 0;
  for (unsigned int i = 1; i <= 150; ++i) {
    Sleep(1);
    counter.Tick();
    unsigned int whole = static_cast<unsigned int>(counter.GetSeconds());
    if (whole > lastWhole) {
      EXPECT_EQ((i - lastBoundaryTick) / (whole - lastWhole), counter.GetTicksPerSecond()) << i;
      lastBoundaryTick = i, lastWhole = whole, ++boundaries;
    }
  }
  EXPECT_TRUE(boundaries > 1 && counter.GetNumTicks() == 150);
  counter.StoreLastTickTime();
  __int64 stored = counter.GetLastTickStoredRawTime(), elapsed = counter.GetCurrentStoredRawTime();
  EXPECT_TRUE(stored == counter.GetLastTickRawTime() && elapsed >= 0 &&
              stored + elapsed == counter.GetLastTickStoredRawTime());
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
