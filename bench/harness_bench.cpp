// Proves the harness: two copies of the same loop must come out at a ratio close to 1.
#include "harness.h"

namespace {

unsigned SumOfSquares(unsigned n) {
  unsigned sum = 0;
  for (unsigned i = 0; i < n; ++i) sum += i * i;
  return sum;
}

}  // namespace

ORV_BENCHMARK(HarnessSameLoop) {
  volatile unsigned limit = 1000;
  unsigned ours = 0, peer = 0;
  OrvBench::Compare(
      "harness.same_loop", "the same loop", [&] { ours += SumOfSquares(limit); }, [&] { peer += SumOfSquares(limit); });
  OrvBench::KeepAlive(ours);
  OrvBench::KeepAlive(peer);
}
