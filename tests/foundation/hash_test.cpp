// HashBytes against a byte-wise reference of lookup3 at every length, alignment and buffer end;
// wide strings against wcslen; key hashes and ordinal comparisons against their byte and
// std::wstring peers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

#include "fenced_page.h"
#include "orvutil/foundation.h"
#include "tstring_print.h"

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

}  // namespace

// The reference itself is lookup3: with lookup3's own start it gives the published values.
TEST(Hash, ReferenceMatchesPublishedLookup3Values) {
  const char* text = "Four score and seven years ago";
  std::vector<uint8_t> bytes(text, text + std::strlen(text));
  EXPECT_EQ(0x17770551u, ReferenceHash(bytes, 0xDEADBEEFu));
  EXPECT_EQ(0xCD628161u, ReferenceHash(bytes, 0xDEADBEEFu + 1));
}

// Data placed at every alignment and right before a page that cannot be read: a read past the last
// byte would fault.
TEST(Hash, BytesMatchTheReferenceAtEveryLengthAlignmentAndBufferEnd) {
  CFencedPage fence;
  ASSERT_TRUE(fence.Ready());
  std::mt19937 random(3u);
  for (size_t length = 0; length <= 64; ++length) {
    std::vector<uint8_t> bytes(length + 5);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    uint32_t expected = ReferenceHash(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length), kGolden);
    for (size_t offset : {0, 1, 2, 3, 5}) {
      const uint8_t* at = fence.Place(bytes.data(), length + offset);
      EXPECT_EQ(expected, HashBytes(at, static_cast<unsigned>(length))) << length << " at " << offset;
    }
  }
  EXPECT_EQ(kGolden, HashBytes(nullptr, 16));  // nothing to read: treated as empty
}

// HashWideString measures and hashes in one call: its length and hash equal wcslen and HashBytes
// for every start alignment and terminator position, with neighbours of the terminator that look
// like zeros to a careless word test.
TEST(Hash, WideStringsMatchWcslenAndHashBytes) {
  const wchar_t kAwkward[] = {0x0001, 0x0100, 0x8000, 0xFFFF, 0x7FFF, L'a'};
  for (unsigned start = 0; start < 8; ++start) {
    for (unsigned length = 0; length < 20; ++length) {
      for (wchar_t neighbour : kAwkward) {
        std::vector<wchar_t> buffer(64, neighbour);
        for (unsigned i = 0; i < length; ++i) buffer[start + i] = kAwkward[(i + start) % 6];
        buffer[start + length] = 0;
        const wchar_t* s = buffer.data() + start;
        size_t measured = 99;
        unsigned hash = Orv::HashWideString(s, measured);
        ASSERT_EQ(std::wcslen(s), measured) << start << " " << length;
        EXPECT_EQ(Orv::HashBytes(reinterpret_cast<const unsigned char*>(s), 2 * length), hash);
        EXPECT_EQ(hash, HashFunc<wchar_t const*>(s));
      }
    }
  }
  size_t length = 99;
  EXPECT_EQ(kGolden, Orv::HashWideString(nullptr, length));
  EXPECT_EQ(0u, length);
}

TEST(Hash, KeysHashTheirBytes) {
  unsigned u = 0x12345678u;
  unsigned long long ull = 0x0123456789ABCDEFull;
  void* pointer = &u;
  GUID guid = {0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};
  const wchar_t* text = L"Hello";
  auto bytesOf = [](const void* p, size_t n) { return ReferenceHash(std::vector<uint8_t>(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n), kGolden); };
  EXPECT_EQ(bytesOf(&u, 4), HashFunc<unsigned>(u));
  EXPECT_EQ(bytesOf(&ull, 8), HashFunc<unsigned long long>(ull));
  EXPECT_EQ(bytesOf(&pointer, sizeof pointer), HashFunc<void*>(pointer));
  EXPECT_EQ(bytesOf(&guid, 16), HashFunc<GUID>(guid));
  EXPECT_EQ(bytesOf(text, 10), HashFunc<const wchar_t*>(text));
  EXPECT_EQ(kGolden, HashFunc<const wchar_t*>(nullptr));
}

TEST(Hash, ComparisonsMatchStdWstringAndMemcmp) {
  std::mt19937 random(11u);
  for (int round = 0; round < 2000; ++round) {
    std::wstring a(random() % 4, L'a'), b(random() % 4, L'a');
    for (wchar_t& c : a) c = L"aB\x7FFF\x8000\xFFFF"[random() % 5];
    for (wchar_t& c : b) c = L"aB\x7FFF\x8000\xFFFF"[random() % 5];
    ASSERT_EQ(Sign(a.compare(b)), CompareFunc<const wchar_t*>(a.c_str(), b.c_str()));
    ASSERT_EQ(a < b, LessThanFunc<const wchar_t*>(a.c_str(), b.c_str()));
    GUID ga = {}, gb = {};
    ga.Data4[random() % 8] = static_cast<unsigned char>(random());
    gb.Data4[random() % 8] = static_cast<unsigned char>(random());
    ASSERT_EQ(Sign(std::memcmp(&ga, &gb, sizeof ga)), CompareFunc<GUID>(ga, gb));
    unsigned x = random(), y = round % 3 ? static_cast<unsigned>(random()) : x;
    ASSERT_EQ(x < y ? -1 : x > y, CompareFunc<unsigned>(x, y));
  }
  EXPECT_EQ(0, CompareFunc<const wchar_t*>(nullptr, L""));
}
