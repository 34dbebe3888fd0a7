// A small benchmark harness: times two callables in one process, alternating between them,
// until their medians settle, and prints one line per comparison: name, peer, ratio ours/peer.
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

struct Result {
  double oursNs = 0;  // median time of one call of `ours`
  double peerNs = 0;  // median time of one call of `peer`
  double Ratio() const { return peerNs > 0 ? oursNs / peerNs : 0; }
};

// Times both callables and prints "<name>  peer: <peer>  ours <t> ns  peer <t> ns  ratio <r>".
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
