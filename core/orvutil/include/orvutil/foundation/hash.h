// Hashing and key ordering for the hash containers.
//
// HashBytes is Bob Jenkins' lookup3 "hashlittle" started from the golden-ratio constant. The
// function templates HashFunc<K>, CompareFunc<K> and LessThanFunc<K> give every key type used in
// sets and maps a hash and an ordering:
//   - plain keys (integers, pointers, GUIDs) hash their bytes with HashBytes and order with `<`
//     (GUIDs byte-wise);
//   - wide C strings hash their characters and order ordinally by 16-bit code unit; these
//     specialisations live in the library.
// All functions are pure and may be called from any thread.
#pragma once

#include <guiddef.h>

#include <cstddef>
#include <cstring>

#include "orvutil/export.h"

namespace Orv {

// The start value of every lookup3 state word, before the length is added: the golden ratio.
constexpr unsigned int kHashGoldenRatio = 0x9E3779B9u;

// lookup3 hash of `length` bytes at `data`; any alignment gives the same result. Zero bytes
// (or a null `data`) hash to kHashGoldenRatio.
ORV_API unsigned int HashBytes(unsigned char const* data, unsigned int length);

namespace Detail {

inline unsigned int HashRotate(unsigned int x, int k) {
  return (x << k) | (x >> (32 - k));
}

// The last mixing round of HashBytes; returns its result word.
// clang-format off
inline unsigned int HashFinal(unsigned int a, unsigned int b, unsigned int c) {
  c ^= b; c -= HashRotate(b, 14);
  a ^= c; a -= HashRotate(c, 11);
  b ^= a; b -= HashRotate(a, 25);
  c ^= b; c -= HashRotate(b, 16);
  a ^= c; a -= HashRotate(c, 4);
  b ^= a; b -= HashRotate(a, 14);
  c ^= b; c -= HashRotate(b, 24);
  return c;
}
// clang-format on

// HashBytes of 4 and of 8 bytes given as little-endian words, inlined for the common integer
// and pointer keys: a block of at most 12 bytes goes straight to the final round.
inline unsigned int HashBytes4(unsigned int word) {
  const unsigned int start = kHashGoldenRatio + 4;
  return HashFinal(start + word, start, start);
}

inline unsigned int HashBytes8(unsigned int low, unsigned int high) {
  const unsigned int start = kHashGoldenRatio + 8;
  return HashFinal(start + low, start + high, start);
}

}  // namespace Detail

// Hash of a key: by default HashBytes over the key's own bytes (computed inline for keys of 4 and
// 8 bytes, with the same result).
template <typename T>
inline unsigned int HashFunc(T const& key) {
  if constexpr (sizeof(T) == 4) {
    unsigned int word;
    std::memcpy(&word, &key, 4);
    return Detail::HashBytes4(word);
  } else if constexpr (sizeof(T) == 8) {
    unsigned int words[2];
    std::memcpy(words, &key, 8);
    return Detail::HashBytes8(words[0], words[1]);
  } else {
    return HashBytes(reinterpret_cast<unsigned char const*>(&key), static_cast<unsigned int>(sizeof(T)));
  }
}

// Strict ordering of keys: by default operator<.
template <typename T>
inline bool LessThanFunc(T const& a, T const& b) {
  return a < b;
}

// Three-way comparison derived from LessThanFunc: −1, 0 or 1.
template <typename T>
inline int CompareFunc(T const& a, T const& b) {
  if (LessThanFunc<T>(a, b)) return -1;
  return LessThanFunc<T>(b, a) ? 1 : 0;
}

// GUIDs have no operator<: they are ordered by their 16 bytes.
template <>
inline bool LessThanFunc<GUID>(GUID const& a, GUID const& b) {
  return std::memcmp(&a, &b, sizeof(GUID)) < 0;
}

// Wide C strings: HashBytes over the characters without the terminator (a null pointer hashes as
// the empty string); ordinal comparison by code unit (a null pointer orders as the empty string).
template <>
ORV_API unsigned int HashFunc<wchar_t*>(wchar_t* const& key);
template <>
ORV_API unsigned int HashFunc<wchar_t const*>(wchar_t const* const& key);
template <>
ORV_API int CompareFunc<wchar_t const*>(wchar_t const* const& a, wchar_t const* const& b);
template <>
ORV_API bool LessThanFunc<wchar_t const*>(wchar_t const* const& a, wchar_t const* const& b);

// HashFunc<wchar_t const*>(s) for a caller that also needs the length of `s`: stores it (in
// characters, 0 for null) in `length`, so that the string is measured once for both.
ORV_API unsigned int HashWideString(wchar_t const* s, size_t& length);

// Mutable wide C strings order like constant ones.
template <>
inline int CompareFunc<wchar_t*>(wchar_t* const& a, wchar_t* const& b) {
  return CompareFunc<wchar_t const*>(a, b);
}
template <>
inline bool LessThanFunc<wchar_t*>(wchar_t* const& a, wchar_t* const& b) {
  return LessThanFunc<wchar_t const*>(a, b);
}

// HashFunc<tstring> is declared beside tstring, in the string header: it hashes size() bytes of
// the character data.

}  // namespace Orv
