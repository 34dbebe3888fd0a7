// HashBytes (lookup3 hashlittle from the golden-ratio constant) and the wide C string hash and
// ordering functions.
#include "orvutil/foundation/hash.h"

#include <cstdint>
#include <cstring>

namespace Orv {
namespace {

inline uint32_t Rot(uint32_t x, int k) {
  return Detail::HashRotate(x, k);
}

// clang-format off
inline void Mix(uint32_t& a, uint32_t& b, uint32_t& c) {
  a -= c;  a ^= Rot(c, 4);  c += b;
  b -= a;  b ^= Rot(a, 6);  a += c;
  c -= b;  c ^= Rot(b, 8);  b += a;
  a -= c;  a ^= Rot(c, 16); c += b;
  b -= a;  b ^= Rot(a, 19); a += c;
  c -= b;  c ^= Rot(b, 4);  b += a;
}
// clang-format on

// Little-endian word readers for the three alignments. The 4- and 2-byte forms are only used on
// addresses with that alignment; memcpy keeps them free of aliasing assumptions and compiles to
// plain loads.
inline uint32_t Word4(const unsigned char* p) {
  uint32_t w;
  std::memcpy(&w, __builtin_assume_aligned(p, 4), 4);
  return w;
}

inline uint32_t Word2(const unsigned char* p) {
  uint16_t lo, hi;
  std::memcpy(&lo, __builtin_assume_aligned(p, 2), 2);
  std::memcpy(&hi, __builtin_assume_aligned(p + 2, 2), 2);
  return lo | (static_cast<uint32_t>(hi) << 16);
}

inline uint32_t Word1(const unsigned char* p) {
  return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// Adds the last 1..12 bytes to the state, little-endian, as if the block were zero-padded to 12
// bytes. Reads exactly `length` bytes.
inline void AddTail(const unsigned char* p, uint32_t length, uint32_t& a, uint32_t& b, uint32_t& c) {
  switch (length) {
    case 12:
      c += static_cast<uint32_t>(p[11]) << 24;
      [[fallthrough]];
    case 11:
      c += static_cast<uint32_t>(p[10]) << 16;
      [[fallthrough]];
    case 10:
      c += static_cast<uint32_t>(p[9]) << 8;
      [[fallthrough]];
    case 9:
      c += p[8];
      [[fallthrough]];
    case 8:
      b += static_cast<uint32_t>(p[7]) << 24;
      [[fallthrough]];
    case 7:
      b += static_cast<uint32_t>(p[6]) << 16;
      [[fallthrough]];
    case 6:
      b += static_cast<uint32_t>(p[5]) << 8;
      [[fallthrough]];
    case 5:
      b += p[4];
      [[fallthrough]];
    case 4:
      a += static_cast<uint32_t>(p[3]) << 24;
      [[fallthrough]];
    case 3:
      a += static_cast<uint32_t>(p[2]) << 16;
      [[fallthrough]];
    case 2:
      a += static_cast<uint32_t>(p[1]) << 8;
      [[fallthrough]];
    case 1:
      a += p[0];
      break;
    default:
      break;
  }
}

// Hashes with one word reader for all full 12-byte blocks but the last; the last 1..12 bytes go
// through AddTail and the final mix.
template <uint32_t (*Word)(const unsigned char*)>
inline uint32_t HashWith(const unsigned char* p, uint32_t length) {
  uint32_t a = kHashGoldenRatio + length, b = a, c = a;
  while (length > 12) {
    a += Word(p);
    b += Word(p + 4);
    c += Word(p + 8);
    Mix(a, b, c);
    length -= 12;
    p += 12;
  }
  AddTail(p, length, a, b, c);
  return Detail::HashFinal(a, b, c);
}

// Length of a wide C string, four characters per step: aligned 8-byte words are tested for a zero
// 16-bit lane at once. An aligned word never spans two pages, so reading the whole word that holds
// the terminator reads nothing that could fault.
size_t WideLength(const wchar_t* s) {
  if (!s) return 0;
  const wchar_t* p = s;
  while (reinterpret_cast<uintptr_t>(p) & 7) {
    if (!*p) return static_cast<size_t>(p - s);
    ++p;
  }
  const uint64_t kLow = 0x0001000100010001ull, kHigh = 0x8000800080008000ull;
  for (;; p += 4) {
    uint64_t word;
    std::memcpy(&word, __builtin_assume_aligned(p, 8), 8);
    if ((word - kLow) & ~word & kHigh) break;  // some lane is zero
  }
  while (*p) ++p;
  return static_cast<size_t>(p - s);
}

// HashBytes over the characters of a string of `length` characters. Strings longer than 2 GiB
// characters do not occur; the byte count is capped rather than wrapped.
unsigned int HashChars(const wchar_t* s, size_t length) {
  size_t bytes = length > 0x7FFFFFFFu ? 0xFFFFFFFEu : length * 2;
  return HashBytes(reinterpret_cast<unsigned char const*>(s), static_cast<unsigned int>(bytes));
}

}  // namespace

unsigned int HashBytes(unsigned char const* data, unsigned int length) {
  if (!data || length == 0) return kHashGoldenRatio;
  uintptr_t address = reinterpret_cast<uintptr_t>(data);
  if ((address & 3) == 0) return HashWith<Word4>(data, length);
  if ((address & 1) == 0) return HashWith<Word2>(data, length);
  return HashWith<Word1>(data, length);
}

template <>
unsigned int HashFunc<wchar_t const*>(wchar_t const* const& key) {
  return HashChars(key, WideLength(key));
}

unsigned int HashWideString(wchar_t const* s, size_t& length) {
  length = WideLength(s);
  return HashChars(s, length);
}

template <>
unsigned int HashFunc<wchar_t*>(wchar_t* const& key) {
  wchar_t const* constant = key;
  return HashFunc<wchar_t const*>(constant);
}

template <>
int CompareFunc<wchar_t const*>(wchar_t const* const& a, wchar_t const* const& b) {
  static const wchar_t kEmpty[1] = {0};
  const wchar_t* x = a ? a : kEmpty;
  const wchar_t* y = b ? b : kEmpty;
  // wchar_t is the 16-bit UTF-16 code unit on Windows; compare as unsigned values.
  while (*x && *x == *y) {
    ++x;
    ++y;
  }
  uint16_t cx = static_cast<uint16_t>(*x), cy = static_cast<uint16_t>(*y);
  return cx < cy ? -1 : (cx > cy ? 1 : 0);
}

template <>
bool LessThanFunc<wchar_t const*>(wchar_t const* const& a, wchar_t const* const& b) {
  return CompareFunc<wchar_t const*>(a, b) < 0;
}

}  // namespace Orv
