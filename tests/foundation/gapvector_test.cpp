// tGapVector: storage layout around the gap, gap moves and growth with their hooks, inserts from
// itself, erase, objects, and a randomized comparison with std::vector.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "container_test_support.h"
#include "orvutil/foundation.h"

using Orv::tGapVector;
using Orv::tGapVectorPOD;
using Orv::tObjGapVector;
using Orv::tPtrGapVector;

namespace {

using Tracked = ContainerTest::Tracked;
using Hook = ContainerTest::HookCall;

template <unsigned N = 0>
class RecordingGapVector : public ContainerTest::tHookRecorder<tGapVectorPOD<int, N>> {
 public:
  RecordingGapVector() { this->SetNotify(true); }
};

template <typename V>
std::vector<int> Values(const V& v) {
  std::vector<int> out;
  for (unsigned i = 0; i < v.Count(); ++i) out.push_back(static_cast<int>(v[i]));
  return out;
}

template <typename V>
std::vector<int> TrackedValues(const V& v) {
  std::vector<int> out;
  for (unsigned i = 0; i < v.Count(); ++i) out.push_back(v[i].value);
  return out;
}

template <typename V>
void Fill(V& v, int n) {
  for (int i = 0; i < n; ++i) ASSERT_TRUE(v.PushBack(i));
}

// Checks the storage against the logical contents: front part at 0, tail part behind the gap.
template <typename V>
void ExpectLayout(const V& v) {
  unsigned gapSize = v.Capacity() - v.Count();
  ASSERT_EQ(v.GapSize(), gapSize);
  ASSERT_LE(v.GapStart(), v.Count());
  for (unsigned i = 0; i < v.Count(); ++i) {
    unsigned storage = i < v.GapStart() ? i : i + gapSize;
    EXPECT_EQ(v.StorageIndex(i), storage);
    EXPECT_EQ(&v.Storage()[storage], &v[i]);
  }
}

}  // namespace

TEST(GapVectorLayout, InsertInTheMiddleMovesTheTailBehindTheGap) {
  RecordingGapVector<> v;
  Fill(v, 5);  // capacity 8, gap [5, 8)
  ASSERT_EQ(v.Capacity(), 8u);
  EXPECT_EQ(v.GapStart(), 5u);
  v.calls.clear();

  int nine = 9;
  ASSERT_TRUE(v.Insert(2, &nine, 1));
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 9, 2, 3, 4}));
  EXPECT_EQ(v.GapStart(), 3u);
  EXPECT_EQ(v.GapSize(), 2u);
  // Storage: 0 1 9 _ _ 2 3 4
  const int* s = v.Storage();
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(s[2], 9);
  EXPECT_EQ(s[5], 2);
  EXPECT_EQ(s[7], 4);
  EXPECT_EQ(v.calls, (std::vector<Hook>{{'u', 2, 3, 3}, {'i', 2, 2, 1}}));
  ExpectLayout(v);
}

TEST(GapVectorLayout, MovingTheGapUpReportsMovedDownFromBehindTheGap) {
  RecordingGapVector<> v;
  Fill(v, 5);
  v.MoveGap(1);  // storage 0 _ _ _ 1 2 3 4
  v.calls.clear();
  v.MoveGap(4);  // storage 0 1 2 3 _ _ _ 4
  EXPECT_EQ(v.calls, (std::vector<Hook>{{'d', 4, 3, 3}}));
  EXPECT_EQ(v.GapStart(), 4u);
  EXPECT_EQ(v.Storage()[3], 3);
  EXPECT_EQ(v.Storage()[7], 4);
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 2, 3, 4}));
  ExpectLayout(v);
}

