// HashBytes against a byte-wise reference of lookup3, alignment independence, reads that stay
// inside the buffer, and the key hash and ordering functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "orvutil/foundation.h"

using Orv::CompareFunc;
using Orv::HashBytes;
using Orv::HashFunc;
using Orv::LessThanFunc;

namespace {

// lookup3 hashlittle, written from its description: three state words start at `start` plus the
// length; every 12-byte block but the last is added (little-endian words) and mixed; the last
// 1..12 bytes are added zero-padded and put through the final round; the third word is the hash.
// The rounds are tables of (target, source, third, rotation) steps.
struct MixStep {
  int x, y, z, rotation;
};
// x -= y; x ^= rot(y, r); y += z
const MixStep kMixSteps[] = {{0, 2, 1, 4}, {1, 0, 2, 6}, {2, 1, 0, 8}, {0, 2, 1, 16}, {1, 0, 2, 19}, {2, 1, 0, 4}};
// x ^= y; x -= rot(y, r)
const MixStep kFinalSteps[] = {{2, 1, 0, 14}, {0, 2, 0, 11}, {1, 0, 0, 25}, {2, 1, 0, 16},
                               {0, 2, 0, 4},  {1, 0, 0, 14}, {2, 1, 0, 24}};

uint32_t Rotl(uint32_t v, int r) {
  return (v << r) | (v >> (32 - r));
}

uint32_t ReferenceHash(const std::vector<uint8_t>& bytes, uint32_t start) {
  uint32_t length = static_cast<uint32_t>(bytes.size());
  uint32_t s[3] = {start + length, start + length, start + length};
  if (length == 0) return s[2];
  size_t offset = 0;
  for (;;) {
    size_t block = length - offset > 12 ? 12 : length - offset;
    for (size_t i = 0; i < block; ++i) s[i / 4] += static_cast<uint32_t>(bytes[offset + i]) << (8 * (i % 4));
    offset += block;
    if (offset == length) break;
    for (const MixStep& m : kMixSteps) {
      s[m.x] -= s[m.y];
      s[m.x] ^= Rotl(s[m.y], m.rotation);
      s[m.y] += s[m.z];
    }
  }
  for (const MixStep& f : kFinalSteps) {
    s[f.x] ^= s[f.y];
    s[f.x] -= Rotl(s[f.y], f.rotation);
  }
  return s[2];
}

const uint32_t kGolden = 0x9E3779B9u;

std::vector<uint8_t> Bytes(const char* text) {
  return std::vector<uint8_t>(text, text + std::strlen(text));
}

std::vector<uint8_t> Pattern(size_t length, uint32_t seed) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes[i] = static_cast<uint8_t>(seed >> 16);
  }
  return bytes;
}

unsigned HashAt(const std::vector<uint8_t>& bytes, size_t offset) {
  alignas(16) uint8_t buffer[128 + 16];
  std::memcpy(buffer + offset, bytes.data(), bytes.size());
  return HashBytes(buffer + offset, static_cast<unsigned>(bytes.size()));
}

}  // namespace

// The reference itself must be lookup3: with lookup3's own start (0xDEADBEEF + initval) it gives
// the published values.
TEST(HashBytes, ReferenceMatchesPublishedLookup3Values) {
  EXPECT_EQ(0xDEADBEEFu, ReferenceHash({}, 0xDEADBEEFu));
  EXPECT_EQ(0x17770551u, ReferenceHash(Bytes("Four score and seven years ago"), 0xDEADBEEFu));
  EXPECT_EQ(0xCD628161u, ReferenceHash(Bytes("Four score and seven years ago"), 0xDEADBEEFu + 1));
}

TEST(HashBytes, ZeroLengthIsGoldenRatioWithoutMixing) {
  unsigned char byte = 0x55;
  EXPECT_EQ(kGolden, HashBytes(&byte, 0));
  EXPECT_EQ(kGolden, HashBytes(nullptr, 0));
  EXPECT_EQ(kGolden, HashBytes(nullptr, 16));  // no data to read: treated as empty
}

