// 1,000,000 functions posted to the main thread and flushed, against a vector of std::function
// filled and run under a critical section.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "../harness.h"
#include "library.h"
#include "orvutil/threads.h"

namespace {

constexpr int kFunctions = 1000000;

}  // namespace

ORV_BENCHMARK(MainThreadPostAndFlush) {
  ThreadsBench::StartLibrary();
  long calls = 0;
  auto ours = [&] {
    for (int i = 0; i < kFunctions; ++i) Orv::PostMainThreadFunction([&calls] { ++calls; });
    Orv::FlushMainThreadFunctions();
  };
  CRITICAL_SECTION section;
  ::InitializeCriticalSectionAndSpinCount(&section, 3000);
  std::vector<std::function<void()>> queue;
  auto peer = [&] {
    for (int i = 0; i < kFunctions; ++i) {
      ::EnterCriticalSection(&section);
      queue.push_back([&calls] { ++calls; });
      ::LeaveCriticalSection(&section);
    }
    std::vector<std::function<void()>> batch;
    ::EnterCriticalSection(&section);
    batch.swap(queue);
    ::LeaveCriticalSection(&section);
    for (auto& function : batch) function();
  };
  OrvBench::Result result =
      OrvBench::Compare("mainthread.post_flush_1M", "std::vector<std::function> + CRITICAL_SECTION", ours, peer);
  std::printf("%-40s ours %.0f functions/s  peer %.0f functions/s\n", "mainthread.post_flush_1M",
              kFunctions / (result.oursNs * 1e-9), kFunctions / (result.peerNs * 1e-9));
  std::fflush(stdout);
  OrvBench::KeepAlive(calls);
  ::DeleteCriticalSection(&section);
}
