// tPoolAllocator against a model of its free list: last-freed-first reuse,
// statistics and releasing memory (use from many threads: see the copy-during-edit test of tstring).
// Also StringAllocator: size classes at their boundaries, independent buffers, balanced counts.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <algorithm>
#include <vector>

#include "orvutil/foundation.h"

using Orv::StringAllocator;

namespace {

struct Record {
  static int live;
  int a, b;
  Record(int x = 0, int y = 0) : a(x), b(y) { ++live; }
  ~Record() { --live; }
};
int Record::live = 0;

}  // namespace

// A freed slot is the next one handed out.
TEST(Pool, MatchesAFreeListModel) {
  std::mt19937 random(23u);
  Record::live = 0;
  Orv::tPoolAllocator<Record> pool;
  std::vector<Record*> held, freed;
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
      ASSERT_EQ(held.end(), std::find(held.begin(), held.end(), r));  // not handed out twice
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
  EXPECT_EQ(allocations, pool.Allocations());
  EXPECT_EQ(peak, pool.PeakInUse());
  EXPECT_FALSE(pool.ReleaseMemory());  // slots are still handed out
  unsigned free = pool.FreeSlots();
  for (Record* r : held) pool.Delete(r);
  pool.Delete(nullptr);
  EXPECT_EQ(free + held.size(), pool.FreeSlots());
  EXPECT_TRUE(pool.ReleaseMemory());
  EXPECT_EQ(0u, pool.BlockCount());
}

TEST(StringAllocator, SizeClassesHoldTheirWholeSizeAndCountsBalance) {
  const std::pair<unsigned, Orv::EStringSizeClass> cases[] = {{0, Orv::eStringSize32},   {32, Orv::eStringSize32},   {33, Orv::eStringSize64},
               {64, Orv::eStringSize64},  {65, Orv::eStringSize128},  {128, Orv::eStringSize128},
               {129, Orv::eStringSize256}, {256, Orv::eStringSize256}, {257, Orv::eStringSizeHeap}};
  Orv::SStringAllocatorStats before = StringAllocator::GetStats();
  wchar_t* buffers[sizeof(cases) / sizeof(cases[0])];
  for (unsigned i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    buffers[i] = StringAllocator::NewPoolString(cases[i].first);
    ASSERT_NE(nullptr, buffers[i]);
    EXPECT_EQ(cases[i].second, StringAllocator::GetSizeClass(buffers[i])) << cases[i].first;
    for (unsigned c = 0; c < cases[i].first; ++c) buffers[i][c] = static_cast<wchar_t>(i + 1);
  }
  EXPECT_EQ(before.references + 9, StringAllocator::GetStats().references);
  EXPECT_EQ(before.heapInUse + 1, StringAllocator::GetStats().heapInUse);
  for (unsigned i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    for (unsigned c = 0; c < cases[i].first; ++c) ASSERT_EQ(static_cast<wchar_t>(i + 1), buffers[i][c]);
    StringAllocator::DeletePoolString(buffers[i]);
  }
  StringAllocator::DeletePoolString(nullptr);
  Orv::SStringAllocatorStats after = StringAllocator::GetStats();
  EXPECT_EQ(before.references, after.references);
  EXPECT_EQ(before.heapInUse, after.heapInUse);
  for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(before.poolInUse[i], after.poolInUse[i]);
}
