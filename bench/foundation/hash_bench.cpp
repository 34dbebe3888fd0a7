// HashBytes against a reference lookup3 hashlittle built with the same options, at 16 B, 64 B,
// 1 KiB and 1 MiB of 4-byte-aligned data. memcpy of 1 MiB follows as bandwidth context only: it
// does different work.
#include <cstdio>
#include <cstring>
#include <vector>

#include "../harness.h"
#include "lookup3_peer.h"
#include "orvutil/foundation.h"

namespace {

// HashBytes starts from the golden-ratio constant where hashlittle starts from 0xDEADBEEF plus an
// initial value: this initial value makes the two hash the same.
const uint32_t kSameStart = 0x9E3779B9u - 0xDEADBEEFu;

std::vector<unsigned char> Data(unsigned size) {
  std::vector<unsigned char> data(size + 16);  // hashlittle may read the last word whole
  for (unsigned i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 131u + (i >> 9));
  return data;
}

void CompareHash(const char* name, unsigned size) {
  std::vector<unsigned char> data = Data(size);
  if (Orv::HashBytes(data.data(), size) != Lookup3Peer::HashLittle(data.data(), size, kSameStart))
    std::printf("%-44s HashBytes and hashlittle disagree\n", name);
  unsigned sink = 0;
  OrvBench::Compare(
      name, "lookup3 hashlittle", [&] { sink += Orv::HashBytes(data.data(), size); },
      [&] { sink += Lookup3Peer::HashLittle(data.data(), size, kSameStart); });
  OrvBench::KeepAlive(sink);
}

}  // namespace

ORV_BENCHMARK(HashBytes) {
  CompareHash("HashBytes 16 B", 16);
  CompareHash("HashBytes 64 B", 64);
  CompareHash("HashBytes 1 KiB", 1024);
  CompareHash("HashBytes 1 MiB", 1u << 20);
}

// Bandwidth context: how HashBytes over 1 MiB compares with merely copying it.
ORV_BENCHMARK(HashBytesBandwidth) {
  const unsigned size = 1u << 20;
  std::vector<unsigned char> source = Data(size), target(size);
  unsigned sink = 0;
  OrvBench::Result result = OrvBench::Compare(
      "HashBytes 1 MiB (context)", "memcpy 1 MiB (different work)",
      [&] { sink += Orv::HashBytes(source.data(), size); },
      [&] {
        std::memcpy(target.data(), source.data(), size);
        OrvBench::KeepAlive(target);
      });
  OrvBench::KeepAlive(sink);
  auto megabytesPerSecond = [&](double ns) { return ns > 0 ? (size / 1e6) / (ns / 1e9) : 0.0; };
  std::printf("%-44s HashBytes %.0f MB/s  memcpy %.0f MB/s\n", "HashBytes 1 MiB throughput",
              megabytesPerSecond(result.oursNs), megabytesPerSecond(result.peerNs));
}