TEST(GapVectorLayout, MovingTheGapDownReportsMovedUpFromTheNewGapStart) {
  RecordingGapVector<> v;
  Fill(v, 5);
  v.calls.clear();
  v.MoveGap(1);
  EXPECT_EQ(v.calls, (std::vector<Hook>{{'u', 1, 4, 3}}));
  EXPECT_EQ(v.Storage()[4], 1);
  v.calls.clear();
  v.MoveGap(1);   // already there
  v.MoveGap(99);  // clamped to the count
  EXPECT_EQ(v.calls, (std::vector<Hook>{{'d', 4, 4, 3}}));
  EXPECT_EQ(v.GapStart(), 5u);
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(GapVectorLayout, RepeatedInsertsAtOnePlaceMoveNothing) {
  RecordingGapVector<> v;
  ASSERT_TRUE(v.Reserve(16));
  Fill(v, 4);
  v.calls.clear();
  for (unsigned i = 0; i < 5; ++i) ASSERT_TRUE(v.Insert(2 + i, 100 + static_cast<int>(i)));
  EXPECT_EQ(v.calls,
            (std::vector<Hook>{
                {'u', 2, 2, 12}, {'i', 2, 2, 1}, {'i', 3, 3, 1}, {'i', 4, 4, 1}, {'i', 5, 5, 1}, {'i', 6, 6, 1}}));
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 100, 101, 102, 103, 104, 2, 3}));
  ExpectLayout(v);
}

TEST(GapVectorLayout, NoHooksWithoutNotification) {
  RecordingGapVector<> v;
  v.SetNotify(false);
  Fill(v, 20);
  v.Insert(3, 7);
  v.Erase(0, 5);
  v.MoveGap(2);
  v.Clear();
  EXPECT_TRUE(v.calls.empty());
  EXPECT_EQ(v.Count(), 0u);
}

TEST(GapVectorGrowth, FollowsTheGrowthTable) {
  struct Case {
    unsigned from, need, expected;
  } cases[] = {{0, 5, 8}, {0, 9, 16}, {1024, 1500, 2048}, {1024, 3000, 3000}, {2048, 2049, 3072}, {8, 8, 8}};
  for (const Case& c : cases) {
    tGapVectorPOD<int> v;
    if (c.from) {
      ASSERT_TRUE(v.Reserve(c.from));
    }
    ASSERT_EQ(v.Capacity(), c.from);
    ASSERT_TRUE(v.Reserve(c.need));
    EXPECT_EQ(v.Capacity(), c.expected) << "from " << c.from << " need " << c.need;
    EXPECT_EQ(v.GapSize(), c.expected);
  }
}

TEST(GapVectorGrowth, KeepsTheTailAtTheEndAndReportsMovedUp) {
  RecordingGapVector<> v;
  Fill(v, 8);  // full: capacity 8
  v.MoveGap(3);
  v.calls.clear();
  ASSERT_TRUE(v.Insert(3, 42));  // grows to 16 with the gap at 3
  ASSERT_EQ(v.Capacity(), 16u);
  // The tail (5 elements at storage 3) went to storage 11; then the insert wrote into the gap.
  EXPECT_EQ(v.calls, (std::vector<Hook>{{'u', 3, 5, 8}, {'i', 3, 3, 1}}));
  EXPECT_EQ(v.Storage()[11], 3);
  EXPECT_EQ(v.Storage()[15], 7);
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 2, 42, 3, 4, 5, 6, 7}));
  ExpectLayout(v);
}

TEST(GapVectorGrowth, GrowthWithTheGapInsideReportsTheOldTailStart) {
  RecordingGapVector<> v;
  Fill(v, 6);    // capacity 8, two free places
  v.MoveGap(2);  // storage 0 1 _ _ 2 3 4 5
  v.calls.clear();
  int block[3] = {7, 8, 9};
  ASSERT_TRUE(v.Insert(5, block, 3));
  // Growth 8 -> 16 moves the tail from storage 4 (length 4) up by 8, to storage 12; then the gap
  // (now 10 wide) moves to 5, taking the three elements from storage 12.
  ASSERT_EQ(v.Capacity(), 16u);
  EXPECT_EQ(v.calls, (std::vector<Hook>{{'u', 4, 4, 8}, {'d', 12, 3, 10}, {'i', 5, 5, 3}}));
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 2, 3, 4, 7, 8, 9, 5}));
  ExpectLayout(v);
}

