// The fuzz harness: targets that feed one input to a loader and check that it either refuses it
// cleanly or gives a result that saves and loads again to the same bytes, and the mutators that
// make hostile inputs from valid ones.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "../support/samples.h"

namespace Fuzz {

using Bytes = std::string;
using Rng = std::mt19937;
using Orv::tSmartPtr;
using OrvTest::Block;
using OrvTest::ReaderOf;
using OrvTest::Saved;
using OrvTest::SavedDict;

struct Target {
  const char* name;
  std::vector<Bytes> (*seeds)();           // valid inputs, made through the library
  Bytes (*mutate)(Bytes const&, Rng&);     // one structure-aware mutation
  void (*run)(Bytes const&);               // checks one input with EXPECT_*
  unsigned ciCases;                        // generated cases of a bounded run
};

inline void PrintTo(Target const& target, std::ostream* os) { *os << target.name; }

// The table of every target.
std::vector<Target> const& Targets();

// --- mutators (mutators.cpp) ---
unsigned Pick(Rng& rng, unsigned n);
// A boundary value for a count, size or offset field of an input of `size` bytes.
uint32_t Boundary(Rng& rng, size_t size);
uint32_t Get32(Bytes const& b, size_t at);
void Put32(Bytes& b, size_t at, uint32_t v);
// A byte-level mutation; `fields` are offsets of 32-bit counts, sizes and offsets (boundary
// values go there or to any 4-byte boundary).
Bytes MutateBytes(Bytes in, Rng& rng, std::vector<size_t> const& fields = {});
// A token-level mutation of UTF-8 package text.
Bytes MutateText(Bytes const& in, Rng& rng);
// zlib (compress2, level 9) and its plain inflate, the peer of the library's codec; `ok` is false
// unless the stream ends exactly at the end of the input.
Bytes Deflate(Bytes const& in);
Bytes Inflate(Bytes const& in, bool& ok);

// A loaded package whose stream `once` must load and save again to the same bytes.
void ExpectSavedAgain(Bytes const& once);
// The class of the objects the package text's "node" makes (targets_text.cpp).
extern const GUID kNodeClass;

}  // namespace Fuzz
