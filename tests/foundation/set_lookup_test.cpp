// Map lookups: which hash places and finds a key (a class's own Hash or the default), runs of
// equal hashes searched by key, duplicates, and lookups and inserts with a hash the caller already
// has. Checked against a std::multiset model of the contents.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "orvutil/foundation.h"

using Orv::HashFunc;

namespace {

using IntMap = Orv::tMap<unsigned, unsigned>;

// Few distinct hashes, so that most keys share theirs with many others.
class FewHashesMap : public IntMap {
 public:
  static unsigned HashOfKey(unsigned key) { return key % 3 * 0x40000001u; }

 protected:
  unsigned Hash(const unsigned& key) const override { return HashOfKey(key); }
};

// Inserts a random mix of new keys, replacements and duplicates into `map` and into a model of its
// contents, then checks every lookup, hits and misses: a hit is the first item of its key in set
// order (the order of equal keys is the set's own), is placed by `hashOf`, and the contents as a
// whole equal the model.
template <typename Map>
void CompareWithModel(Map& map, unsigned (*hashOf)(unsigned)) {
  std::multiset<std::pair<unsigned, unsigned>> model;
  std::mt19937 random(7);
  for (unsigned i = 0; i < 3000; ++i) {
    unsigned key = random() % 1000, value = i;
    bool duplicate = random() % 4 == 0;
    auto* replaced = duplicate ? nullptr : map.Find(key);
    if (replaced) model.erase(model.find({key, replaced->Value()}));
    model.insert({key, value});
    ASSERT_NE(i % 2 ? map.Insert(key, value, duplicate) : map.InsertWithHash(key, value, hashOf(key), duplicate),
              nullptr);
  }
  std::multiset<std::pair<unsigned, unsigned>> contents;
  std::map<unsigned, const typename Map::Item*> firstOfKey;
  for (auto* item = map.First(); item; item = map.Next(item)) {
    contents.insert({item->Key(), item->Value()});
    firstOfKey.emplace(item->Key(), item);
  }
  EXPECT_EQ(contents, model);
  for (unsigned key = 0; key < 1100; ++key) {
    auto* item = map.Find(key);
    auto first = firstOfKey.find(key);
    ASSERT_EQ(item, first == firstOfKey.end() ? nullptr : first->second) << key;
    EXPECT_EQ(map.FindWithHash(key, hashOf(key)), item) << key;
    if (item) {
      EXPECT_EQ(item->Hash(), hashOf(key)) << key;
    }
  }
}

unsigned DefaultHash(unsigned key) {
  return HashFunc<unsigned>(key);
}

}  // namespace

TEST(SetLookup, AMapWithTheDefaultHashFindsTheFirstOfEqualKeys) {
  IntMap map;
  CompareWithModel(map, DefaultHash);
}

TEST(SetLookup, AClassWithItsOwnHashIsPlacedAndSearchedByIt) {
  FewHashesMap map;
  CompareWithModel(map, FewHashesMap::HashOfKey);
}

// The same class seen through its base: the lookup still reaches the class's own Hash.
TEST(SetLookup, TheOwnHashIsUsedThroughABaseReferenceToo) {
  FewHashesMap derived;
  IntMap& map = derived;
  for (unsigned key = 0; key < 200; ++key) map.Insert(key, key * 2);
  for (unsigned key = 0; key < 300; ++key) {
    auto* item = map.Find(key);
    ASSERT_EQ(item != nullptr, key < 200) << key;
    if (item) {
      EXPECT_EQ(item->Hash(), FewHashesMap::HashOfKey(key));
    }
  }
}

// Wide C string keys compare once per candidate by content, not by pointer.
TEST(SetLookup, StringKeysAreFoundByContent) {
  Orv::tMap<wchar_t const*, unsigned> map;
  static const wchar_t* kStored[] = {L"", L"a", L"ab", L"abc", L"abd", L"b"};
  for (unsigned i = 0; i < 6; ++i) map.Insert(kStored[i], i);
  const wchar_t* probes[] = {L"", L"a", L"ab", L"abc", L"abd", L"b", L"abcd", L"c"};
  for (unsigned i = 0; i < 8; ++i) {
    std::wstring copy = probes[i];
    const unsigned* value = map.FindValue(copy.c_str());
    ASSERT_EQ(value != nullptr, i < 6) << i;
    if (value) {
      EXPECT_EQ(*value, i);
    }
  }
}
