// tList: order of pushes at both ends, removal anywhere returning the next item, Clear, and items
// going back to the list's pool with their values destroyed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvutil/foundation.h"

using Orv::tList;

namespace {

template <typename T>
std::vector<T> Values(const tList<T>& list) {
  std::vector<T> values;
  for (const T& value : list) values.push_back(value);
  return values;
}

template <typename T>
std::vector<T> Backwards(const tList<T>& list) {
  std::vector<T> values;
  for (auto* item = list.Last(); item; item = tList<T>::Prev(item)) values.push_back(item->Value());
  return values;
}

struct Tracked {
  static int live;
  int value;
  explicit Tracked(int v) : value(v) { ++live; }
  Tracked(const Tracked& other) : value(other.value) { ++live; }
  ~Tracked() { --live; }
};
int Tracked::live = 0;

}  // namespace

TEST(List, StartsEmpty) {
  tList<int> list;
  EXPECT_EQ(0u, list.Count());
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(nullptr, list.First());
  EXPECT_EQ(nullptr, list.Last());
  EXPECT_EQ(nullptr, list.Remove(nullptr));
  EXPECT_TRUE(list.begin() == list.end());
}

TEST(List, PushBackAndFrontKeepOrder) {
  tList<int> list;
  list.PushBack(2);
  list.PushBack(3);
  list.PushFront(1);
  list.PushFront(0);
  list.PushBack(4);
  EXPECT_EQ(5u, list.Count());
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), Values(list));
  EXPECT_EQ((std::vector<int>{4, 3, 2, 1, 0}), Backwards(list));
  EXPECT_EQ(0, list.First()->Value());
  EXPECT_EQ(4, list.Last()->Value());
  EXPECT_EQ(1, tList<int>::Next(list.First())->Value());
  EXPECT_EQ(nullptr, tList<int>::Next(list.Last()));
  EXPECT_EQ(nullptr, tList<int>::Next(nullptr));
}

TEST(List, RemoveReturnsTheNextItem) {
  tList<int> list;
  auto* zero = list.PushBack(0);
  auto* one = list.PushBack(1);
  auto* two = list.PushBack(2);
  auto* three = list.PushBack(3);
  EXPECT_EQ(two, list.Remove(one));  // middle
  EXPECT_EQ((std::vector<int>{0, 2, 3}), Values(list));
  EXPECT_EQ(two, list.Remove(zero));  // first
  EXPECT_EQ(two, list.First());
  EXPECT_EQ(nullptr, two->Prev());
  EXPECT_EQ(nullptr, list.Remove(three));  // last
  EXPECT_EQ(two, list.Last());
  EXPECT_EQ((std::vector<int>{2}), Values(list));
  EXPECT_EQ((std::vector<int>{2}), Backwards(list));
  EXPECT_EQ(nullptr, list.Remove(two));  // only
  EXPECT_EQ(0u, list.Count());
  EXPECT_EQ(nullptr, list.First());
  EXPECT_EQ(nullptr, list.Last());
  list.PushFront(9);  // usable after emptying
  EXPECT_EQ((std::vector<int>{9}), Values(list));
}

TEST(List, RemovingWhileWalking) {
  tList<int> list;
  for (int i = 0; i < 100; ++i) list.PushBack(i);
  for (auto* item = list.First(); item;) item = item->Value() % 3 ? item->Next() : list.Remove(item);
  EXPECT_EQ(66u, list.Count());
  for (int value : list) EXPECT_NE(0, value % 3);
  EXPECT_EQ(Values(list).size(), Backwards(list).size());
}

TEST(List, ItemsGoBackToThePoolAndValuesAreDestroyed) {
  {
    tList<Tracked> list;
    for (int i = 0; i < 40; ++i) list.PushBack(Tracked(i));
    EXPECT_EQ(40, Tracked::live);
    EXPECT_EQ(40u, list.GetItemPool().InUse());
    list.Remove(list.First());
    EXPECT_EQ(39, Tracked::live);
    EXPECT_EQ(39u, list.GetItemPool().InUse());
    auto* freed = list.First();
    list.Remove(freed);
    EXPECT_EQ(freed, list.PushFront(Tracked(-1)));  // the freed slot comes back first
    list.Clear();
    EXPECT_EQ(0, Tracked::live);
    EXPECT_EQ(0u, list.GetItemPool().InUse());
    EXPECT_EQ(0u, list.Count());
    for (int i = 0; i < 5; ++i) list.PushFront(Tracked(i));
  }
  EXPECT_EQ(0, Tracked::live);
}

TEST(List, HoldsObjects) {
  tList<std::string> list;
  std::string text = "moved";
  list.PushBack(std::move(text));
  list.PushFront(std::string(100, 'x'));
  list.First()->Value() += "y";
  EXPECT_EQ(101u, list.First()->Value().size());
  EXPECT_EQ("moved", list.Last()->Value());
}
