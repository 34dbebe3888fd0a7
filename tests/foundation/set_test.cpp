// tSet and tMap: growth thresholds, replace versus duplicate inserts, iteration order, removal
// while iterating, pooled entries, string and GUID keys, equal hashes and copies.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "orvutil/foundation.h"

using Orv::HashFunc;
using Orv::tMap;
using Orv::tSet;

namespace {

using IntMap = tMap<unsigned, unsigned>;

// Every item visited by First/Next, as (bucket, hash, key).
template <typename S>
std::vector<std::pair<unsigned, std::pair<unsigned, unsigned>>> Walk(const S& set) {
  std::vector<std::pair<unsigned, std::pair<unsigned, unsigned>>> items;
  for (auto* item = set.First(); item; item = set.Next(item))
    items.push_back({item->Hash() & (set.BucketCount() - 1), {item->Hash(), item->Key()}});
  return items;
}

// A set whose keys all hash alike: every item shares one bucket and order falls to the keys.
class OneBucketSet : public tSet<unsigned> {
 protected:
  unsigned Hash(const unsigned&) const override { return 42; }
};

// A map whose hash is the key itself, so that tests can place keys in chosen buckets.
class IdentityMap : public IntMap {
 protected:
  unsigned Hash(const unsigned& key) const override { return key; }
};

}  // namespace

TEST(SetGrowth, StartsEmptyWithoutBuckets) {
  IntMap map;
  EXPECT_EQ(0u, map.Count());
  EXPECT_EQ(0u, map.BucketCount());
  EXPECT_EQ(nullptr, map.Find(1));
  EXPECT_EQ(nullptr, map.First());
  EXPECT_FALSE(map.RemoveKey(1));
  EXPECT_EQ(nullptr, map.Remove(nullptr));
  EXPECT_TRUE(map.begin() == map.end());
}

TEST(SetGrowth, FirstInsertMakesSixteenBuckets) {
  IntMap map;
  ASSERT_NE(nullptr, map.Insert(7, 70));
  EXPECT_EQ(16u, map.BucketCount());
  EXPECT_EQ(80u, map.GrowThreshold());
  EXPECT_EQ(0u, map.ShrinkThreshold());
}

TEST(SetGrowth, GrowsToThirtyTwoOnlyWhenAnInsertFindsMoreThanEighty) {
  IntMap map;
  for (unsigned i = 0; i < 81; ++i) map.Insert(i, i);
  EXPECT_EQ(81u, map.Count());
  EXPECT_EQ(16u, map.BucketCount());  // the 81st insert found 80 items: not more than 80
  map.Insert(0, 5);                   // finds 81: grows first, even though it only replaces
  EXPECT_EQ(32u, map.BucketCount());
  EXPECT_EQ(81u, map.Count());
  EXPECT_EQ(320u, map.GrowThreshold());
  EXPECT_EQ(0u, map.ShrinkThreshold());
  for (unsigned i = 0; i < 81; ++i) ASSERT_NE(nullptr, map.Find(i)) << i;
  EXPECT_EQ(5u, map.Find(0)->Value());
}

TEST(SetGrowth, BucketCountDoublesAtEachThreshold) {
  tSet<unsigned> set;
  unsigned buckets = 16, inserted = 0;
  set.Insert(inserted++);
  while (buckets < 1024) {
    unsigned threshold = (buckets / 3) * buckets;
    while (set.Count() <= threshold) set.Insert(inserted++);
    ASSERT_EQ(buckets, set.BucketCount()) << "count " << set.Count();
    set.Insert(inserted++);
    buckets *= 2;
    ASSERT_EQ(buckets, set.BucketCount());
    ASSERT_EQ((buckets / 3) * buckets, set.GrowThreshold());
    ASSERT_EQ(buckets <= 32 ? 0u : (buckets / 2) * (buckets / 8), set.ShrinkThreshold());
  }
  EXPECT_EQ(inserted, set.Count());
  for (unsigned i = 0; i < inserted; i += 97) EXPECT_NE(nullptr, set.Find(i)) << i;
  EXPECT_EQ(nullptr, set.Find(inserted));
}

