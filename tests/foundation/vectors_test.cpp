// The three growable arrays (tVector, tGapVector, tMarkedVector) against std::vector, their change
// hooks, and markers against a naive model.
// Also tList against std::list: pushes at both ends, removal anywhere returning the next item, walking
// both ways, Clear, and items going back to the list's pool with their values destroyed.
#include <gtest/gtest.h>

#include <list>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "orvutil/foundation.h"

using namespace Orv;

namespace {

// Counts live objects so that tests can prove every construction is matched by a destruction.
struct Tracked {
  static int live;
  int value;
  Tracked(int v = 0) : value(v) { ++live; }
  Tracked(const Tracked& other) : value(other.value) { ++live; }
  Tracked(Tracked&& other) noexcept : value(other.value) {
    other.value = -1;
    ++live;
  }
  Tracked& operator=(const Tracked&) = default;
  ~Tracked() { --live; }
};
inline int Tracked::live = 0;

// A change hook call: 'i' inserted, 'e' erased, 'u' moved up, 'd' moved down, and its arguments.
using HookCall = std::tuple<char, unsigned, unsigned, unsigned>;

// An array type V whose change hooks record their calls, in order.
template <typename V>
class tHookRecorder : public V {
 public:
  std::vector<HookCall> calls;

 protected:
  void OnInserted(unsigned a, unsigned b, unsigned c) override { calls.push_back({'i', a, b, c}); }
  void OnErased(unsigned a, unsigned b, unsigned c) override { calls.push_back({'e', a, b, c}); }
  void OnMovedUp(unsigned a, unsigned b, unsigned c) override { calls.push_back({'u', a, b, c}); }
  void OnMovedDown(unsigned a, unsigned b, unsigned c) override { calls.push_back({'d', a, b, c}); }
};

template <typename V>
std::vector<int> Values(const V& v) {
  std::vector<int> out;
  for (unsigned i = 0; i < v.Count(); ++i) out.push_back(v[i].value);
  return out;
}

template <typename V>
class Vectors : public ::testing::Test {};
using VectorTypes = ::testing::Types<tObjVector<Tracked>, tObjGapVector<Tracked>, tMarkedVector<tObjGapVector<Tracked>>>;
TYPED_TEST_SUITE(Vectors, VectorTypes);

}  // namespace

// At least 8, doubling while the step stays at most 1024, then steps of 1024, never below the need.
TYPED_TEST(Vectors, GrowthTable) {
  const std::tuple<unsigned, unsigned, unsigned> cases[] = {  // capacity before, need, capacity after
      {0, 1, 8}, {0, 9, 16}, {16, 17, 32}, {8, 8, 8}, {1024, 1500, 2048}, {1024, 3000, 3000}, {2048, 2049, 3072}};
  for (const auto& [from, need, expected] : cases) {
    TypeParam v;
    ASSERT_TRUE(from == 0 || v.Reserve(from));
    ASSERT_TRUE(v.Reserve(need));
    EXPECT_EQ(expected, v.Capacity()) << from << " -> " << need;
  }
}

