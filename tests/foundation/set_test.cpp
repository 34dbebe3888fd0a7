// tSet and tMap against std::multimap and std::unordered_map: replacing and duplicate inserts,
// lookups by a class's own hash or one the caller has, removal while iterating, rehashes, pooled
// entries, string keys, copies.
// Also HashBytes against a byte-wise reference of lookup3 at every length, alignment and buffer end;
// wide strings against wcslen; key hashes and ordinal comparisons against their byte and
// std::wstring peers.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "fenced_page.h"
#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::HashFunc;
using Orv::tMap;
using Orv::CompareFunc;

namespace {

using IntMap = tMap<unsigned, unsigned>;

std::multimap<unsigned, unsigned> Contents(const IntMap& map) {
  std::multimap<unsigned, unsigned> out;
  for (const auto& item : map) out.insert({item.Key(), item.Value()});
  return out;
}

// Equal multimaps, whatever the order of the values under one key.
std::map<unsigned, std::multiset<unsigned>> Grouped(const std::multimap<unsigned, unsigned>& m) {
  std::map<unsigned, std::multiset<unsigned>> out;
  for (const auto& [key, value] : m) out[key].insert(value);
  return out;
}

// Few distinct hashes, so that most keys share theirs with many others.
class FewHashesMap : public IntMap {
 public:
  static unsigned HashOfKey(unsigned key) { return key % 3 * 0x40000001u; }

