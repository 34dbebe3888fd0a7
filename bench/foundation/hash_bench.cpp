// HashBytes over 1 MiB against copying the same buffer with memcpy, with throughput in MB/s.
#include <cstdio>
#include <cstring>
#include <vector>

#include "../harness.h"
#include "orvutil/foundation.h"

ORV_BENCHMARK(HashBytes1MiB) {
  const unsigned size = 1u << 20;
  std::vector<unsigned char> source(size), target(size);
  for (unsigned i = 0; i < size; ++i) source[i] = static_cast<unsigned char>(i * 131u + (i >> 9));
  unsigned sink = 0;
  OrvBench::Result result = OrvBench::Compare(
      "HashBytes 1 MiB", "memcpy 1 MiB", [&] { sink += Orv::HashBytes(source.data(), size); },
      [&] {
        std::memcpy(target.data(), source.data(), size);
        OrvBench::KeepAlive(target);
      });
  OrvBench::KeepAlive(sink);
  auto megabytesPerSecond = [&](double ns) { return ns > 0 ? (size / 1e6) / (ns / 1e9) : 0.0; };
  std::printf("%-40s HashBytes %.0f MB/s  memcpy %.0f MB/s\n", "HashBytes 1 MiB throughput",
              megabytesPerSecond(result.oursNs), megabytesPerSecond(result.peerNs));
}
