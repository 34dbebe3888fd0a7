// A small benchmark harness: times two callables in one process, alternating between them,
// until their medians settle, and prints one line per comparison: name, peer, the median time of
// each with its spread (fastest and slowest sample), and the ratio ours/peer.
//
//   ORV_BENCHMARK(StringAppend) {
//     std::wstring peer;  Orv::tstring ours;
//     OrvBench::Compare("tstring.append", "std::wstring", [&] { ours += L'x'; }, [&] { peer += L'x'; });
//   }
//
// Each callable is one unit of work; the harness calls it many times per sample.
#pragma once

#include <functional>

namespace OrvBench {

// The median of a set of samples and its spread.
struct Spread {
  double median = 0, min = 0, max = 0;
};

struct Result {
  double oursNs = 0;  // median time of one call of `ours`
  double peerNs = 0;  // median time of one call of `peer`
  Spread ours, peer;  // times of one call over all samples
  Spread ratios;      // ours/peer of the samples taken back to back
  double Ratio() const { return peerNs > 0 ? oursNs / peerNs : 0; }
};

// Times both callables and prints, for example,
//   <name>  peer: <peer>  ours <t> ns [<min>-<max>]  peer <t> ns [<min>-<max>]  ratio <r> [<min>-<max>]
// where the brackets give the fastest and slowest sample (for the ratio: of the pairs of samples
// taken back to back), so that a line measured on a busy machine shows itself.
Result Compare(const char* name, const char* peer, const std::function<void()>& ours,
               const std::function<void()>& peerWork);

// Keeps `value` alive in the eyes of the optimiser.
template <typename T>
inline void KeepAlive(T const& value) {
  asm volatile("" : : "g"(&value) : "memory");
}

using BenchmarkFunction = void (*)();
struct Registration {
  Registration(const char* name, BenchmarkFunction function);
};

}  // namespace OrvBench

#define ORV_BENCHMARK(name)                                                   \
  static void OrvBench_##name();                                              \
  static ::OrvBench::Registration OrvBenchReg_##name(#name, OrvBench_##name); \
  static void OrvBench_##name()
