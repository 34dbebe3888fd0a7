// Frame and event timers. Elapsed seconds are checked against the raw counter values the timer
// itself reports, so the checks hold however slowly the machine runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <thread>

#include "orvutil/threads.h"

// Each scale takes effect from the last tick: seconds continue from where they were.
TEST(Timer, TimeScaleChangesSpeedWithoutJump) {
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
    EXPECT_LE(timer.GetTicksPerSecond(), timer.GetNumTicks()) << scale;
  }
  for (double bad : {-0.5, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(timer.SetTimeScale(bad));
    EXPECT_EQ(1.0, timer.GetTimeScale());
  }
  timer.Reset();
  EXPECT_TRUE(timer.GetSeconds() == 0.0 && timer.GetNumTicks() == 0);
}

// Ticks per second, against a count over the recorded seconds: at each whole-second boundary it is
// the ticks since the previous boundary over the whole seconds crossed.
TEST(Timer, TicksPerSecondMatchesRecordedTicks) {
  Orv::CTimer timer;
  ASSERT_TRUE(timer.SetTimeScale(40.0));
  unsigned int lastBoundaryTick = 0, lastWhole = 0, boundaries = 0;
  for (unsigned int i = 1; i <= 150; ++i) {
    Sleep(1);
    timer.Tick();
    unsigned int whole = static_cast<unsigned int>(timer.GetSeconds());
    if (whole > lastWhole) {
      EXPECT_EQ((i - lastBoundaryTick) / (whole - lastWhole), timer.GetTicksPerSecond()) << i;
      lastBoundaryTick = i, lastWhole = whole, ++boundaries;
    }
  }
  EXPECT_TRUE(boundaries > 1 && timer.GetNumTicks() == 150);
  timer.StoreLastTickTime();
  __int64 stored = timer.GetLastTickStoredRawTime(), elapsed = timer.GetCurrentStoredRawTime();
  EXPECT_TRUE(stored == timer.GetLastTickRawTime() && elapsed >= 0 && stored + elapsed == timer.GetLastTickStoredRawTime());
}

// Resolutions are clamped to the device's range; Wait wakes on firings and returns at once when
// paused or stopped.
TEST(EventTimer, ClampsWaitsPausesAndStops) {
  unsigned int min = 0, max = 0;
  ASSERT_TRUE(Orv::CEventTimer::GetResolutionRange(min, max));
  struct { unsigned int requested, expected; } const cases[] = {{0, min}, {max + 100, max}};
  Orv::CEventTimer timer;
  for (const auto& c : cases) {
    ASSERT_TRUE(timer.Start(10, c.requested, true));
    EXPECT_TRUE(c.expected == timer.GetResolution() && timer.Wait());
  }
  EXPECT_FALSE(timer.Start(0, 1, false));
  ASSERT_TRUE(timer.Start(5, 1, false));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(timer.Wait());
  timer.Pause();
  EXPECT_EQ(0u, timer.Fired());
  EXPECT_TRUE(timer.Wait());
  timer.Stop();
  EXPECT_FALSE(timer.Running() || timer.IsValid() || !timer.Wait());
}

// A message handler that pauses or stops a slow timer ends a Wait that would otherwise block; timers
// destroyed while firing every millisecond never see a late callback.
TEST(EventTimer, HandlersAndDestructionEndTheTimerSafely) {
  for (bool stop : {false, true}) {
    Orv::CEventTimer timer;
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
    auto timer = std::make_unique<Orv::CEventTimer>();
    ASSERT_TRUE(timer->Start(1, 1, false));
    Sleep(i % 4);
  }
  unsigned int first = Orv::CreateGlobalTimerEventID();
  EXPECT_LT(first, Orv::CreateGlobalTimerEventID());
}
