// tMap<unsigned, unsigned> against std::unordered_map and std::map: building a map, and finding keys
// that are present (hits) and keys that are not (misses) at 1K, 64K and 1M keys.
//
// Hits and misses are probed in one and the same random order, unrelated to the insertion order, so
// that no map profits from its entries having been allocated in probing order.
#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "../harness.h"
#include "orvutil/foundation.h"

namespace {

const unsigned kProbesPerCall = 1024;

// Distinct keys in a scattered order (an odd multiplier permutes the 32-bit numbers); the misses
// are odd where the keys are even.
std::vector<unsigned> Keys(unsigned count, unsigned parity) {
  std::vector<unsigned> keys(count);
  for (unsigned i = 0; i < count; ++i) keys[i] = (i * 2654435761u) * 2 + parity;
  return keys;
}

// Indices 0..count-1 in a fixed random order.
std::vector<unsigned> RandomOrder(unsigned count) {
  std::vector<unsigned> order(count);
  for (unsigned i = 0; i < count; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(20240607u));
  return order;
}

// The probes of one size: `from[order[i]]` for every i, stepping through them kProbesPerCall at a time.
class Prober {
 public:
  Prober(const std::vector<unsigned>& keys, const std::vector<unsigned>& order) {
    for (unsigned i : order) m_probes.push_back(keys[i]);
  }
  template <typename Find>
  unsigned Run(Find&& find) {
    unsigned found = 0, size = static_cast<unsigned>(m_probes.size());
    for (unsigned i = 0; i < kProbesPerCall; ++i) {
      found += find(m_probes[m_next]);
      if (++m_next == size) m_next = 0;
    }
    return found;
  }

 private:
  std::vector<unsigned> m_probes;
  unsigned m_next = 0;
};

void CompareFinds(unsigned count) {
  std::vector<unsigned> keys = Keys(count, 0), missing = Keys(count, 1), order = RandomOrder(count);
  auto ours = std::make_unique<Orv::tMap<unsigned, unsigned>>();
  std::unordered_map<unsigned, unsigned> hashed;
  std::map<unsigned, unsigned> ordered;
  for (unsigned key : keys) {
    ours->Insert(key, key);
    hashed.emplace(key, key);
    ordered.emplace(key, key);
  }
  const std::string size = count >= (1u << 20) ? std::to_string(count >> 20) + "M" : std::to_string(count >> 10) + "K";
  unsigned found = 0;
  for (bool hit : {true, false}) {
    const std::vector<unsigned>& probed = hit ? keys : missing;
    Prober oursProbes(probed, order), hashedProbes(probed, order), orderedProbes(probed, order);
    const std::string name = "tMap.find " + std::string(hit ? "hit" : "miss") + " " + size + " keys x1024";
    OrvBench::Compare(
        name.c_str(), "std::unordered_map",
        [&] { found += oursProbes.Run([&](unsigned key) { return ours->Find(key) != nullptr; }); },
        [&] { found += hashedProbes.Run([&](unsigned key) { return hashed.find(key) != hashed.end(); }); });
    OrvBench::Compare(
        name.c_str(), "std::map",
        [&] { found += oursProbes.Run([&](unsigned key) { return ours->Find(key) != nullptr; }); },
        [&] { found += orderedProbes.Run([&](unsigned key) { return ordered.find(key) != ordered.end(); }); });
  }
  OrvBench::KeepAlive(found);
}

template <typename PeerMap>
void CompareInsert(const char* name, const char* peer, unsigned count) {
  std::vector<unsigned> keys = Keys(count, 0);
  unsigned sink = 0;
  OrvBench::Compare(
      name, peer,
      [&] {
        Orv::tMap<unsigned, unsigned> map;
        for (unsigned key : keys) map.Insert(key, key);
        sink += map.Count();
      },
      [&] {
        PeerMap map;
        for (unsigned key : keys) map.emplace(key, key);
        sink += static_cast<unsigned>(map.size());
      });
  OrvBench::KeepAlive(sink);
}

}  // namespace

ORV_BENCHMARK(MapInsert) {
  CompareInsert<std::unordered_map<unsigned, unsigned>>("tMap.insert 1M keys", "std::unordered_map", 1u << 20);
  CompareInsert<std::unordered_map<unsigned, unsigned>>("tMap.insert 64K keys", "std::unordered_map", 1u << 16);
  CompareInsert<std::map<unsigned, unsigned>>("tMap.insert 64K keys", "std::map", 1u << 16);
}

ORV_BENCHMARK(MapFind) {
  for (unsigned count : {1u << 10, 1u << 16, 1u << 20}) CompareFinds(count);
}