// Random edits, including sources inside the array, null and empty inserts, positions past the
// end, erases cut at the end and fills from an own element, against std::vector; every object
// made is destroyed.
TYPED_TEST(Vectors, MatchesStdVector) {
  constexpr bool kGap = std::is_base_of_v<tObjGapVector<Tracked>, TypeParam>;
  std::mt19937 random(20240611u);
  Tracked::live = 0;
  {
    TypeParam v;
    std::vector<int> model;
    int next = 0;
    for (int step = 0; step < 2000; ++step) {
      unsigned size = static_cast<unsigned>(model.size());
      unsigned pos = random() % (size + 2), at = pos > size ? size : pos;
      unsigned n = random() % 5;
      switch (random() % 6) {
        case 0: {  // a null source inserts nothing
          std::vector<Tracked> items;
          for (unsigned i = 0; i < n; ++i) items.emplace_back(next++);
          bool null = random() % 4 == 0;
          ASSERT_TRUE(v.Insert(pos, null ? nullptr : items.data(), n));
          for (unsigned i = 0; !null && i < n; ++i) model.insert(model.begin() + at + i, items[i].value);
          break;
        }
        case 1:
          v.Erase(pos, n);
          if (pos < size) model.erase(model.begin() + pos, model.begin() + pos + std::min(n, size - pos));
          break;
        case 2:
          if (size) {
            unsigned from = random() % size;
            n = 1 + random() % std::min(3u, size - from);
            std::vector<int> run(model.begin() + from, model.begin() + from + n);
            bool valid = true;  // only a gap vector refuses a source that straddles its gap
            if constexpr (kGap) valid = from + n <= v.GapStart() || from >= v.GapStart();
            ASSERT_EQ(valid, v.Insert(pos, &v[from], n));
            if (valid) model.insert(model.begin() + at, run.begin(), run.end());
          }
          break;
        case 3: {  // an own element pushed, or a new one
          unsigned from = size ? random() % (2 * size) : 1;
          ASSERT_TRUE(from < size ? v.PushBack(v[from]) : v.PushBack(Tracked(next)));
          model.push_back(from < size ? model[from] : next++);
          break;
        }
        case 4: {  // filled with an own element, or a new one
          unsigned count = random() % (size + 12), from = size ? random() % size : 0;
          int fill = size ? model[from] : next++;
          ASSERT_TRUE(size ? v.Resize(count, v[from]) : v.Resize(count, Tracked(fill)));
          model.resize(count, fill);
          break;
        }
        case 5:
          if constexpr (kGap) v.MoveGap(pos);
          break;
      }
      ASSERT_EQ(model, Values(v)) << "step " << step;
      ASSERT_EQ(static_cast<int>(model.size()), Tracked::live) << "step " << step;
    }
    if constexpr (std::is_copy_constructible_v<TypeParam>) {  // marked vectors are not copied
      TypeParam copy(v);
      TypeParam moved(std::move(copy));
      EXPECT_EQ(0u, copy.Count());
      EXPECT_EQ(model, Values(moved));
      copy = moved;
      moved = std::move(copy);
      EXPECT_EQ(model, Values(moved));
    }
    v.Clear();
    EXPECT_EQ(0, Tracked::live);
  }
  EXPECT_EQ(0, Tracked::live);
}

TEST(VectorHooks, ReportMovesInsertsAndErasesOnlyWhenNotifying) {
  tHookRecorder<tVectorPOD<int, 4>> v;
  int values[] = {1, 2, 3, 4, 5};
  v.Insert(0, values, 5);
  EXPECT_TRUE(v.calls.empty());
  v.SetNotify(true);
  v.Insert(2, values, 2);
  v.Erase(1, 2);
  v.Resize(3);
  EXPECT_EQ((std::vector<HookCall>{{'u', 2, 3, 2}, {'i', 2, 2, 2}, {'e', 1, 1, 2}, {'d', 3, 4, 2}, {'e', 3, 3, 2}, {'d', 5, 0, 2}}),
            v.calls);
}

// The gap vector's hooks are checked through the markers of a marked vector below.
TEST(GapVector, ContiguousRangesAndImpossibleSizes) {
  tGapVectorPOD<wchar_t> chars;
  chars.Insert(0, L"hello world", 11);
  chars.MoveGap(3);
  EXPECT_EQ(L"lo wo", std::wstring(chars.Contiguous(3, 8), 5));
  EXPECT_EQ(nullptr, chars.Contiguous(0, 12));
  tVectorPOD<double, 2> big;  // inline storage first, then an impossible size fails and keeps it
  big.PushBack(1.5);
  EXPECT_FALSE(big.Reserve(0xFFFFFFFFu));
  EXPECT_EQ(1.5, big[0]);
}

namespace {

using Text = tMarkedVector<tGapVector<wchar_t, 1>>;
using Marker = Text::Marker;
constexpr unsigned npos = ~0u;

std::wstring Str(const Text& text) {
  std::wstring out;
  for (unsigned i = 0; i < text.Count(); ++i) out += text[i];
  return out;
}

struct ModelMarker {
  Marker* marker;
  EMarkerList list;
  unsigned pos;
};

}  // namespace