TEST(HashBytes, MatchesReferenceForEveryTailLength) {
  for (size_t length = 1; length <= 64; ++length) {
    std::vector<uint8_t> bytes = Pattern(length, static_cast<uint32_t>(length));
    EXPECT_EQ(ReferenceHash(bytes, kGolden), HashAt(bytes, 0)) << "length " << length;
  }
}

TEST(HashBytes, KnownTextValues) {
  std::vector<uint8_t> text = Bytes("Four score and seven years ago");
  EXPECT_EQ(ReferenceHash(text, kGolden), HashBytes(text.data(), 30));
  // The golden-ratio start is lookup3 with initval 0x9E3779B9 - 0xDEADBEEF.
  EXPECT_EQ(ReferenceHash(text, 0xDEADBEEFu + (kGolden - 0xDEADBEEFu)), HashBytes(text.data(), 30));
  EXPECT_NE(0x17770551u, HashBytes(text.data(), 30));
}

TEST(HashBytes, SameResultAtEveryAlignment) {
  for (size_t length = 1; length <= 40; ++length) {
    std::vector<uint8_t> bytes = Pattern(length, 77u + static_cast<uint32_t>(length));
    unsigned aligned = HashAt(bytes, 0);
    EXPECT_EQ(aligned, HashAt(bytes, 1)) << "length " << length;
    EXPECT_EQ(aligned, HashAt(bytes, 2)) << "length " << length;
    EXPECT_EQ(aligned, HashAt(bytes, 3)) << "length " << length;
    EXPECT_EQ(aligned, HashAt(bytes, 4)) << "length " << length;
    EXPECT_EQ(aligned, HashAt(bytes, 6)) << "length " << length;
  }
}

TEST(HashBytes, EveryByteAndLengthMatters) {
  std::vector<uint8_t> bytes = Pattern(24, 5);
  unsigned base = HashBytes(bytes.data(), 24);
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::vector<uint8_t> changed = bytes;
    changed[i] ^= 0x01;
    EXPECT_NE(base, HashBytes(changed.data(), 24)) << "byte " << i;
  }
  std::vector<uint8_t> zeros(8, 0);
  EXPECT_NE(HashBytes(zeros.data(), 4), HashBytes(zeros.data(), 8));
}

// The data ends right at a page that cannot be read: any read past the last byte would fault.
TEST(HashBytes, NeverReadsPastTheEnd) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const size_t page = info.dwPageSize;
  auto* region = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(nullptr, region);
  DWORD old;
  ASSERT_TRUE(VirtualProtect(region + page, page, PAGE_NOACCESS, &old));
  uint8_t* end = region + page;
  for (size_t length = 1; length <= 40; ++length) {
    std::vector<uint8_t> bytes = Pattern(length, 900u + static_cast<uint32_t>(length));
    std::memcpy(end - length, bytes.data(), length);
    EXPECT_EQ(ReferenceHash(bytes, kGolden), HashBytes(end - length, static_cast<unsigned>(length)))
        << "length " << length;
  }
  VirtualFree(region, 0, MEM_RELEASE);
}

TEST(HashFunc, PlainKeysHashTheirBytes) {
  unsigned int u = 0x12345678u;
  EXPECT_EQ(HashBytes(reinterpret_cast<unsigned char*>(&u), 4), HashFunc<unsigned int>(u));
  unsigned long ul = 0xCAFEF00Du;
  EXPECT_EQ(HashBytes(reinterpret_cast<unsigned char*>(&ul), sizeof ul), HashFunc<unsigned long>(ul));
  unsigned long long ull = 0x0123456789ABCDEFull;
  EXPECT_EQ(HashBytes(reinterpret_cast<unsigned char*>(&ull), 8), HashFunc<unsigned long long>(ull));
  void* pointer = &u;
  EXPECT_EQ(HashBytes(reinterpret_cast<unsigned char*>(&pointer), sizeof pointer), HashFunc<void*>(pointer));
  GUID guid = {0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};
  EXPECT_EQ(HashBytes(reinterpret_cast<unsigned char*>(&guid), 16), HashFunc<GUID>(guid));
  // The reference for a 4-byte key: little-endian bytes of the number.
  EXPECT_EQ(ReferenceHash({0x78, 0x56, 0x34, 0x12}, kGolden), HashFunc<unsigned int>(u));
  EXPECT_EQ(ReferenceHash({0, 0, 0, 0}, kGolden), HashFunc<unsigned int>(0u));
}