TEST(GapVectorGrowth, InlineStorageThenHeap) {
  tGapVectorPOD<int, 4> v;
  EXPECT_EQ(v.Capacity(), 4u);
  const int* inlineStorage = v.Storage();
  Fill(v, 4);
  EXPECT_EQ(v.Storage(), inlineStorage);
  v.MoveGap(1);
  ASSERT_TRUE(v.PushBack(4));
  EXPECT_NE(v.Storage(), inlineStorage);
  EXPECT_EQ(v.Capacity(), 8u);
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 2, 3, 4}));
  ExpectLayout(v);
}

TEST(GapVectorInsert, FromItselfInsertsTheOldValues) {
  tGapVectorPOD<int> v;
  Fill(v, 8);  // full, so the first insert grows while reading its own storage
  v.MoveGap(4);
  // A run before the gap, inserted behind itself.
  ASSERT_TRUE(v.Insert(6, &v[1], 3));
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 2, 3, 4, 5, 1, 2, 3, 6, 7}));
  // A run behind the gap, inserted in front of itself.
  v.MoveGap(2);
  ASSERT_TRUE(v.Insert(0, &v[8], 3));
  EXPECT_EQ(Values(v), (std::vector<int>{3, 6, 7, 0, 1, 2, 3, 4, 5, 1, 2, 3, 6, 7}));
  // Pushing back an element of its own while full.
  while (v.Count() < v.Capacity()) ASSERT_TRUE(v.PushBack(-1));
  unsigned count = v.Count();
  ASSERT_TRUE(v.PushBack(v[0]));
  EXPECT_EQ(v.Count(), count + 1);
  EXPECT_EQ(v[count], 3);
  ExpectLayout(v);
}

TEST(GapVectorInsert, SourceAcrossTheGapIsRefused) {
  tGapVectorPOD<int> v;
  Fill(v, 6);
  v.MoveGap(3);  // storage 0 1 2 _ _ 3 4 5
  std::vector<int> before = Values(v);
  EXPECT_FALSE(v.Insert(0, &v[1], 3));            // storage 1..3 runs into the gap
  EXPECT_FALSE(v.Insert(0, v.Storage() + 3, 1));  // inside the gap
  EXPECT_FALSE(v.Insert(0, v.Storage() + 6, 3));  // runs past the buffer
  EXPECT_EQ(Values(v), before);
  EXPECT_TRUE(v.Insert(0, v.Storage() + 5, 3));  // the whole tail is fine
  EXPECT_EQ(Values(v), (std::vector<int>{3, 4, 5, 0, 1, 2, 3, 4, 5}));
}

TEST(GapVectorInsert, NullSourceZeroCountAndPositionsPastTheEnd) {
  RecordingGapVector<> v;
  Fill(v, 3);
  v.calls.clear();
  int x = 5;
  EXPECT_TRUE(v.Insert(1, nullptr, 4));
  EXPECT_TRUE(v.Insert(1, &x, 0));
  EXPECT_TRUE(v.calls.empty());
  EXPECT_EQ(v.Count(), 3u);
  ASSERT_TRUE(v.Insert(~0u, &x, 1));
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 2, 5}));
}

TEST(GapVectorErase, AtTheFrontReportsTheGapMoveThenErased) {
  RecordingGapVector<> v;
  Fill(v, 6);  // capacity 8, gap at 6
  v.calls.clear();
  v.Erase(0, 2);
  // The gap moves to 2 (storage 2..5 go up by 2), then storage 0..1 join the gap.
  EXPECT_EQ(v.calls, (std::vector<Hook>{{'u', 2, 4, 2}, {'e', 0, 0, 2}}));
  EXPECT_EQ(v.GapStart(), 0u);
  EXPECT_EQ(Values(v), (std::vector<int>{2, 3, 4, 5}));
  ExpectLayout(v);
}

TEST(GapVectorErase, AtTheBackNeedsNoMove) {
  RecordingGapVector<> v;
  Fill(v, 6);
  v.calls.clear();
  v.Erase(4, 10);  // cut at the end
  EXPECT_EQ(v.calls, (std::vector<Hook>{{'e', 4, 4, 2}}));
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 2, 3}));
  v.calls.clear();
  v.PopBack();
  EXPECT_EQ(v.calls, (std::vector<Hook>{{'e', 3, 3, 1}}));
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 2}));
}

