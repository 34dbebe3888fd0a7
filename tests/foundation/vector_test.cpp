// tVector: growth, inline storage, inserts from itself, erase, objects and change hooks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "container_test_support.h"
#include "orvutil/foundation.h"

using Orv::tObjVector;
using Orv::tVector;
using Orv::tVectorPOD;

namespace {

using Counted = ContainerTest::Tracked;
using HookCall = ContainerTest::HookCall;
using RecordingVector = ContainerTest::tHookRecorder<tVectorPOD<int, 4>>;

template <typename V>
std::vector<int> Values(const V& v) {
  return std::vector<int>(v.begin(), v.end());
}

tVectorPOD<int> Sequence(int n) {
  tVectorPOD<int> v;
  for (int i = 0; i < n; ++i) v.PushBack(i);
  return v;
}

}  // namespace

TEST(VectorGrowth, FollowsTheGrowthTable) {
  struct Case {
    unsigned from, need, expected;
  } cases[] = {{0, 5, 8}, {0, 9, 16}, {1024, 1500, 2048}, {1024, 3000, 3000}, {2048, 2049, 3072}, {8, 8, 8}};
  for (const Case& c : cases) {
    tVectorPOD<int> v;
    if (c.from) {
      ASSERT_TRUE(v.Reserve(c.from));
    }
    ASSERT_EQ(v.Capacity(), c.from);
    ASSERT_TRUE(v.Reserve(c.need));
    EXPECT_EQ(v.Capacity(), c.expected) << "from " << c.from << " need " << c.need;
  }
}

TEST(VectorGrowth, InlineStorageHoldsNElementsWithoutTheHeap) {
  tVectorPOD<int, 16> v;
  EXPECT_EQ(v.Capacity(), 16u);
  const int* inlineData = v.Data();
  for (int i = 0; i < 16; ++i) v.PushBack(i);
  EXPECT_EQ(v.Data(), inlineData);
  v.PushBack(16);
  EXPECT_NE(v.Data(), inlineData);
  EXPECT_EQ(v.Capacity(), 32u);
  EXPECT_EQ(Values(v), Values(Sequence(17)));
}

TEST(VectorGrowth, PushBackKeepsEveryValueOverManyGrowths) {
  tVectorPOD<int> v;
  for (int i = 0; i < 100000; ++i) ASSERT_TRUE(v.PushBack(i * 3));
  ASSERT_EQ(v.Count(), 100000u);
  for (int i = 0; i < 100000; ++i) ASSERT_EQ(v[i], i * 3);
}

TEST(VectorGrowth, ImpossibleReserveFailsAndLeavesTheArray) {
  tVectorPOD<double> v;
  v.PushBack(1.5);
  EXPECT_FALSE(v.Reserve(0xFFFFFFFFu));
  EXPECT_EQ(v.Count(), 1u);
  EXPECT_EQ(v[0], 1.5);
}

TEST(VectorInsert, InsertsAtFrontMiddleAndEnd) {
  tVectorPOD<int> v = Sequence(4);
  int front[] = {-2, -1}, middle[] = {100}, back[] = {7, 8};
  v.Insert(0, front, 2);
  v.Insert(3, middle, 1);
  v.Insert(v.Count(), back, 2);
  EXPECT_EQ(Values(v), (std::vector<int>{-2, -1, 0, 100, 1, 2, 3, 7, 8}));
}

TEST(VectorInsert, NullSourceOrZeroCountChangesNothing) {
  tVectorPOD<int> v = Sequence(3);
  int one = 5;
  EXPECT_TRUE(v.Insert(1, nullptr, 4));
  EXPECT_TRUE(v.Insert(1, &one, 0));
  EXPECT_EQ(Values(v), Values(Sequence(3)));
}

TEST(VectorInsert, PositionPastTheEndAppends) {
  tVectorPOD<int> v = Sequence(2);
  int value = 9;
  v.Insert(50, &value, 1);
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 9}));
}

TEST(VectorInsert, OwnElementsAreInsertedAsTheyWereBefore) {
  // Inserting a range of the array into itself, at a place that shifts the source, with and
  // without a reallocation in between.
  for (unsigned reserve : {0u, 64u}) {
    tVectorPOD<int> v = Sequence(6);
    v.Reserve(reserve);
    v.Insert(1, v.Data() + 2, 4);
    EXPECT_EQ(Values(v), (std::vector<int>{0, 2, 3, 4, 5, 1, 2, 3, 4, 5})) << "reserve " << reserve;
  }
  tVectorPOD<int> full = Sequence(8);  // at capacity: PushBack of its own element must grow safely
  full.PushBack(full[0]);
  full.PushBack(full[8]);
  EXPECT_EQ(full[8], 0);
  EXPECT_EQ(full[9], 0);
}