// A list-A marker stays in front of what is inserted at its place, a list-B marker goes behind;
// erased ranges collapse markers onto their start; equal markers in one list are shared.
TEST(MarkedVector, MarkersMatchANaiveModel) {
  std::mt19937 random(7331u);
  Text text;
  std::wstring model;
  std::vector<ModelMarker> refs;  // one entry per reference held
  for (int step = 0; step < 4000 && !::testing::Test::HasFailure(); ++step) {
    unsigned size = static_cast<unsigned>(model.size());
    unsigned pos = random() % (size + 2), at = pos > size ? size : pos;
    unsigned n = 1 + random() % 4;
    switch (random() % 8) {
      case 0:
      case 1: {
        std::wstring chars;
        for (unsigned i = 0; i < n; ++i) chars += static_cast<wchar_t>(L'a' + random() % 26);
        ASSERT_TRUE(text.Insert(pos, chars.data(), n));
        model.insert(at, chars);
        for (ModelMarker& r : refs)
          if (r.pos > at || (r.pos == at && r.list == eMarkerListB)) r.pos += n;
        break;
      }
      case 2:
        text.Erase(pos, n);
        if (pos < size) {
          unsigned cut = std::min(n, size - pos);
          model.erase(pos, cut);
          for (ModelMarker& r : refs) r.pos = r.pos > pos + cut ? r.pos - cut : std::min(r.pos, pos);
        }
        break;
      case 3:
        text.MoveGap(pos);
        ASSERT_TRUE(text.Reserve(text.Capacity() + random() % 3));
        break;
      case 4:
      case 5: {
        EMarkerList list = random() % 2 ? eMarkerListB : eMarkerListA;
        Marker* m = text.CreateMarker(pos, list);
        ASSERT_NE(nullptr, m);
        for (const ModelMarker& r : refs) ASSERT_EQ(r.list == list && r.pos == at, r.marker == m) << "step " << step;
        refs.push_back({m, list, at});
        break;
      }
      default:
        if (!refs.empty()) {
          unsigned i = random() % refs.size();
          refs[i].marker->Release();
          refs.erase(refs.begin() + i);
        }
    }
    ASSERT_EQ(model, Str(text)) << "step " << step;
    std::map<Marker*, std::pair<EMarkerList, long>> counts;
    for (const ModelMarker& r : refs) {
      ASSERT_EQ(r.pos, text.MarkerPosition(r.marker)) << "step " << step;
      counts[r.marker] = {r.list, counts[r.marker].second + 1};
    }
    unsigned inList[2] = {0, 0};
    for (const auto& [marker, entry] : counts) {
      ASSERT_EQ(entry.second, marker->RefCount());
      ++inList[entry.first];
    }
    for (EMarkerList list : {eMarkerListA, eMarkerListB}) ASSERT_EQ(inList[list], text.Markers(list).Count());
  }
  for (ModelMarker& r : refs) Text::ReleaseMarker(r.marker);
  Text::ReleaseMarker(nullptr);
  EXPECT_EQ(0u, text.PoolHolder()->Pool().InUse());
  EXPECT_EQ(1, text.PoolHolder()->RefCount());
}

// A range keeps inserts at its boundaries outside; markers and ranges outlive their vector.
TEST(MarkedRange, KeepsInsertsAtItsBoundariesOutsideAndOutlivesItsVector) {
  Text* text = new Text;
  text->Insert(0, L"0123456789", 10);
  Marker* a = text->CreateMarker(1, eMarkerListA);
  auto* ranges = new tMarkedRange<tGapVector<wchar_t, 1>>(*text);
  EXPECT_FALSE(ranges->Add(20, 30));
  EXPECT_FALSE(ranges->Add(6, 2));
  ASSERT_TRUE(ranges->Add(3, 6));
  ASSERT_TRUE(ranges->Add(3, 100));
  EXPECT_EQ(10u, ranges->End(1));
  text->Insert(3, L"SS", 2);
  text->Insert(8, L"EE", 2);
  text->Insert(6, L"II", 2);
  EXPECT_EQ(5u, ranges->Start(0));
  EXPECT_EQ(10u, ranges->End(0));
  ranges->Remove(0);
  EXPECT_EQ(npos, ranges->Start(1));
  const auto* holder = text->PoolHolder();
  EXPECT_EQ(4, holder->RefCount());
  delete text;
  EXPECT_EQ(nullptr, holder->Vector());
  EXPECT_EQ(npos, a->Position());
  EXPECT_EQ(npos, ranges->Start(0));
  a->Release();
  EXPECT_EQ(2u, holder->Pool().InUse());
  EXPECT_EQ(2, holder->RefCount());
  delete ranges;  // the last reference frees the holder
}

TEST(List, MatchesStdList) {
  std::mt19937 random(2u);
  Tracked::live = 0;
  {
    tList<Tracked> list;
    std::list<int> peer;
    for (int step = 0; step < 3000; ++step) {
      switch (random() % 4) {
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
          ASSERT_EQ(it == peer.end() ? -1 : *it, next ? next->Value().value : -1);  // values are never negative
          break;
        }
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
    list.Clear();
    EXPECT_EQ(0, Tracked::live);
    EXPECT_EQ(nullptr, list.First());
  }
}