TEST(GapVectorErase, AcrossTheGap) {
  RecordingGapVector<> v;
  Fill(v, 10);                   // capacity 16
  ASSERT_TRUE(v.Insert(3, -1));  // storage 0 1 2 -1 _ _ _ _ _ 3 .. 9
  v.calls.clear();
  v.Erase(2, 4);  // removes 2, -1, 3, 4
  EXPECT_EQ(v.calls, (std::vector<Hook>{{'d', 9, 2, 5}, {'e', 2, 2, 4}}));
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 5, 6, 7, 8, 9}));
  EXPECT_EQ(v.GapStart(), 2u);
  EXPECT_EQ(v.GapSize(), 9u);
  ExpectLayout(v);
}

TEST(GapVectorErase, OutOfRangeDoesNothing) {
  RecordingGapVector<> v;
  Fill(v, 4);
  v.calls.clear();
  v.Erase(4, 1);
  v.Erase(~0u, ~0u);
  v.Erase(1, 0);
  EXPECT_TRUE(v.calls.empty());
  EXPECT_EQ(v.Count(), 4u);
  v.Erase(1, ~0u);  // huge count is cut at the end
  EXPECT_EQ(Values(v), (std::vector<int>{0}));
}

TEST(GapVectorErase, ClearWithNotificationIsEraseOfEverything) {
  RecordingGapVector<> v;
  Fill(v, 5);
  v.MoveGap(2);
  v.calls.clear();
  v.Clear();
  EXPECT_EQ(v.calls, (std::vector<Hook>{{'d', 5, 3, 3}, {'e', 0, 0, 5}}));
  EXPECT_EQ(v.Count(), 0u);
  EXPECT_EQ(v.GapSize(), v.Capacity());
}

TEST(GapVectorResize, GrowsWithFillAndShrinksFromTheEnd) {
  RecordingGapVector<> v;
  Fill(v, 3);
  v.MoveGap(1);
  v.calls.clear();
  ASSERT_TRUE(v.Resize(6, 7));
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1, 2, 7, 7, 7}));
  EXPECT_EQ(v.calls.back(), (Hook{'i', 3, 3, 3}));
  ASSERT_TRUE(v.Resize(2));
  EXPECT_EQ(Values(v), (std::vector<int>{0, 1}));
  ASSERT_TRUE(v.Resize(2));
  EXPECT_EQ(v.Count(), 2u);
}

TEST(GapVectorResize, FillFromItsOwnElementSurvivesGrowth) {
  tGapVectorPOD<int> v;
  Fill(v, 8);  // full
  v.MoveGap(0);
  ASSERT_TRUE(v.Resize(20, v[7]));
  for (unsigned i = 8; i < 20; ++i) EXPECT_EQ(v[i], 7) << i;
}

TEST(GapVectorAccess, ContiguousMovesTheGapOnlyWhenItSplitsTheRange) {
  tGapVectorPOD<wchar_t> v;
  const wchar_t text[] = L"hello world";
  ASSERT_TRUE(v.Insert(0, text, 11));
  v.MoveGap(5);
  wchar_t* p = v.Contiguous(0, 5);  // ends at the gap: no move
  EXPECT_EQ(v.GapStart(), 5u);
  EXPECT_EQ(std::wstring(p, 5), L"hello");
  p = v.Contiguous(3, 8);  // split by the gap
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::wstring(p, 5), L"lo wo");
  EXPECT_EQ(v.Contiguous(4, 3), nullptr);
  EXPECT_EQ(v.Contiguous(0, 12), nullptr);
}