 protected:
  unsigned Hash(const unsigned& key) const override { return HashOfKey(key); }
};

// Every lookup, hits and misses: a hit is the first item of its key in set order, placed by
// `hashOf`, and found again with the hash given by the caller. Neighbours that hash alike are in
// key order.
void ExpectLookups(IntMap& map, unsigned (*hashOf)(unsigned)) {
  std::map<unsigned, const IntMap::Item*> firstOfKey;
  for (auto* item = map.First(); item; item = map.Next(item)) {
    firstOfKey.emplace(item->Key(), item);
    auto* next = map.Next(item);
    ASSERT_TRUE(!next || next->Hash() != item->Hash() || item->Key() <= next->Key()) << item->Key();
  }
  for (unsigned key = 0; key < 1600; ++key) {
    auto* item = map.Find(key);
    auto first = firstOfKey.find(key);
    ASSERT_EQ(first == firstOfKey.end() ? nullptr : first->second, item) << key;
    ASSERT_EQ(item, map.FindWithHash(key, hashOf(key))) << key;
    ASSERT_TRUE(!item || hashOf(key) == item->Hash()) << key;
  }
}

// Inserts that replace, duplicates, some with the hash the caller already has, removals by key and
// by item while iterating, copies and Clear, through several rehashes, against std::multimap. The
// map is used through its base class: a class's own Hash must still be reached.
template <typename Map>
void ExpectAgreementWithStdMultimap(unsigned (*hashOf)(unsigned)) {
  std::mt19937 random(12345u);
  Map derived;
  IntMap& map = derived;
  std::multimap<unsigned, unsigned> peer;
  for (int step = 0; step < 20000; ++step) {
    unsigned key = random() % 1500, value = random();
    bool duplicate = random() % 3 == 0;
    switch (random() % 4) {
      case 0:
      case 1:
        if (!duplicate && peer.count(key) > 1) break;  // which of several equals gets replaced is not defined
        ASSERT_NE(nullptr, step % 2 ? map.Insert(key, value, duplicate) : map.InsertWithHash(key, value, hashOf(key), duplicate));
        if (!duplicate) peer.erase(key);
        peer.insert({key, value});
        break;
      case 2: {  // removes the item Find gives
        const auto* item = map.Find(key);
        unsigned found = item ? item->Value() : 0;
        ASSERT_EQ(item != nullptr, map.RemoveKey(key));
        auto range = peer.equal_range(key);
        auto it = std::find(range.first, range.second, std::pair<const unsigned, unsigned>(key, found));
        if (it != range.second) peer.erase(it);
        break;
      }
      case 3:
        ASSERT_EQ(peer.count(key) != 0, map.Find(key) != nullptr) << key;
        break;
    }
    if (step % 997 == 0) {
      ASSERT_EQ(Grouped(peer), Grouped(Contents(map))) << "step " << step;
      ASSERT_EQ(peer.size(), map.Count());
      ASSERT_EQ(map.Count(), map.GetEntryPool().InUse());
      ExpectLookups(map, hashOf);
    }
  }
  Map copy(derived);
  copy = copy;
  EXPECT_EQ(Grouped(peer), Grouped(Contents(copy)));
  copy.Insert(100000, 1);
  EXPECT_EQ(nullptr, map.Find(100000));
  // Removing every odd key while walking visits every item once.
  std::multimap<unsigned, unsigned> visited;
  for (auto* item = map.First(); item;) {
    visited.insert({item->Key(), item->Value()});
    item = item->Key() % 2 ? map.Remove(item) : map.Next(item);
  }
  EXPECT_EQ(Grouped(peer), Grouped(visited));
  for (auto it = peer.begin(); it != peer.end();) it = it->first % 2 ? peer.erase(it) : std::next(it);
  EXPECT_EQ(Grouped(peer), Grouped(Contents(map)));
  ExpectLookups(map, hashOf);
  map.Clear();
  EXPECT_EQ(0u, map.GetEntryPool().InUse());
  EXPECT_EQ(nullptr, map.First());
  EXPECT_FALSE(map.RemoveKey(2));
}

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

// With the default hash, and with a class's own, by which its items must be placed and searched.
TEST(Set, AgreesWithStdMultimap) {
  ExpectAgreementWithStdMultimap<IntMap>([](unsigned key) { return HashFunc<unsigned>(key); });
  ExpectAgreementWithStdMultimap<FewHashesMap>(FewHashesMap::HashOfKey);
}

// An item's own entry may be inserted across a rehash.
TEST(Set, OwnEntriesSurviveARehash) {
  Orv::tSet<unsigned> set;
  for (unsigned i = 0; i < 81; ++i) set.Insert(i);
  unsigned buckets = set.BucketCount();
  const unsigned& own = set.First()->Entry();
  unsigned key = own;
  set.Insert(own, true);
  EXPECT_NE(buckets, set.BucketCount());
  unsigned copies = 0;
  for (auto& item : set) copies += item.Key() == key;
  EXPECT_EQ(2u, copies);
}

// String keys are pointers compared by their characters (GUID keys: see the Hash tests).
TEST(Set, StringKeysCompareByContent) {
  std::unordered_map<std::wstring, int> peer;
  tMap<const wchar_t*, int> map;
  std::vector<std::wstring> names(3000);  // the keys are pointers: their strings must stay put
  for (int i = 0; i < 3000; ++i) {
    names[i] = L"name" + std::to_wstring(i * 31 % 1000);
    map.Insert(names[i].c_str(), i);
    peer[names[i]] = i;
  }
  EXPECT_EQ(peer.size(), map.Count());
  for (const auto& [name, value] : peer) {
    std::wstring copy = name;
    auto* item = map.Find(copy.c_str());
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(value, item->Value());
  }
  EXPECT_EQ(nullptr, map.Find(L"name"));
  map.Insert(L"", 7);
  EXPECT_EQ(7, map.Find(nullptr)->Value());  // null finds the empty string
}

TEST(Set, ValuesAreDestroyedOnReplaceRemoveAndClear) {
  auto token = std::make_shared<int>(0);  // every value held adds one to its count
  {
    tMap<unsigned, std::shared_ptr<int>> map;
    for (unsigned i = 0; i < 50; ++i) map.Insert(i, token);
    map.Insert(3, token);
    map.RemoveKey(7);
    EXPECT_EQ(1 + 49, token.use_count());
    map.Clear();
    EXPECT_EQ(1, token.use_count());
    for (unsigned i = 0; i < 10; ++i) map.Insert(i, token);
  }
  EXPECT_EQ(1, token.use_count());
}

// Data placed at every alignment and right before a page that cannot be read: a read past the last
// byte would fault. The reference itself is lookup3: with lookup3's own start it gives the published
// values.
TEST(Hash, BytesMatchTheReferenceAtEveryLengthAlignmentAndBufferEnd) {
  const char* text = "Four score and seven years ago";
  std::vector<uint8_t> published(text, text + std::strlen(text));
  ASSERT_EQ(0x17770551u, ReferenceHash(published, 0xDEADBEEFu));
  ASSERT_EQ(0xCD628161u, ReferenceHash(published, 0xDEADBEEFu + 1));
  CFencedPage fence;
  ASSERT_TRUE(fence.Ready());
  std::mt19937 random(3u);
  for (size_t length = 0; length <= 64; ++length) {
    std::vector<uint8_t> bytes(length + 5);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    uint32_t expected = ReferenceHash(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length), kGolden);
    for (size_t offset : {0, 1, 2, 3, 5}) {
      const uint8_t* at = fence.Place(bytes.data(), length + offset);
      EXPECT_EQ(expected, Orv::HashBytes(at, static_cast<unsigned>(length))) << length << " at " << offset;
    }
  }
  EXPECT_EQ(kGolden, Orv::HashBytes(nullptr, 16));  // nothing to read: treated as empty
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
  auto bytesOf = [](const void* p, size_t n) { return ReferenceHash(std::vector<uint8_t>(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n), kGolden); };
  EXPECT_EQ(bytesOf(&u, 4), HashFunc<unsigned>(u));
  EXPECT_EQ(bytesOf(&ull, 8), HashFunc<unsigned long long>(ull));
  EXPECT_EQ(bytesOf(&pointer, sizeof pointer), HashFunc<void*>(pointer));
  EXPECT_EQ(bytesOf(&guid, 16), HashFunc<GUID>(guid));
  EXPECT_EQ(kGolden, HashFunc<const wchar_t*>(nullptr));  // other strings: see WideStringsMatchWcslenAndHashBytes
}

TEST(Hash, ComparisonsMatchStdWstringAndMemcmp) {
  std::mt19937 random(11u);
  for (int round = 0; round < 2000; ++round) {
    std::wstring a(random() % 4, L'a'), b(random() % 4, L'a');
    for (wchar_t& c : a) c = L"aB\x7FFF\x8000\xFFFF"[random() % 5];
    for (wchar_t& c : b) c = L"aB\x7FFF\x8000\xFFFF"[random() % 5];
    ASSERT_EQ(Sign(a.compare(b)), CompareFunc<const wchar_t*>(a.c_str(), b.c_str()));
    ASSERT_EQ(a < b, Orv::LessThanFunc<const wchar_t*>(a.c_str(), b.c_str()));
    GUID ga = {}, gb = {};
    ga.Data4[random() % 8] = static_cast<unsigned char>(random());
    gb.Data4[random() % 8] = static_cast<unsigned char>(random());
    ASSERT_EQ(Sign(std::memcmp(&ga, &gb, sizeof ga)), CompareFunc<GUID>(ga, gb));
    unsigned x = random(), y = round % 3 ? static_cast<unsigned>(random()) : x;
    ASSERT_EQ(x < y ? -1 : x > y, CompareFunc<unsigned>(x, y));
  }
  EXPECT_EQ(0, CompareFunc<const wchar_t*>(nullptr, L""));
}
