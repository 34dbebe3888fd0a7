// tPoolAllocator: block sizes, LIFO reuse, statistics, construction, and use from many threads.
#include <windows.h>
#include <process.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

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

// Turns the process-wide lock switch on for a test and off afterwards.
class LocksOn : public ::testing::Test {
 protected:
  void SetUp() override { Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(true); }
  void TearDown() override { Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(false); }
};

}  // namespace

TEST(Pool, FirstAllocationMakesABlockOf16Slots) {
  tPoolAllocator<Record> pool;
  EXPECT_EQ(pool.BlockCount(), 0u);
  Record* r = pool.New(1, 2);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->a, 1);
  EXPECT_EQ(r->b, 2);
  EXPECT_EQ(pool.BlockCount(), 1u);
  EXPECT_EQ(pool.BlockSlots(0), 16u);
  EXPECT_EQ(pool.FreeSlots(), 15u);
  pool.Delete(r);
}

TEST(Pool, BlocksDoubleUpTo512Slots) {
  tPoolAllocator<Record> pool;
  std::vector<Record*> records;
  const unsigned expected[] = {16, 32, 64, 128, 256, 512, 512, 512};
  unsigned total = 0;
  for (unsigned size : expected) total += size;
  for (unsigned i = 0; i < total; ++i) records.push_back(pool.New());
  ASSERT_EQ(pool.BlockCount(), 8u);
  for (unsigned i = 0; i < 8; ++i) EXPECT_EQ(pool.BlockSlots(i), expected[i]) << "block " << i;
  EXPECT_EQ(pool.FreeSlots(), 0u);
  // The 17th allocation is the one that made the second block.
  std::set<Record*> distinct(records.begin(), records.end());
  EXPECT_EQ(distinct.size(), total);
  for (Record* r : records) pool.Delete(r);
  EXPECT_EQ(pool.InUse(), 0u);
  EXPECT_EQ(pool.FreeSlots(), total);
}

TEST(Pool, Seventeenth_AllocationMakesTheSecondBlock) {
  tPoolAllocator<Record> pool;
  std::vector<Record*> records;
  for (int i = 0; i < 16; ++i) records.push_back(pool.New());
  EXPECT_EQ(pool.BlockCount(), 1u);
  records.push_back(pool.New());
  EXPECT_EQ(pool.BlockCount(), 2u);
  EXPECT_EQ(pool.BlockSlots(1), 32u);
  for (Record* r : records) pool.Delete(r);
}

TEST(Pool, LastFreedSlotIsReusedFirst) {
  tPoolAllocator<Record> pool;
  Record* a = pool.New();
  Record* b = pool.New();
  Record* c = pool.New();
  pool.Delete(a);
  pool.Delete(c);
  EXPECT_EQ(pool.New(), c);
  EXPECT_EQ(pool.New(), a);
  pool.Delete(b);
  EXPECT_EQ(pool.New(), b);
}

TEST(Pool, StatisticsFollowAllocationsAndFrees) {
  Record::live = 0;
  tPoolAllocator<Record> pool;
  Record* a = pool.New();
  Record* b = pool.New();
  pool.Delete(a);
  Record* c = pool.New();
  EXPECT_EQ(pool.InUse(), 2u);
  EXPECT_EQ(pool.PeakInUse(), 2u);
  EXPECT_EQ(pool.Allocations(), 3u);
  EXPECT_EQ(Record::live, 2);
  pool.Delete(b);
  pool.Delete(c);
  pool.Delete(nullptr);
  EXPECT_EQ(pool.InUse(), 0u);
  EXPECT_EQ(pool.PeakInUse(), 2u);
  EXPECT_EQ(Record::live, 0);
}

TEST(Pool, ReleaseMemoryOnlyWhenNothingIsHandedOut) {
  tPoolAllocator<Record> pool;
  Record* r = pool.New();
  EXPECT_FALSE(pool.ReleaseMemory());
  EXPECT_EQ(pool.BlockCount(), 1u);
  pool.Delete(r);
  EXPECT_TRUE(pool.ReleaseMemory());
  EXPECT_EQ(pool.BlockCount(), 0u);
  Record* again = pool.New(5);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(pool.BlockSlots(0), 16u);
  pool.Delete(again);
}

TEST(Pool, LongLivedDepthIsBalanced) {
  long before = Orv::CScopeStaticMemAlloc::GetDepth();
  {
    Orv::CScopeStaticMemAlloc outer;
    Orv::CScopeStaticMemAlloc inner;
    EXPECT_EQ(Orv::CScopeStaticMemAlloc::GetDepth(), before + 2);
  }
  tPoolAllocator<Record> pool;
  pool.Delete(pool.New());
  EXPECT_EQ(Orv::CScopeStaticMemAlloc::GetDepth(), before);
}

namespace {

struct StressArgs {
  tPoolAllocator<Record>* pool;
  int iterations;
  int id;
  int failures;
};

unsigned __stdcall PoolWorker(void* context) {
  StressArgs* args = static_cast<StressArgs*>(context);
  std::vector<Record*> held;
  for (int i = 0; i < args->iterations; ++i) {
    Record* r = args->pool->New(args->id, i);
    if (!r) {
      ++args->failures;
      continue;
    }
    held.push_back(r);
    if (held.size() > 40 || i % 7 == 0) {
      for (Record* h : held) {
        if (h->a != args->id) ++args->failures;  // another thread got the same slot
        args->pool->Delete(h);
      }
      held.clear();
    }
  }
  for (Record* h : held) args->pool->Delete(h);
  return 0;
}

}  // namespace

TEST_F(LocksOn, PoolSurvivesManyThreads) {
  tPoolAllocator<Record> pool;
  const int kThreads = 6;
  StressArgs args[kThreads];
  HANDLE threads[kThreads];
  for (int t = 0; t < kThreads; ++t) {
    args[t] = {&pool, 20000, t + 1, 0};
    threads[t] = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, PoolWorker, &args[t], 0, nullptr));
    ASSERT_NE(threads[t], nullptr);
  }
  WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
  for (int t = 0; t < kThreads; ++t) {
    CloseHandle(threads[t]);
    EXPECT_EQ(args[t].failures, 0) << "thread " << t;
  }
  EXPECT_EQ(pool.InUse(), 0u);
  EXPECT_EQ(pool.Allocations(), static_cast<unsigned>(kThreads * 20000));
  EXPECT_EQ(pool.FreeSlots(), [&] {
    unsigned slots = 0;
    for (unsigned b = 0; b < pool.BlockCount(); ++b) slots += pool.BlockSlots(b);
    return slots;
  }());
}
