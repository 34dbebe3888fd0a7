// tList against std::list: pushes at both ends, removal anywhere returning the next item, walking
// both ways, Clear, and items going back to the list's pool with their values destroyed.
#include <gtest/gtest.h>

#include <list>
#include <random>
#include <vector>

#include "orvutil/foundation.h"

using Orv::tList;

namespace {

struct Tracked {
  static int live;
  int value;
  explicit Tracked(int v) : value(v) { ++live; }
  Tracked(const Tracked& other) : value(other.value) { ++live; }
  ~Tracked() { --live; }
};
int Tracked::live = 0;

}  // namespace

TEST(List, MatchesStdList) {
  std::mt19937 random(2u);
  Tracked::live = 0;
  {
    tList<Tracked> list;
    std::list<int> peer;
    for (int step = 0; step < 3000; ++step) {
      switch (random() % 5) {
        case 0: list.PushBack(Tracked(step)); peer.push_back(step); break;
        case 1: list.PushFront(Tracked(step)); peer.push_front(step); break;
        case 2:
        case 3: {  // removes the n-th item, which gives the one after it
          if (peer.empty()) break;
          size_t n = random() % peer.size();
          auto* item = list.First();
          auto it = peer.begin();
          for (size_t i = 0; i < n; ++i, item = item->Next(), ++it) {}
          auto* next = list.Remove(item);
          it = peer.erase(it);
          ASSERT_EQ(it == peer.end(), next == nullptr);
          if (next) {
            ASSERT_EQ(*it, next->Value().value);
          }
          break;
        }
        case 4:
          if (random() % 50 == 0) {
            list.Clear();
            peer.clear();
          }
          break;
      }
      std::vector<int> forward, backward;
      for (auto* item = list.First(); item; item = item->Next()) forward.push_back(item->Value().value);
      for (auto* item = list.Last(); item; item = item->Prev()) backward.insert(backward.begin(), item->Value().value);
      ASSERT_EQ(std::vector<int>(peer.begin(), peer.end()), forward) << "step " << step;
      ASSERT_EQ(forward, backward);
      ASSERT_EQ(peer.size(), list.Count());
      ASSERT_EQ(static_cast<int>(peer.size()), Tracked::live);
      ASSERT_EQ(peer.size(), list.GetItemPool().InUse());
    }
    EXPECT_EQ(nullptr, list.Remove(nullptr));
  }
  EXPECT_EQ(0, Tracked::live);
}