TEST(VectorErase, ErasesRangesAndCutsAtTheEnd) {
  tVectorPOD<int> v = Sequence(8);
  v.Erase(2, 3);
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 5, 6, 7}));
  v.Erase(3, 100);
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 5}));
  v.Erase(3, 1);  // at the end: nothing
  v.Erase(0, 0);
  EXPECT_EQ(v.Count(), 3u);
  v.PopBack();
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1}));
  v.Clear();
  EXPECT_TRUE(v.IsEmpty());
  v.PopBack();
  EXPECT_TRUE(v.IsEmpty());
}

TEST(VectorResize, GrowsWithTheFillValueAndShrinks) {
  tVectorPOD<int> v = Sequence(2);
  v.Resize(5, 7);
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 7, 7, 7}));
  v.Resize(1);
  EXPECT_EQ(Values(v), (std::vector<int>{0}));
  tVectorPOD<int> full = Sequence(8);
  full.Resize(20, full[3]);  // fill value inside the array, which reallocates
  EXPECT_EQ(full[19], 3);
}

TEST(VectorObjects, ConstructionsAndDestructionsBalance) {
  Counted::live = 0;
  {
    tObjVector<Counted, 2> v;
    for (int i = 0; i < 50; ++i) v.PushBack(Counted(i));
    Counted more[] = {Counted(100), Counted(101)};
    v.Insert(10, more, 2);
    v.Insert(0, v.Data() + 5, 3);
    v.Erase(20, 5);
    v.Resize(60, Counted(-5));
    tObjVector<Counted, 2> copy(v);
    tObjVector<Counted, 2> moved(std::move(copy));
    EXPECT_EQ(copy.Count(), 0u);
    ASSERT_EQ(moved.Count(), v.Count());
    for (unsigned i = 0; i < v.Count(); ++i) ASSERT_EQ(moved[i].value, v[i].value);
    EXPECT_EQ(v[0].value, 5);
    EXPECT_EQ(v[13].value, 100);
    v.Resize(3);
    EXPECT_EQ(v.Count(), 3u);
  }
  EXPECT_EQ(Counted::live, 0);
}

TEST(VectorObjects, StringsSurviveMovesWithinTheArray) {
  tObjVector<std::wstring> v;
  for (int i = 0; i < 40; ++i) v.PushBack(std::wstring(30, static_cast<wchar_t>(L'a' + i % 26)));
  v.Erase(0, 10);
  std::wstring front = L"front";
  v.Insert(0, &front, 1);
  EXPECT_EQ(v[0], L"front");
  EXPECT_EQ(v[1], std::wstring(30, L'k'));
  EXPECT_EQ(v.Count(), 31u);
}

TEST(VectorCopy, CopyAndMoveKeepInlineAndHeapContents) {
  tVectorPOD<int, 4> small;
  small.PushBack(1);
  tVectorPOD<int, 4> big;
  for (int i = 0; i < 10; ++i) big.PushBack(i);
  tVectorPOD<int, 4> a(small), b(std::move(big));
  EXPECT_EQ(Values(a), (std::vector<int>{1}));
  EXPECT_EQ(b.Count(), 10u);
  EXPECT_EQ(big.Count(), 0u);
  a = b;
  EXPECT_EQ(Values(a), Values(b));
  a = std::move(small);
  EXPECT_EQ(Values(a), (std::vector<int>{1}));
  a = a;
  EXPECT_EQ(Values(a), (std::vector<int>{1}));
}

TEST(VectorHooks, SilentUntilNotifying) {
  RecordingVector v;
  int values[] = {1, 2, 3};
  v.Insert(0, values, 3);
  v.Erase(0, 1);
  EXPECT_TRUE(v.calls.empty());
}

TEST(VectorHooks, InsertReportsMovedUpThenInserted) {
  RecordingVector v;
  int values[] = {1, 2, 3, 4, 5};
  v.Insert(0, values, 5);
  v.SetNotify(true);
  v.Insert(2, values, 2);
  EXPECT_EQ(v.calls, (std::vector<HookCall>{{'u', 2, 3, 2}, {'i', 2, 2, 2}}));
}

TEST(VectorHooks, EraseReportsErasedThenMovedDown) {
  RecordingVector v;
  int values[] = {1, 2, 3, 4, 5, 6};
  v.Insert(0, values, 6);
  v.SetNotify(true);
  v.Erase(1, 2);
  EXPECT_EQ(v.calls, (std::vector<HookCall>{{'e', 1, 1, 2}, {'d', 3, 3, 2}}));
}

TEST(VectorHooks, PushBackAndResizeReportToo) {
  RecordingVector v;
  v.SetNotify(true);
  v.PushBack(1);
  v.Resize(3, 0);
  v.Resize(1);
  EXPECT_EQ(v.calls,
            (std::vector<HookCall>{
                {'u', 0, 0, 1}, {'i', 0, 0, 1}, {'u', 1, 0, 2}, {'i', 1, 1, 2}, {'e', 1, 1, 2}, {'d', 3, 0, 2}}));
}
