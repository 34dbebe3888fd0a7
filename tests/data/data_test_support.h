// Helpers of the data tests: bytes of blocks as std::string, blocks made from strings, inputs.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "../support/byte_records.h"
#include "orvutil/data.h"
#include "orvutil/foundation/smartptr.h"

namespace DataTests {

template <class T>
using Ptr = Orv::tSmartPtr<T>;

using OrvTest::Block;
using OrvTest::Bytes;

// `n` bytes alternating 4 KiB of text and 4 KiB of noise from a generator seeded with `seed`.
inline std::string MixedBytes(size_t n, unsigned seed = 1) {
  static const char kText[] = "The quick brown fox jumps over the lazy dog. ";
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes[i] = (i / 4096) % 2 ? static_cast<char>(seed >> 16) : kText[i % (sizeof(kText) - 1)];
  }
  return bytes;
}

}  // namespace DataTests