TEST(GapVectorObjects, ConstructionsAndDestructionsBalance) {
  Tracked::live = 0;
  {
    tObjGapVector<Tracked, 2> v;
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(v.PushBack(Tracked(i)));
    EXPECT_EQ(Tracked::live, 10);
    v.MoveGap(7);
    ASSERT_EQ(v.Capacity(), 16u);
    ASSERT_TRUE(v.Insert(5, &v[0], 7));  // from itself, with a gap move and growth
    EXPECT_EQ(v.Capacity(), 32u);
    EXPECT_EQ(TrackedValues(v), (std::vector<int>{0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 5, 6, 5, 6, 7, 8, 9}));
    EXPECT_EQ(Tracked::live, 17);
    v.Erase(2, 5);
    EXPECT_EQ(Tracked::live, 12);
    ASSERT_TRUE(v.Resize(15, Tracked(-5)));
    EXPECT_EQ(Tracked::live, 15);
    EXPECT_EQ(v[14].value, -5);
    tObjGapVector<Tracked, 2> copy(v);
    EXPECT_EQ(TrackedValues(copy), TrackedValues(v));
    EXPECT_EQ(Tracked::live, 30);
    tObjGapVector<Tracked, 2> moved(std::move(copy));
    EXPECT_EQ(copy.Count(), 0u);
    EXPECT_EQ(TrackedValues(moved), TrackedValues(v));
    EXPECT_EQ(Tracked::live, 30);
    v.Clear();
    EXPECT_EQ(Tracked::live, 15);
    moved.MoveGap(4);  // leave a gap inside for the destructor
  }
  EXPECT_EQ(Tracked::live, 0);
}

TEST(GapVectorObjects, CopyAssignmentKeepsLogicalOrder) {
  tGapVectorPOD<int, 4> a;
  Fill(a, 9);
  a.MoveGap(4);
  tGapVectorPOD<int, 4> b;
  Fill(b, 2);
  b = a;
  EXPECT_EQ(Values(b), Values(a));
  tGapVectorPOD<int, 4> small;
  Fill(small, 3);
  small.MoveGap(1);
  b = std::move(small);  // inline contents are copied, not taken
  EXPECT_EQ(Values(b), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(small.Count(), 0u);
}

TEST(GapVectorObjects, PointerVariantHoldsPointersOnly) {
  int a = 1, b = 2, c = 3;
  tPtrGapVector<int, 2> v;
  ASSERT_TRUE(v.PushBack(&a));
  ASSERT_TRUE(v.PushBack(&c));
  ASSERT_TRUE(v.Insert(1, &b));
  ASSERT_EQ(v.Count(), 3u);
  EXPECT_EQ(v[0], &a);
  EXPECT_EQ(v[1], &b);
  EXPECT_EQ(*v[2], 3);
}

TEST(GapVectorRandom, MatchesStdVectorAfterManyEdits) {
  std::mt19937 random(20240611u);
  Tracked::live = 0;
  {
    tObjGapVector<Tracked, 4> v;
    std::vector<int> model;
    int next = 0;
    for (int step = 0; step < 3000; ++step) {
      unsigned size = static_cast<unsigned>(model.size());
      unsigned pos = random() % (size + 2);  // sometimes past the end
      switch (random() % 6) {
        case 0:
        case 1: {
          unsigned n = 1 + random() % 5;
          std::vector<Tracked> items;
          for (unsigned i = 0; i < n; ++i) items.emplace_back(next++);
          ASSERT_TRUE(v.Insert(pos, items.data(), n));
          unsigned at = pos > size ? size : pos;
          for (unsigned i = 0; i < n; ++i) model.insert(model.begin() + at + i, items[i].value);
          break;
        }
        case 2: {
          unsigned n = random() % 6;
          v.Erase(pos, n);
          if (pos < size) model.erase(model.begin() + pos, model.begin() + pos + std::min(n, size - pos));
          break;
        }
        case 3:
          v.MoveGap(pos);
          break;
        case 4:
          if (size) {
            unsigned from = random() % size;
            unsigned n = 1 + random() % std::min(3u, size - from);
            std::vector<int> run(model.begin() + from, model.begin() + from + n);
            // Only a run on one side of the gap is a valid source.
            bool oneSide = from + n <= v.GapStart() || from >= v.GapStart();
            bool inserted = v.Insert(pos, &v[from], n);
            ASSERT_EQ(inserted, oneSide);
            if (inserted) model.insert(model.begin() + (pos > size ? size : pos), run.begin(), run.end());
          }
          break;
        case 5:
          v.PushBack(Tracked(next));
          model.push_back(next++);
          break;
      }
      ASSERT_EQ(TrackedValues(v), model) << "step " << step;
      ASSERT_EQ(Tracked::live, static_cast<int>(model.size())) << "step " << step;
    }
    ExpectLayout(v);
  }
  EXPECT_EQ(Tracked::live, 0);
}
