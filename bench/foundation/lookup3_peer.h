// A reference implementation of Bob Jenkins' public-domain lookup3 hashlittle, written out
// independently of the library as the peer of HashBytes. It is built with the same options as the
// benchmarks, so the two compare like for like.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Lookup3Peer {

// hashlittle(key, length, initval) as published: the state starts at 0xDEADBEEF + length + initval.
// Like the original it reads the last partial word of 4-byte-aligned data whole (masking the bytes
// past the end), so the caller leaves three readable bytes after the data.
uint32_t HashLittle(const void* key, size_t length, uint32_t initval);

}  // namespace Lookup3Peer