TEST(SetGrowth, RemovalNeverShrinksBuckets) {
  IntMap map;
  for (unsigned i = 0; i < 500; ++i) map.Insert(i, i);
  unsigned buckets = map.BucketCount();
  EXPECT_EQ(64u, buckets);
  for (auto* item = map.First(); item;) item = map.Remove(item);
  EXPECT_EQ(0u, map.Count());
  EXPECT_EQ(buckets, map.BucketCount());
  map.Insert(1, 1);
  EXPECT_EQ(buckets, map.BucketCount());
}

// Reaching the largest size takes tens of millions of items: the growth rule the set applies is
// checked on its own.
TEST(SetGrowth, GrowthRuleStopsAtMaximumBuckets) {
  EXPECT_EQ(16u, IntMap::NextBucketCount(0));
  EXPECT_EQ(32u, IntMap::NextBucketCount(16));
  EXPECT_EQ(16384u, IntMap::NextBucketCount(8192));
  EXPECT_EQ(16384u, IntMap::NextBucketCount(16384));
  EXPECT_EQ(80u, IntMap::GrowThresholdFor(16));
  EXPECT_EQ(320u, IntMap::GrowThresholdFor(32));
  EXPECT_EQ(5461u * 16384u, IntMap::GrowThresholdFor(16384));
  EXPECT_EQ(0u, IntMap::ShrinkThresholdFor(32));
  EXPECT_EQ(256u, IntMap::ShrinkThresholdFor(64));
  EXPECT_EQ(16777216u, IntMap::ShrinkThresholdFor(16384));
}

TEST(SetInsert, ExistingKeyReplacesValueAndKeepsCount) {
  IntMap map;
  IntMap::Item* first = map.Insert(3, 30);
  IntMap::Item* again = map.Insert(3, 31);
  EXPECT_EQ(first, again);
  EXPECT_EQ(1u, map.Count());
  EXPECT_EQ(31u, map.Find(3)->Value());
  EXPECT_EQ(1u, map.GetEntryPool().InUse());
}

TEST(SetInsert, DuplicateKeepsBothItems) {
  IntMap map;
  map.Insert(3, 30);
  map.Insert(3, 31, true);
  map.Insert(4, 40);
  EXPECT_EQ(3u, map.Count());
  EXPECT_EQ(3u, map.GetEntryPool().InUse());
  std::multiset<unsigned> values;
  for (auto& item : map)
    if (item.Key() == 3) values.insert(item.Value());
  EXPECT_EQ((std::multiset<unsigned>{30, 31}), values);
  // The duplicate goes in front of its equal: it is the one found.
  EXPECT_EQ(31u, map.Find(3)->Value());
  EXPECT_TRUE(map.RemoveKey(3));
  EXPECT_EQ(30u, map.Find(3)->Value());
  EXPECT_TRUE(map.RemoveKey(3));
  EXPECT_EQ(nullptr, map.Find(3));
  EXPECT_FALSE(map.RemoveKey(3));
}

TEST(SetInsert, DuplicatesSurviveRehash) {
  tSet<unsigned> set;
  for (unsigned i = 0; i < 200; ++i) set.Insert(i % 50, true);
  EXPECT_EQ(200u, set.Count());
  EXPECT_EQ(32u, set.BucketCount());
  std::map<unsigned, int> seen;
  for (auto& item : set) ++seen[item.Key()];
  EXPECT_EQ(50u, seen.size());
  for (auto& [key, count] : seen) EXPECT_EQ(4, count) << key;
}

TEST(SetInsert, SetOfSmallKeysKeepsThemInItems) {
  tSet<unsigned> set;
  for (unsigned i = 0; i < 100; ++i) set.Insert(i * 3);
  EXPECT_EQ(0u, set.GetEntryPool().InUse());
  EXPECT_EQ(0u, set.GetEntryPool().Allocations());
  EXPECT_EQ(100u, set.Count());
  EXPECT_NE(nullptr, set.Find(297));
  EXPECT_EQ(nullptr, set.Find(298));
  EXPECT_EQ(297u, set.Find(297)->Key());
}

