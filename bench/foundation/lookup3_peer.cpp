// lookup3 hashlittle, the peer of HashBytes.
#include "lookup3_peer.h"

#include <cstring>

namespace Lookup3Peer {
namespace {

inline uint32_t Rot(uint32_t x, int k) {
  return (x << k) | (x >> (32 - k));
}

// clang-format off
inline void Mix(uint32_t& a, uint32_t& b, uint32_t& c) {
  a -= c; a ^= Rot(c, 4);  c += b;
  b -= a; b ^= Rot(a, 6);  a += c;
  c -= b; c ^= Rot(b, 8);  b += a;
  a -= c; a ^= Rot(c, 16); c += b;
  b -= a; b ^= Rot(a, 19); a += c;
  c -= b; c ^= Rot(b, 4);  b += a;
}

inline void Final(uint32_t& a, uint32_t& b, uint32_t& c) {
  c ^= b; c -= Rot(b, 14);
  a ^= c; a -= Rot(c, 11);
  b ^= a; b -= Rot(a, 25);
  c ^= b; c -= Rot(b, 16);
  a ^= c; a -= Rot(c, 4);
  b ^= a; b -= Rot(a, 14);
  c ^= b; c -= Rot(b, 24);
}
// clang-format on

inline uint32_t Word(const unsigned char* p) {
  uint32_t w;
  std::memcpy(&w, p, 4);
  return w;
}

uint32_t Aligned(const unsigned char* k, size_t length, uint32_t a, uint32_t b, uint32_t c) {
  while (length > 12) {
    a += Word(k);
    b += Word(k + 4);
    c += Word(k + 8);
    Mix(a, b, c);
    length -= 12;
    k += 12;
  }
  // The last 1..12 bytes: whole words, masked.
  static const uint32_t kMask[4] = {0xFFFFFFFFu, 0xFFu, 0xFFFFu, 0xFFFFFFu};
  // clang-format off
  switch (length) {
    case 12: c += Word(k + 8); b += Word(k + 4); a += Word(k); break;
    case 11: case 10: case 9: c += Word(k + 8) & kMask[length & 3]; b += Word(k + 4); a += Word(k); break;
    case 8: b += Word(k + 4); a += Word(k); break;
    case 7: case 6: case 5: b += Word(k + 4) & kMask[length & 3]; a += Word(k); break;
    case 4: a += Word(k); break;
    case 3: case 2: case 1: a += Word(k) & kMask[length & 3]; break;
    default: return c;  // zero bytes: no final mixing
  }
  // clang-format on
  Final(a, b, c);
  return c;
}

uint32_t Bytes(const unsigned char* k, size_t length, uint32_t a, uint32_t b, uint32_t c) {
  while (length > 12) {
    for (int i = 0; i < 4; ++i) {
      a += static_cast<uint32_t>(k[i]) << (8 * i);
      b += static_cast<uint32_t>(k[4 + i]) << (8 * i);
      c += static_cast<uint32_t>(k[8 + i]) << (8 * i);
    }
    Mix(a, b, c);
    length -= 12;
    k += 12;
  }
  if (length == 0) return c;
  uint32_t* words[3] = {&a, &b, &c};
  for (size_t i = 0; i < length; ++i) *words[i / 4] += static_cast<uint32_t>(k[i]) << (8 * (i % 4));
  Final(a, b, c);
  return c;
}

}  // namespace

uint32_t HashLittle(const void* key, size_t length, uint32_t initval) {
  uint32_t start = 0xDEADBEEFu + static_cast<uint32_t>(length) + initval;
  const unsigned char* k = static_cast<const unsigned char*>(key);
  if ((reinterpret_cast<uintptr_t>(k) & 3) == 0) return Aligned(k, length, start, start, start);
  return Bytes(k, length, start, start, start);
}

}  // namespace Lookup3Peer
