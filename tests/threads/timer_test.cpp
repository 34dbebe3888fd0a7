// Frame and event timers. Elapsed seconds are checked against the raw counter values the timer
// itself reports, so the checks hold however slowly the machine runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "orvutil/threads.h"

namespace {

// Seconds over `raw` counts at `scale`.
double Span(const Orv::CTimer& timer, __int64 fromRaw, __int64 toRaw, double scale) {
  return static_cast<double>(toRaw - fromRaw) * scale / timer.GetRawFreqD();
}

}  // namespace

// Each scale takes effect from the last tick: seconds continue from where they were.
TEST(Timer, TimeScaleChangesSpeedWithoutJump) {
  Orv::CTimer timer;
  EXPECT_GT(timer.GetRawFreq(), 0);
  Sleep(2);
  timer.Tick();
  for (double scale : {0.5, 2.0, 0.0, 1e15, 1.0}) {
    double before = timer.GetSeconds();
    __int64 anchor = timer.GetLastTickRawTime();
    ASSERT_TRUE(timer.SetTimeScale(scale));
    Sleep(3);
    double tick = timer.Tick();
    double expected = before + Span(timer, anchor, timer.GetLastTickRawTime(), scale);
    EXPECT_NEAR(expected, timer.GetSeconds(), 1e-9 * (1 + expected)) << scale;
    EXPECT_NEAR(timer.GetSeconds() - before, tick, 1e-9 * (1 + expected)) << scale;
    EXPECT_LE(timer.GetTicksPerSecond(), timer.GetNumTicks()) << scale;
  }
  for (double bad : {-0.5, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(timer.SetTimeScale(bad));
    EXPECT_EQ(1.0, timer.GetTimeScale());
  }
  timer.Reset();
  EXPECT_EQ(0.0, timer.GetSeconds());
  EXPECT_EQ(0u, timer.GetNumTicks());
  EXPECT_EQ(1.0, timer.GetTimeScale());
}

// Ticks per second, compared with a count over the recorded seconds: at each whole-second boundary
// it is the ticks since the previous boundary over the whole seconds crossed.
TEST(Timer, TicksPerSecondMatchesRecordedTicks) {
  Orv::CTimer timer;
  ASSERT_TRUE(timer.SetTimeScale(40.0));
  std::vector<double> seconds;
  unsigned int lastBoundaryTick = 0, lastWhole = 0, boundaries = 0;
  for (int i = 1; i <= 150; ++i) {
    Sleep(1);
    timer.Tick();
    seconds.push_back(timer.GetSeconds());
    unsigned int whole = static_cast<unsigned int>(seconds.back());
    if (whole > lastWhole) {
      EXPECT_EQ((i - lastBoundaryTick) / (whole - lastWhole), timer.GetTicksPerSecond()) << i;
      lastBoundaryTick = i;
      lastWhole = whole;
      ++boundaries;
    }
  }
  EXPECT_GT(boundaries, 1u);
  EXPECT_EQ(seconds.size(), timer.GetNumTicks());
  timer.StoreLastTickTime();
  __int64 stored = timer.GetLastTickStoredRawTime();
  EXPECT_EQ(timer.GetLastTickRawTime(), stored);
  __int64 elapsed = timer.GetCurrentStoredRawTime();
  EXPECT_GE(elapsed, 0);
  EXPECT_EQ(stored + elapsed, timer.GetLastTickStoredRawTime());
}

// Requested resolutions are clamped to the device's range; a paused timer never blocks Wait.
TEST(EventTimer, ResolutionIsClampedAndPausedWaitReturns) {
  unsigned int min = 0, max = 0;
  ASSERT_TRUE(Orv::CEventTimer::GetResolutionRange(min, max));
  ASSERT_LE(min, max);
  struct { unsigned int requested, expected; } const cases[] = {{0, min}, {min, min}, {max + 100, max}};
  for (const auto& c : cases) {
    Orv::CEventTimer timer;
    ASSERT_TRUE(timer.Start(10, c.requested, true));
    EXPECT_EQ(c.expected, timer.GetResolution());
    EXPECT_TRUE(timer.Running());
    EXPECT_TRUE(timer.IsValid());
    EXPECT_TRUE(timer.Wait());
    EXPECT_EQ(0u, timer.Fired());
  }
  Orv::CEventTimer timer;
  EXPECT_FALSE(timer.Start(0, 1, false));
  EXPECT_FALSE(timer.IsValid());
}

// A running timer wakes each Wait; stopping ends its run and its event.
TEST(EventTimer, WaitsForFiringsAndStops) {
  Orv::CEventTimer timer;
  ASSERT_TRUE(timer.Start(5, 1, false));
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(timer.Wait());
    EXPECT_EQ(0u, timer.Fired());
  }
  timer.Pause();
  EXPECT_TRUE(timer.Wait());
  timer.Resume();
  EXPECT_TRUE(timer.Wait());
  timer.Stop();
  EXPECT_FALSE(timer.Running());
  EXPECT_FALSE(timer.IsValid());
  EXPECT_TRUE(timer.Wait());
}

// A message handler that pauses or stops a slow timer ends a Wait that would otherwise block.
TEST(EventTimer, HandlerThatPausesOrStopsEndsTheWait) {
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
}

// Timers destroyed while firing every millisecond never see a late callback.
TEST(EventTimer, DestroyedWhileFiring) {
  for (int i = 0; i < 20; ++i) {
    auto timer = std::make_unique<Orv::CEventTimer>();
    ASSERT_TRUE(timer->Start(1, 1, false));
    Sleep(i % 4);
    timer.reset();
  }
  unsigned int first = Orv::CreateGlobalTimerEventID();
  EXPECT_LT(first, Orv::CreateGlobalTimerEventID());
}
