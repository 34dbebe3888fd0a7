// tMap<unsigned, unsigned> against std::unordered_map: building a map of 1M keys, and finding
// keys that are present and keys that are not.
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <vector>

#include "../harness.h"
#include "orvutil/foundation.h"

namespace {

const unsigned kKeys = 1u << 20;
const unsigned kProbesPerCall = 1024;

// Distinct keys in a scattered order (an odd multiplier permutes the 32-bit numbers); the misses
// are odd where the keys are even.
std::vector<unsigned> Keys(unsigned count, unsigned parity) {
  std::vector<unsigned> keys(count);
  for (unsigned i = 0; i < count; ++i) keys[i] = (i * 2654435761u) * 2 + parity;
  return keys;
}

}  // namespace

ORV_BENCHMARK(MapInsert) {
  std::vector<unsigned> keys = Keys(kKeys, 0);
  unsigned sink = 0;
  OrvBench::Compare(
      "tMap.insert 1M keys", "std::unordered_map",
      [&] {
        Orv::tMap<unsigned, unsigned> map;
        for (unsigned key : keys) map.Insert(key, key);
        sink += map.Count();
      },
      [&] {
        std::unordered_map<unsigned, unsigned> map;
        for (unsigned key : keys) map.emplace(key, key);
        sink += static_cast<unsigned>(map.size());
      });
  OrvBench::KeepAlive(sink);
}

ORV_BENCHMARK(MapFind) {
  std::vector<unsigned> keys = Keys(kKeys, 0), misses = Keys(kKeys, 1);
  auto ours = std::make_unique<Orv::tMap<unsigned, unsigned>>();
  std::unordered_map<unsigned, unsigned> peer;
  for (unsigned key : keys) {
    ours->Insert(key, key);
    peer.emplace(key, key);
  }
  // Probe in an order unrelated to the insertion order.
  std::vector<unsigned> hits(kKeys);
  for (unsigned i = 0; i < kKeys; ++i) hits[i] = keys[(i * 40503u) & (kKeys - 1)];
  unsigned next = 0, found = 0;
  auto probe = [&](const std::vector<unsigned>& from, auto&& find) {
    for (unsigned i = 0; i < kProbesPerCall; ++i) found += find(from[(next + i) & (kKeys - 1)]);
    next += kProbesPerCall;
  };
  OrvBench::Compare(
      "tMap.find hit x1024", "std::unordered_map",
      [&] { probe(hits, [&](unsigned key) { return ours->Find(key) != nullptr; }); },
      [&] { probe(hits, [&](unsigned key) { return peer.find(key) != peer.end(); }); });
  OrvBench::Compare(
      "tMap.find miss x1024", "std::unordered_map",
      [&] { probe(misses, [&](unsigned key) { return ours->Find(key) != nullptr; }); },
      [&] { probe(misses, [&](unsigned key) { return peer.find(key) != peer.end(); }); });
  OrvBench::KeepAlive(found);
}
