// tPoolAllocator against a model of its free list: block sizes, last-freed-first reuse,
// statistics, releasing memory, and use from many threads.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <thread>
#include <vector>

#include "../support/scoped_locks.h"
#include "orvutil/foundation.h"

using Orv::tPoolAllocator;

namespace {

struct Record {
  static int live;
  int a, b;
  Record(int x = 0, int y = 0) : a(x), b(y) { ++live; }
  ~Record() { --live; }
};
int Record::live = 0;

}  // namespace

// Blocks of 16 slots doubling up to 512; a freed slot is the next one handed out.
TEST(Pool, MatchesAFreeListModel) {
  std::mt19937 random(23u);
  Record::live = 0;
  tPoolAllocator<Record> pool;
  std::vector<Record*> held, freed;
  std::set<Record*> slots;
  unsigned allocations = 0, peak = 0;
  for (int step = 0; step < 6000; ++step) {
    if (held.empty() || random() % 3) {
      Record* r = pool.New(step, -step);
      ASSERT_NE(nullptr, r);
      ++allocations;
      if (!freed.empty()) {
        ASSERT_EQ(freed.back(), r) << "step " << step;
        freed.pop_back();
      }
      ASSERT_TRUE(slots.insert(r).second || std::find(held.begin(), held.end(), r) == held.end());
      held.push_back(r);
      peak = std::max<unsigned>(peak, static_cast<unsigned>(held.size()));
    } else {
      size_t i = random() % held.size();
      ASSERT_EQ(-held[i]->a, held[i]->b);  // nobody else wrote into the slot
      pool.Delete(held[i]);
      freed.push_back(held[i]);
      held.erase(held.begin() + i);
    }
    ASSERT_EQ(held.size(), pool.InUse());
    ASSERT_EQ(static_cast<int>(held.size()), Record::live);
  }
  unsigned capacity = 0;
  for (unsigned b = 0; b < pool.BlockCount(); ++b) {
    EXPECT_EQ(std::min(16u << b, 512u), pool.BlockSlots(b)) << "block " << b;
    capacity += pool.BlockSlots(b);
  }
  EXPECT_EQ(capacity - held.size(), pool.FreeSlots());
  EXPECT_EQ(allocations, pool.Allocations());
  EXPECT_EQ(peak, pool.PeakInUse());
  EXPECT_FALSE(pool.ReleaseMemory());  // slots are still handed out
  for (Record* r : held) pool.Delete(r);
  pool.Delete(nullptr);
  EXPECT_TRUE(pool.ReleaseMemory());
  EXPECT_EQ(0u, pool.BlockCount());
  pool.Delete(pool.New());
  EXPECT_EQ(16u, pool.BlockSlots(0));
}

TEST(Pool, SurvivesManyThreads) {
  ScopedLocks locks;
  tPoolAllocator<Record> pool;
  std::vector<std::thread> threads;
  std::vector<int> failures(6, 0);
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&pool, &failures, t] {
      std::vector<Record*> held;
      for (int i = 0; i < 20000; ++i) {
        held.push_back(pool.New(t, i));
        if (held.size() > 40 || i % 7 == 0) {
          for (Record* h : held) {
            failures[t] += !h || h->a != t;  // another thread got the same slot
            pool.Delete(h);
          }
          held.clear();
        }
      }  // the last round (19999) empties `held`
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(std::vector<int>(6, 0), failures);
  EXPECT_EQ(0u, pool.InUse());
  EXPECT_EQ(6u * 20000u, pool.Allocations());
}
