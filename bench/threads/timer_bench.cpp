// The jitter of a periodic 1 ms event timer: intervals between successive Wait returns, measured
// with the performance counter. No peer: the figures describe the platform's multimedia timer.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "../harness.h"
#include "library.h"
#include "orvutil/threads.h"

ORV_BENCHMARK(EventTimerJitter) {
  ThreadsBench::StartLibrary();
  Orv::CEventTimer timer;
  if (!timer.Start(1, 1, false)) return;
  LARGE_INTEGER frequency, previous, now;
  ::QueryPerformanceFrequency(&frequency);
  timer.Wait();
  ::QueryPerformanceCounter(&previous);
  std::vector<double> intervals;
  for (int i = 0; i < 3000 && timer.Wait(); ++i) {
    ::QueryPerformanceCounter(&now);
    intervals.push_back(1000.0 * (now.QuadPart - previous.QuadPart) / frequency.QuadPart);
    previous = now;
  }
  timer.Stop();
  if (intervals.empty()) return;
  std::sort(intervals.begin(), intervals.end());
  std::printf("CEventTimer 1 ms period, %u intervals: median %.3f ms  p99 %.3f ms  max %.3f ms\n",
              static_cast<unsigned>(intervals.size()), intervals[intervals.size() / 2],
              intervals[intervals.size() * 99 / 100], intervals.back());
}