TEST(SetInsert, InsertingAnItemsOwnEntryAcrossARehash) {
  tSet<unsigned> set;
  for (unsigned i = 0; i < 81; ++i) set.Insert(i);
  const unsigned& own = set.First()->Entry();
  unsigned key = own;
  set.Insert(own, true);  // grows first, moving the item `own` refers to
  EXPECT_EQ(32u, set.BucketCount());
  EXPECT_EQ(82u, set.Count());
  unsigned copies = 0;
  for (auto& item : set) copies += item.Key() == key;
  EXPECT_EQ(2u, copies);
}

TEST(SetIteration, BucketOrderThenHashThenKey) {
  IntMap map;
  for (unsigned i = 0; i < 1000; ++i) map.Insert(i * 7919u, i);
  auto items = Walk(map);
  ASSERT_EQ(1000u, items.size());
  EXPECT_TRUE(std::is_sorted(items.begin(), items.end()));
  std::set<unsigned> keys;
  for (auto& item : items) keys.insert(item.second.second);
  EXPECT_EQ(1000u, keys.size());
  for (auto& item : items) EXPECT_EQ(HashFunc<unsigned>(item.second.second), item.second.first);
}

TEST(SetIteration, EqualHashesOrderByKey) {
  OneBucketSet set;
  const unsigned keys[] = {50, 3, 99, 17, 3, 42, 0};
  for (unsigned key : keys) set.Insert(key);
  EXPECT_EQ(6u, set.Count());
  std::vector<unsigned> order;
  for (auto& item : set) order.push_back(item.Key());
  EXPECT_EQ((std::vector<unsigned>{0, 3, 17, 42, 50, 99}), order);
  for (unsigned key : keys) EXPECT_NE(nullptr, set.Find(key));
  EXPECT_EQ(nullptr, set.Find(4));
  EXPECT_EQ(nullptr, set.Find(100));
}

TEST(SetIteration, RangeForMatchesFirstNext) {
  IntMap map;
  for (unsigned i = 0; i < 300; ++i) map.Insert(i, i * 2);
  std::vector<const IntMap::Item*> walked, ranged;
  for (auto* item = map.First(); item; item = map.Next(item)) walked.push_back(item);
  for (auto& item : map) ranged.push_back(&item);
  EXPECT_EQ(walked, ranged);
  const IntMap& constant = map;
  unsigned sum = 0;
  for (const auto& item : constant) sum += item.Value() - 2 * item.Key();
  EXPECT_EQ(0u, sum);
}

TEST(SetIteration, NextOfAForeignItemIsNull) {
  IntMap a, b;
  a.Insert(1, 1);
  b.Insert(1, 1);
  EXPECT_EQ(nullptr, a.Next(b.First()));
  EXPECT_EQ(nullptr, a.Remove(b.First()));
  EXPECT_EQ(1u, a.Count());
  EXPECT_EQ(1u, b.Count());
}

TEST(SetRemove, ReturnsTheNextItem) {
  IdentityMap map;
  // Keys 1 and 17 share bucket 1 of 16; 2 sits alone in bucket 2; 5 in bucket 5.
  for (unsigned key : {1u, 17u, 2u, 5u}) map.Insert(key, key * 10);
  EXPECT_EQ(1u, map.First()->Key());
  auto* next = map.Remove(map.First());  // within the bucket
  ASSERT_NE(nullptr, next);
  EXPECT_EQ(17u, next->Key());
  next = map.Remove(next);  // last of its bucket: on to the next non-empty one
  ASSERT_NE(nullptr, next);
  EXPECT_EQ(2u, next->Key());
  next = map.Remove(map.Find(5));  // the very last item
  EXPECT_EQ(nullptr, next);
  EXPECT_EQ(1u, map.Count());
  EXPECT_EQ(20u, map.Find(2)->Value());
}

TEST(SetRemove, RemovingDuringIterationVisitsEveryItemOnce) {
  IntMap map;
  for (unsigned i = 0; i < 2000; ++i) map.Insert(i, i);
  std::set<unsigned> visited;
  for (auto* item = map.First(); item;) {
    EXPECT_TRUE(visited.insert(item->Key()).second);
    item = item->Key() % 2 ? map.Next(item) : map.Remove(item);
  }
  EXPECT_EQ(2000u, visited.size());
  EXPECT_EQ(1000u, map.Count());
  EXPECT_EQ(1000u, map.GetEntryPool().InUse());
  for (unsigned i = 0; i < 2000; ++i) EXPECT_EQ(i % 2 == 1, map.Find(i) != nullptr) << i;
}

