// Inputs shared by the data benchmarks.
#pragma once

#include <string>

#include "orvutil/data.h"
#include "orvutil/foundation/smartptr.h"

namespace DataBench {

// `n` bytes alternating 4 KiB of English text and 4 KiB of noise from a fixed-seed generator.
inline std::string MixedBytes(size_t n) {
  static const char kText[] = "It was the best of times, it was the worst of times, it was the age of wisdom. ";
  std::string bytes(n, '\0');
  unsigned state = 12345;
  for (size_t i = 0; i < n; ++i) {
    state = state * 1103515245u + 12345u;
    bytes[i] = (i / 4096) % 2 ? static_cast<char>(state >> 16) : kText[(i * 7 / 5) % (sizeof(kText) - 1)];
  }
  return bytes;
}

}  // namespace DataBench
