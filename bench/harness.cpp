// The benchmark harness and the main function of every benchmark executable.
#include "harness.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace OrvBench {
namespace {

struct Entry {
  const char* name;
  BenchmarkFunction function;
};

std::vector<Entry>& Registry() {
  static std::vector<Entry> entries;
  return entries;
}

double Now() {
  static const double ticksPerNs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1e9;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / ticksPerNs;
}

// Nanoseconds per call over `calls` calls.
double Sample(const std::function<void()>& work, long calls) {
  double start = Now();
  for (long i = 0; i < calls; ++i) work();
  return (Now() - start) / static_cast<double>(calls);
}

Spread SpreadOf(std::vector<double> values) {
  Spread spread;
  if (values.empty()) return spread;
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  spread.median = values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
  spread.min = values.front();
  spread.max = values.back();
  return spread;
}

std::vector<double> PairRatios(const std::vector<double>& ours, const std::vector<double>& peer) {
  std::vector<double> ratios;
  for (size_t i = 0; i < ours.size() && i < peer.size(); ++i)
    if (peer[i] > 0) ratios.push_back(ours[i] / peer[i]);
  return ratios;
}

// Enough calls that the slower callable's sample lasts about `targetNs`.
long CallsPerSample(const std::function<void()>& ours, const std::function<void()>& peer) {
  const double targetNs = 2e6;
  long calls = 1;
  for (;;) {
    double slowest = std::max(Sample(ours, calls), Sample(peer, calls)) * static_cast<double>(calls);
    if (slowest >= targetNs / 4 || calls >= (1L << 28)) {
      double perCall = std::max(slowest / static_cast<double>(calls), 1e-3);
      return std::max(1L, static_cast<long>(targetNs / perCall));
    }
    calls *= 4;
  }
}

bool Settled(double before, double now) {
  return before > 0 && std::fabs(now - before) / before < 0.01;
}

}  // namespace

Registration::Registration(const char* name, BenchmarkFunction function) {
  Registry().push_back({name, function});
}

Result Compare(const char* name, const char* peer, const std::function<void()>& ours,
               const std::function<void()>& peerWork) {
  const int roundSize = 7, minRounds = 3, maxRounds = 30;
  long calls = CallsPerSample(ours, peerWork);
  std::vector<double> oursSamples, peerSamples;
  Result result, previous;
  for (int round = 0; round < maxRounds; ++round) {
    for (int i = 0; i < roundSize; ++i) {
      // Alternate which one goes first, so neither always runs on a warmer cache.
      if (i % 2) {
        oursSamples.push_back(Sample(ours, calls));
        peerSamples.push_back(Sample(peerWork, calls));
      } else {
        peerSamples.push_back(Sample(peerWork, calls));
        oursSamples.push_back(Sample(ours, calls));
      }
    }
    result.ours = SpreadOf(oursSamples);
    result.peer = SpreadOf(peerSamples);
    result.oursNs = result.ours.median;
    result.peerNs = result.peer.median;
    if (round + 1 >= minRounds && Settled(previous.oursNs, result.oursNs) && Settled(previous.peerNs, result.peerNs))
      break;
    previous = result;
  }
  result.ratios = SpreadOf(PairRatios(oursSamples, peerSamples));
  std::printf("%-44s peer: %-36s ours %10.2f ns [%.2f-%.2f]  peer %10.2f ns [%.2f-%.2f]  ratio %.3f [%.2f-%.2f]\n",
              name, peer, result.oursNs, result.ours.min, result.ours.max, result.peerNs, result.peer.min,
              result.peer.max, result.Ratio(), result.ratios.min, result.ratios.max);
  std::fflush(stdout);
  return result;
}

}  // namespace OrvBench

// Runs every registered benchmark, or those whose name contains the first argument.
int main(int argc, char** argv) {
  const char* filter = argc > 1 ? argv[1] : "";
  std::printf("built with %s, %s: %s\n", ORV_BENCH_COMPILER, ORV_BENCH_CONFIG, ORV_BENCH_FLAGS);
  for (const OrvBench::Entry& entry : OrvBench::Registry())
    if (std::strstr(entry.name, filter)) entry.function();
  return 0;
}