TEST(SetRemove, FullRemovalLoopEmptiesTheMap) {
  IntMap map;
  for (unsigned i = 0; i < 777; ++i) map.Insert(i, i);
  unsigned removed = 0;
  for (auto* item = map.First(); item; item = map.Remove(item)) ++removed;
  EXPECT_EQ(777u, removed);
  EXPECT_EQ(0u, map.Count());
  EXPECT_EQ(nullptr, map.First());
  EXPECT_EQ(0u, map.GetEntryPool().InUse());
}

TEST(SetPool, EntriesGoBackToThePool) {
  IntMap map;
  for (unsigned i = 0; i < 100; ++i) map.Insert(i, i);
  EXPECT_EQ(100u, map.GetEntryPool().InUse());
  for (unsigned i = 0; i < 100; ++i) map.Insert(i, i + 1);  // replacing makes no new entries
  EXPECT_EQ(100u, map.GetEntryPool().InUse());
  EXPECT_EQ(100u, map.GetEntryPool().PeakInUse());
  for (unsigned i = 0; i < 40; ++i) EXPECT_TRUE(map.RemoveKey(i));
  EXPECT_EQ(60u, map.GetEntryPool().InUse());
  for (unsigned i = 1000; i < 1040; ++i) map.Insert(i, i);  // reuses the freed slots
  EXPECT_EQ(100u, map.GetEntryPool().PeakInUse());
  map.Clear();
  EXPECT_EQ(0u, map.GetEntryPool().InUse());
  EXPECT_EQ(0u, map.Count());
  EXPECT_EQ(0u, map.BucketCount());
  EXPECT_EQ(nullptr, map.Find(1000));
  map.Insert(5, 6);  // usable again after Clear
  EXPECT_EQ(6u, *map.FindValue(5));
}