TEST(HashFunc, WideStringsHashTwoBytesPerCharacter) {
  const wchar_t* text = L"Hello";
  EXPECT_EQ(HashBytes(reinterpret_cast<const unsigned char*>(text), 10), HashFunc<const wchar_t*>(text));
  wchar_t buffer[] = L"Hello";
  wchar_t* mutableText = buffer;
  EXPECT_EQ(HashFunc<const wchar_t*>(text), HashFunc<wchar_t*>(mutableText));
  const wchar_t* none = nullptr;
  EXPECT_EQ(kGolden, HashFunc<const wchar_t*>(none));
  EXPECT_EQ(kGolden, HashFunc<const wchar_t*>(L""));
  std::vector<uint8_t> bytes = {'H', 0, 'e', 0, 'l', 0, 'l', 0, 'o', 0};
  EXPECT_EQ(ReferenceHash(bytes, kGolden), HashFunc<const wchar_t*>(text));
}

TEST(CompareFunc, WideStringsOrdinalByCodeUnit) {
  auto compare = [](const wchar_t* a, const wchar_t* b) { return CompareFunc<const wchar_t*>(a, b); };
  auto less = [](const wchar_t* a, const wchar_t* b) { return LessThanFunc<const wchar_t*>(a, b); };
  EXPECT_EQ(0, compare(L"abc", L"abc"));
  EXPECT_EQ(-1, compare(L"abc", L"abd"));
  EXPECT_EQ(1, compare(L"abd", L"abc"));
  EXPECT_EQ(-1, compare(L"ab", L"abc"));  // a prefix comes first
  EXPECT_EQ(1, compare(L"abc", L"ab"));
  EXPECT_EQ(-1, compare(L"B", L"a"));      // ordinal, not case-folded
  EXPECT_EQ(1, compare(L"\xFFFF", L"a"));  // code units compare unsigned
  EXPECT_EQ(1, compare(L"\x8000", L"\x7FFF"));
  EXPECT_EQ(0, compare(nullptr, L""));
  EXPECT_EQ(-1, compare(nullptr, L"a"));
  EXPECT_TRUE(less(L"ab", L"abc"));
  EXPECT_FALSE(less(L"abc", L"abc"));
  EXPECT_FALSE(less(L"b", L"a"));
  wchar_t x[] = L"same", y[] = L"same";
  wchar_t *px = x, *py = y;
  EXPECT_EQ(0, CompareFunc<wchar_t*>(px, py));
  EXPECT_FALSE(LessThanFunc<wchar_t*>(px, py));
}

TEST(CompareFunc, GuidsAndNumbers) {
  GUID a = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  GUID b = a;
  EXPECT_EQ(0, CompareFunc<GUID>(a, b));
  b.Data4[7] = 12;
  EXPECT_TRUE(LessThanFunc<GUID>(a, b));
  EXPECT_FALSE(LessThanFunc<GUID>(b, a));
  EXPECT_EQ(-1, CompareFunc<GUID>(a, b));
  EXPECT_EQ(1, CompareFunc<GUID>(b, a));
  EXPECT_EQ(-1, CompareFunc<unsigned>(1u, 2u));
  EXPECT_EQ(1, CompareFunc<unsigned>(0xFFFFFFFFu, 2u));
  EXPECT_EQ(0, CompareFunc<unsigned>(7u, 7u));
}
