// tSet and tMap against std::multimap and std::unordered_map: replacing and duplicate inserts,
// lookups by a class's own hash or one the caller has, removal while iterating, rehashes, pooled
// entries, string and GUID keys, copies.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "orvutil/foundation.h"

using Orv::HashFunc;
using Orv::tMap;
using Orv::tSet;

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

unsigned DefaultHash(unsigned key) {
  return HashFunc<unsigned>(key);
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
    if (item) {
      ASSERT_EQ(hashOf(key), item->Hash()) << key;
    }
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
        for (auto it = range.first; it != range.second; ++it)
          if (it->second == found) {
            peer.erase(it);
            break;
          }
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
  IntMap other;
  other.Insert(1, 1);
  EXPECT_EQ(nullptr, map.Next(other.First()));  // an item of another set
  EXPECT_EQ(nullptr, map.Remove(other.First()));
  map.Clear();
  EXPECT_EQ(0u, map.GetEntryPool().InUse());
  EXPECT_EQ(nullptr, map.First());
  EXPECT_FALSE(map.RemoveKey(2));
}

}  // namespace

TEST(Set, AgreesWithStdMultimap) {
  ExpectAgreementWithStdMultimap<IntMap>(DefaultHash);
}

TEST(Set, AClassWithItsOwnHashIsPlacedAndSearchedByIt) {
  ExpectAgreementWithStdMultimap<FewHashesMap>(FewHashesMap::HashOfKey);
}

// An item's own entry may be inserted across a rehash.
TEST(Set, OwnEntriesSurviveARehash) {
  tSet<unsigned> set;
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

TEST(Set, StringAndGuidKeysCompareByContent) {
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

  tMap<GUID, int> guids;
  auto guid = [](int i) {
    GUID g = {0x6B29FC40u, 0xCA47, 0x1067, {0xB3, 0x1D, 0x00, 0xDD, 0x01, 0x06, 0x62, 0xDA}};
    g.Data4[6] = static_cast<unsigned char>(i >> 8);
    g.Data4[7] = static_cast<unsigned char>(i);
    return g;
  };
  for (int i = 0; i < 500; ++i) guids.Insert(guid(i), i);
  for (int i = 0; i < 1000; ++i) {
    auto* item = guids.Find(guid(i));
    ASSERT_EQ(i < 500 ? i : -1, item ? item->Value() : -1) << i;
  }
}

TEST(Set, ValuesAreDestroyedOnReplaceRemoveAndClear) {
  static int live = 0;
  struct Counted {
    Counted() { ++live; }
    Counted(const Counted&) { ++live; }
    Counted& operator=(const Counted&) = default;
    ~Counted() { --live; }
  };
  {
    tMap<unsigned, Counted> map;
    for (unsigned i = 0; i < 50; ++i) map.Insert(i, Counted());
    map.Insert(3, Counted());
    map.RemoveKey(7);
    EXPECT_EQ(49, live);
    map.Clear();
    EXPECT_EQ(0, live);
    for (unsigned i = 0; i < 10; ++i) map.Insert(i, Counted());
  }
  EXPECT_EQ(0, live);
}