TEST(SetPool, ValuesAreDestroyedOnRemoveAndClear) {
  static int live = 0;
  struct Tracked {
    Tracked() { ++live; }
    Tracked(const Tracked&) { ++live; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { --live; }
  };
  {
    tMap<unsigned, Tracked> map;
    for (unsigned i = 0; i < 50; ++i) map.Insert(i, Tracked());
    EXPECT_EQ(50, live);
    map.Insert(3, Tracked());  // replaced, not added
    EXPECT_EQ(50, live);
    map.RemoveKey(7);
    EXPECT_EQ(49, live);
    map.Clear();
    EXPECT_EQ(0, live);
    for (unsigned i = 0; i < 10; ++i) map.Insert(i, Tracked());
  }
  EXPECT_EQ(0, live);  // the destructor clears
}

TEST(SetKeys, WideStringKeysCompareByContent) {
  tMap<const wchar_t*, int> map;
  wchar_t first[] = L"alpha", second[] = L"alpha";
  map.Insert(first, 1);
  map.Insert(L"beta", 2);
  map.Insert(L"", 3);
  EXPECT_EQ(3u, map.Count());
  const wchar_t* probe = second;
  ASSERT_NE(nullptr, map.Find(probe));
  EXPECT_EQ(1, map.Find(probe)->Value());
  EXPECT_EQ(first, map.Find(probe)->Key());
  // Replacing an equal key also takes the new key pointer.
  map.Insert(second, 10);
  EXPECT_EQ(1u, map.Find(L"alpha") ? 1u : 0u);
  EXPECT_EQ(second, map.Find(L"alpha")->Key());
  EXPECT_EQ(10, map.Find(L"alpha")->Value());
  EXPECT_EQ(3, map.Find(nullptr)->Value());  // null finds the empty string
  EXPECT_EQ(nullptr, map.Find(L"alph"));
  EXPECT_EQ(nullptr, map.Find(L"alphaa"));
}

TEST(SetKeys, ManyStringKeys) {
  std::vector<std::wstring> names;
  for (int i = 0; i < 3000; ++i) names.push_back(L"name" + std::to_wstring(i * 31));
  tMap<const wchar_t*, int> map;
  for (int i = 0; i < 3000; ++i) map.Insert(names[i].c_str(), i);
  EXPECT_EQ(3000u, map.Count());
  for (int i = 0; i < 3000; ++i) {
    std::wstring copy = names[i];
    auto* item = map.Find(copy.c_str());
    ASSERT_NE(nullptr, item) << i;
    EXPECT_EQ(i, item->Value());
  }
  EXPECT_EQ(nullptr, map.Find(L"name1"));
}

TEST(SetKeys, GuidKeys) {
  tMap<GUID, int> map;
  std::vector<GUID> guids;
  for (int i = 0; i < 500; ++i) {
    GUID g = {0x6B29FC40u, 0xCA47, 0x1067, {0xB3, 0x1D, 0x00, 0xDD, 0x01, 0x06, 0x62, 0xDA}};
    g.Data4[7] = static_cast<unsigned char>(i);
    g.Data4[6] = static_cast<unsigned char>(i >> 8);
    guids.push_back(g);
    map.Insert(g, i);
  }
  EXPECT_EQ(500u, map.Count());
  for (int i = 0; i < 500; ++i) {
    auto* item = map.Find(guids[i]);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(i, item->Value());
    EXPECT_TRUE(IsEqualGUID(guids[i], item->Key()));
  }
  GUID missing = guids[0];
  missing.Data1 ^= 1;
  EXPECT_EQ(nullptr, map.Find(missing));
  tSet<GUID> set;  // GUIDs do not fit an item: the set pools them
  set.Insert(guids[0]);
  set.Insert(guids[1]);
  set.Insert(guids[0]);
  EXPECT_EQ(2u, set.Count());
  EXPECT_EQ(2u, set.GetEntryPool().InUse());
}

TEST(SetKeys, PointerKeys) {
  int objects[64];
  tSet<int*> set;
  for (int& object : objects) set.Insert(&object);
  EXPECT_EQ(64u, set.Count());
  for (int& object : objects) EXPECT_EQ(&object, set.Find(&object)->Key());
  EXPECT_EQ(nullptr, set.Find(nullptr));
}

TEST(SetCopy, CopyHasTheSameItemsAndIsIndependent) {
  IntMap map;
  for (unsigned i = 0; i < 400; ++i) map.Insert(i, i + 1);
  map.Insert(5, 99, true);
  IntMap copy(map);
  EXPECT_EQ(map.Count(), copy.Count());
  EXPECT_EQ(map.BucketCount(), copy.BucketCount());
  EXPECT_EQ(Walk(map), Walk(copy));
  EXPECT_EQ(map.Count(), copy.GetEntryPool().InUse());
  copy.Insert(1, 1000);
  EXPECT_EQ(2u, *map.FindValue(1));
  copy.Clear();
  EXPECT_EQ(401u, map.Count());
  copy = map;
  EXPECT_EQ(Walk(map), Walk(copy));
  copy = copy;  // self-assignment keeps everything
  EXPECT_EQ(401u, copy.Count());
}

// Against std::multimap: a random mix of inserts, duplicates and removals.
TEST(SetRandom, AgreesWithStandardMultimap) {
  IntMap map;
  std::multimap<unsigned, unsigned> peer;
  unsigned seed = 12345;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  for (int step = 0; step < 20000; ++step) {
    unsigned key = (next() >> 8) % 600, value = next();
    switch (next() % 4) {
      case 0:
      case 1:
        map.Insert(key, value);  // replaces when present: the key counts do not change
        if (!peer.count(key)) peer.insert({key, value});
        break;
      case 2:
        map.Insert(key, value, true);
        peer.insert({key, value});
        break;
      case 3:
        if (map.RemoveKey(key)) peer.erase(peer.find(key));
        break;
    }
    if (peer.count(key) && !map.Find(key)) FAIL() << "lost key " << key;
  }
  std::multiset<unsigned> keys, peerKeys;
  for (auto& item : map) keys.insert(item.Key());
  for (auto& entry : peer) peerKeys.insert(entry.first);
  EXPECT_EQ(peerKeys, keys);
  EXPECT_EQ(peer.size(), map.Count());
  EXPECT_EQ(map.Count(), map.GetEntryPool().InUse());
}
