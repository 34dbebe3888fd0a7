// tMarkedVector and tMarkedRange: markers at insert and erase boundaries in lists A and B, shared
// markers, markers outliving their vector, ranges, and a randomized comparison with a naive model.
#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "orvutil/foundation.h"

using Orv::EMarkerList;
using Orv::eMarkerListA;
using Orv::eMarkerListB;
using Orv::tGapVector;
using Orv::tMarkedRange;
using Orv::tMarkedVector;

namespace {

using Text = tMarkedVector<tGapVector<wchar_t, 1>>;
using Marker = Text::Marker;
constexpr unsigned npos = ~0u;

void Put(Text& text, unsigned pos, const wchar_t* chars) {
  ASSERT_TRUE(text.Insert(pos, chars, static_cast<unsigned>(wcslen(chars))));
}

std::wstring Str(const Text& text) {
  std::wstring out;
  for (unsigned i = 0; i < text.Count(); ++i) out += text[i];
  return out;
}

// Both lists sorted by storage position, and no marker inside the gap: a marker at the gap start
// stands on its front side.
void ExpectListsConsistent(const Text& text) {
  for (EMarkerList list : {eMarkerListA, eMarkerListB}) {
    const Text::MarkerList& markers = text.Markers(list);
    for (unsigned i = 0; i < markers.Count(); ++i) {
      unsigned at = markers[i]->StoragePosition();
      if (i) {
        EXPECT_LE(markers[i - 1]->StoragePosition(), at) << "list " << list << " index " << i;
      }
      bool insideGap = at > text.GapStart() && at <= text.GapStart() + text.GapSize();
      EXPECT_FALSE(insideGap && text.GapSize() > 0) << "storage " << at << " gap start " << text.GapStart();
    }
  }
}

// Where the gap stands when an edit starts.
enum GapPlace { eGapAtEnd, eGapAtFront, eGapAtEditPoint };

void PlaceGap(Text& text, GapPlace place, unsigned editPoint) {
  text.MoveGap(place == eGapAtEnd ? text.Count() : place == eGapAtFront ? 0 : editPoint);
}

}  // namespace

class MarkedVectorInsert : public ::testing::TestWithParam<GapPlace> {};

TEST_P(MarkedVectorInsert, ListAStaysInFrontListBMovesBehind) {
  Text text;
  Put(text, 0, L"abcdef");  // capacity 8: inserting two more does not grow
  PlaceGap(text, GetParam(), 3);
  Marker* a = text.CreateMarker(3, eMarkerListA);
  Marker* b = text.CreateMarker(3, eMarkerListB);
  Marker* before = text.CreateMarker(2, eMarkerListB);
  Marker* after = text.CreateMarker(4, eMarkerListA);
  ASSERT_TRUE(a && b && before && after);
  ASSERT_NE(a, b);
  Put(text, 3, L"XY");
  EXPECT_EQ(Str(text), L"abcXYdef");
  EXPECT_EQ(text.MarkerPosition(a), 3u);
  EXPECT_EQ(text.MarkerPosition(b), 5u);
  EXPECT_EQ(text.MarkerPosition(before), 2u);
  EXPECT_EQ(text.MarkerPosition(after), 6u);
  ExpectListsConsistent(text);
  for (Marker* m : {a, b, before, after}) m->Release();
}

TEST_P(MarkedVectorInsert, SameWhenTheInsertGrowsTheBuffer) {
  Text text;
  Put(text, 0, L"abcdef");
  PlaceGap(text, GetParam(), 3);
  Marker* a = text.CreateMarker(3, eMarkerListA);
  Marker* b = text.CreateMarker(3, eMarkerListB);
  Marker* end = text.CreateMarker(6, eMarkerListA);
  Put(text, 3, L"0123456789");  // 16 > 8: grows
  ASSERT_EQ(text.Capacity(), 16u);
  EXPECT_EQ(Str(text), L"abc0123456789def");
  EXPECT_EQ(a->Position(), 3u);
  EXPECT_EQ(b->Position(), 13u);
  EXPECT_EQ(end->Position(), 16u);
  ExpectListsConsistent(text);
  for (Marker* m : {a, b, end}) m->Release();
}

TEST_P(MarkedVectorInsert, AppendAtAMarkerAtTheEnd) {
  Text text;
  Put(text, 0, L"abc");
  PlaceGap(text, GetParam(), 3);
  Marker* a = text.CreateMarker(3, eMarkerListA);
  Marker* b = text.CreateMarker(npos, eMarkerListB);  // clamped to the end
  EXPECT_EQ(b->Position(), 3u);
  Put(text, 3, L"de");
  ASSERT_TRUE(text.PushBack(L'f'));
  EXPECT_EQ(a->Position(), 3u);
  EXPECT_EQ(b->Position(), 6u);
  ExpectListsConsistent(text);
  a->Release();
  b->Release();
}

INSTANTIATE_TEST_SUITE_P(MarkedVectorGapPlaces, MarkedVectorInsert,
                         ::testing::Values(eGapAtEnd, eGapAtFront, eGapAtEditPoint));

class MarkedVectorErase : public ::testing::TestWithParam<GapPlace> {};

TEST_P(MarkedVectorErase, MarkersInsideTheRangeCollapseToItsStart) {
  Text text;
  Put(text, 0, L"abcdefghij");
  PlaceGap(text, GetParam(), 5);
  Marker* m2 = text.CreateMarker(2, eMarkerListA);
  Marker* m3 = text.CreateMarker(3, eMarkerListB);
  Marker* m4 = text.CreateMarker(4, eMarkerListA);
  Marker* m5 = text.CreateMarker(5, eMarkerListB);
  Marker* m7 = text.CreateMarker(7, eMarkerListA);  // just after the erased range
  Marker* m9 = text.CreateMarker(9, eMarkerListB);
  Marker* m10 = text.CreateMarker(10, eMarkerListA);
  text.Erase(3, 4);  // removes "defg"
  EXPECT_EQ(Str(text), L"abchij");
  EXPECT_EQ(m2->Position(), 2u);
  EXPECT_EQ(m3->Position(), 3u);
  EXPECT_EQ(m4->Position(), 3u);
  EXPECT_EQ(m5->Position(), 3u);
  EXPECT_EQ(m7->Position(), 3u);
  EXPECT_EQ(m9->Position(), 5u);
  EXPECT_EQ(m10->Position(), 6u);
  ExpectListsConsistent(text);

  // A collapsed list-A marker now stays in front of text inserted there, list B goes behind.
  Put(text, 3, L"XY");
  EXPECT_EQ(m4->Position(), 3u);
  EXPECT_EQ(m7->Position(), 3u);
  EXPECT_EQ(m5->Position(), 5u);
  EXPECT_EQ(m3->Position(), 5u);
  ExpectListsConsistent(text);
  for (Marker* m : {m2, m3, m4, m5, m7, m9, m10}) m->Release();
}

TEST_P(MarkedVectorErase, EraseEverythingAndClearMoveAllMarkersToZero) {
  Text text;
  Put(text, 0, L"abcdefghij");
  PlaceGap(text, GetParam(), 4);
  Marker* m0 = text.CreateMarker(0, eMarkerListB);
  Marker* m4 = text.CreateMarker(4, eMarkerListA);
  Marker* m10 = text.CreateMarker(10, eMarkerListB);
  text.Erase(0, 10);
  EXPECT_EQ(m0->Position(), 0u);
  EXPECT_EQ(m4->Position(), 0u);
  EXPECT_EQ(m10->Position(), 0u);
  Put(text, 0, L"xyz");
  EXPECT_EQ(m4->Position(), 0u);
  EXPECT_EQ(m10->Position(), 3u);
  text.Clear();
  EXPECT_EQ(m10->Position(), 0u);
  ExpectListsConsistent(text);
  for (Marker* m : {m0, m4, m10}) m->Release();
}

INSTANTIATE_TEST_SUITE_P(MarkedVectorGapPlaces, MarkedVectorErase,
                         ::testing::Values(eGapAtEnd, eGapAtFront, eGapAtEditPoint));

TEST(MarkedVectorMarkers, SamePlaceSameListIsShared) {
  Text text;
  Put(text, 0, L"abcdef");
  text.MoveGap(2);
  EXPECT_EQ(text.PoolHolder(), nullptr);
  for (unsigned pos : {1u, 2u, 4u}) {  // before, at and behind the gap
    Marker* first = text.CreateMarker(pos, eMarkerListA);
    Marker* second = text.CreateMarker(pos, eMarkerListA);
    Marker* other = text.CreateMarker(pos, eMarkerListB);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second) << pos;
    EXPECT_NE(first, other) << pos;
    EXPECT_EQ(first->RefCount(), 2);
    EXPECT_EQ(other->RefCount(), 1);
    EXPECT_EQ(text.Markers(eMarkerListA).Count(), 1u);
    EXPECT_EQ(text.Markers(eMarkerListB).Count(), 1u);
    EXPECT_EQ(text.PoolHolder()->Pool().InUse(), 2u);
    EXPECT_EQ(text.PoolHolder()->RefCount(), 3);  // the vector and two markers

    first->Release();
    EXPECT_EQ(first->RefCount(), 1);
    EXPECT_EQ(text.Markers(eMarkerListA).Count(), 1u);
    EXPECT_EQ(first->Position(), pos);
    first->Release();
    other->Release();
    EXPECT_EQ(text.Markers(eMarkerListA).Count(), 0u);
    EXPECT_EQ(text.Markers(eMarkerListB).Count(), 0u);
    EXPECT_EQ(text.PoolHolder()->Pool().InUse(), 0u);
    EXPECT_EQ(text.PoolHolder()->RefCount(), 1);
  }
}

TEST(MarkedVectorMarkers, ReleaseRemovesTheRightMarkerAmongEqualPositions) {
  Text text;
  Put(text, 0, L"abcdefgh");
  Marker* m2 = text.CreateMarker(2, eMarkerListA);
  Marker* m3 = text.CreateMarker(3, eMarkerListA);
  Marker* m6 = text.CreateMarker(6, eMarkerListA);
  text.Erase(1, 4);  // m2 and m3 both collapse to 1
  ASSERT_EQ(m2->StoragePosition(), m3->StoragePosition());
  m3->Release();
  ASSERT_EQ(text.Markers(eMarkerListA).Count(), 2u);
  EXPECT_EQ(text.Markers(eMarkerListA)[0], m2);
  EXPECT_EQ(text.Markers(eMarkerListA)[1], m6);
  // A new marker at the collapsed place shares the one still there.
  Marker* again = text.CreateMarker(1, eMarkerListA);
  EXPECT_EQ(again, m2);
  EXPECT_EQ(m2->RefCount(), 2);
  for (Marker* m : {m2, m2, m6}) Text::ReleaseMarker(m);
  Text::ReleaseMarker(nullptr);
  EXPECT_EQ(text.PoolHolder()->Pool().InUse(), 0u);
}

TEST(MarkedVectorMarkers, PositionOfNullOrForeignMarkerIsNpos) {
  Text one, two;
  Put(one, 0, L"abc");
  Put(two, 0, L"abc");
  Marker* m = two.CreateMarker(1);
  EXPECT_EQ(one.MarkerPosition(m), npos);
  EXPECT_EQ(one.MarkerPosition(nullptr), npos);
  EXPECT_EQ(two.MarkerPosition(m), 1u);
  m->Release();
}

TEST(MarkedVectorMarkers, NotifyIsOnAndNothingMovesWithoutMarkers) {
  Text text;
  EXPECT_TRUE(text.IsNotifying());
  Put(text, 0, L"abc");
  text.Erase(0, 1);
  EXPECT_EQ(text.PoolHolder(), nullptr);
  EXPECT_EQ(Str(text), L"bc");
}

TEST(MarkedVectorLifetime, MarkersOutliveTheirVector) {
  Text* text = new Text;
  Put(*text, 0, L"abcdef");
  Marker* a = text->CreateMarker(1, eMarkerListA);
  Marker* shared = text->CreateMarker(1, eMarkerListA);
  Marker* b = text->CreateMarker(4, eMarkerListB);
  ASSERT_EQ(a, shared);
  const Orv::tMarkerPoolHolder<tGapVector<wchar_t, 1>>* holder = text->PoolHolder();
  EXPECT_EQ(holder->RefCount(), 3);
  delete text;

  EXPECT_EQ(holder->Vector(), nullptr);
  EXPECT_EQ(holder->RefCount(), 2);
  EXPECT_EQ(a->Position(), npos);
  EXPECT_EQ(holder->Pool().InUse(), 2u);
  a->Release();
  EXPECT_EQ(holder->Pool().InUse(), 2u);  // still shared
  a->Release();
  EXPECT_EQ(holder->Pool().InUse(), 1u);
  EXPECT_EQ(holder->RefCount(), 1);
  b->Release();  // the last one frees the holder
}

TEST(MarkedVectorLifetime, VectorWithoutOutstandingMarkersFreesItsHolder) {
  // Nothing observable is left after this; the test guards the destructor paths against crashes and
  // double frees when markers were made and released before the vector dies.
  for (int round = 0; round < 3; ++round) {
    Text text;
    Put(text, 0, L"abc");
    Marker* m = text.CreateMarker(2, eMarkerListB);
    Put(text, 0, L"xx");
    EXPECT_EQ(m->Position(), 4u);
    m->Release();
    EXPECT_EQ(text.PoolHolder()->RefCount(), 1);
  }
}

namespace {

struct Child {
  static int live;
  int id;
  Child(int i = 0) : id(i) { ++live; }
  Child(const Child& o) : id(o.id) { ++live; }
  ~Child() { --live; }
};
int Child::live = 0;

}  // namespace

TEST(MarkedVectorObjects, MarkersFollowObjectInsertsAndErases) {
  Child::live = 0;
  {
    tMarkedVector<tGapVector<Child, 0>> children;
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(children.PushBack(Child(i)));
    auto* index3 = children.CreateMarker(3, eMarkerListA);
    Child extra[2] = {Child(10), Child(11)};
    ASSERT_TRUE(children.Insert(1, extra, 2));
    EXPECT_EQ(children.MarkerPosition(index3), 5u);
    EXPECT_EQ(children[5].id, 3);
    children.Erase(0, 2);
    EXPECT_EQ(children.MarkerPosition(index3), 3u);
    EXPECT_EQ(children[3].id, 3);
    index3->Release();
  }
  EXPECT_EQ(Child::live, 0);
}

// Every reference the test holds, with where the model says its marker stands.
struct ModelMarker {
  Marker* marker;
  EMarkerList list;
  unsigned pos;
};

TEST(MarkedVectorRandom, MarkersMatchANaiveModelAfterManyEdits) {
  std::mt19937 random(7331u);
  Text text;
  std::wstring model;
  std::vector<ModelMarker> refs;  // one entry per reference held (shared markers repeat)

  auto forEachMarker = [&](auto&& apply) {
    for (ModelMarker& r : refs) apply(r);
  };

  for (int step = 0; step < 4000; ++step) {
    unsigned size = static_cast<unsigned>(model.size());
    unsigned pos = random() % (size + 2);
    unsigned at = pos > size ? size : pos;
    switch (random() % 9) {
      case 0:
      case 1: {
        unsigned n = 1 + random() % 4;
        std::wstring chars;
        for (unsigned i = 0; i < n; ++i) chars += static_cast<wchar_t>(L'a' + random() % 26);
        ASSERT_TRUE(text.Insert(pos, chars.data(), n));
        model.insert(at, chars);
        forEachMarker([&](ModelMarker& r) {
          if (r.pos > at || (r.pos == at && r.list == eMarkerListB)) r.pos += n;
        });
        break;
      }
      case 2: {
        unsigned n = random() % 5;
        text.Erase(pos, n);
        if (pos < size && n) {
          unsigned cut = n < size - pos ? n : size - pos;
          model.erase(pos, cut);
          forEachMarker([&](ModelMarker& r) {
            if (r.pos > pos + cut)
              r.pos -= cut;
            else if (r.pos > pos)
              r.pos = pos;
          });
        }
        break;
      }
      case 3:
        text.MoveGap(pos);
        break;
      case 4:
        ASSERT_TRUE(text.Reserve(text.Capacity() + 1 + random() % 3));
        break;
      case 5:
      case 6: {
        EMarkerList list = random() % 2 ? eMarkerListB : eMarkerListA;
        Marker* m = text.CreateMarker(pos, list);
        ASSERT_NE(m, nullptr);
        bool existed = false, matched = false;
        for (const ModelMarker& r : refs) {
          if (r.list == list && r.pos == at) {
            existed = true;
            matched = matched || r.marker == m;
          } else {
            ASSERT_NE(r.marker, m) << "step " << step << ": a marker elsewhere was shared";
          }
        }
        ASSERT_EQ(matched, existed) << "step " << step << ": an existing marker at " << at << " was not shared";
        refs.push_back({m, list, at});
        break;
      }
      case 7:
      case 8:
        if (!refs.empty()) {
          unsigned i = random() % refs.size();
          refs[i].marker->Release();
          refs.erase(refs.begin() + i);
        }
        break;
    }
    ASSERT_EQ(Str(text), model) << "step " << step;
    std::map<Marker*, long> counts;
    for (const ModelMarker& r : refs) {
      ASSERT_EQ(text.MarkerPosition(r.marker), r.pos) << "step " << step;
      ++counts[r.marker];
    }
    for (const auto& [marker, count] : counts) ASSERT_EQ(marker->RefCount(), count) << "step " << step;
    ASSERT_EQ(text.Markers(eMarkerListA).Count() + text.Markers(eMarkerListB).Count(), counts.size());
    ExpectListsConsistent(text);
    if (::testing::Test::HasFailure()) break;
  }
  ASSERT_NE(text.PoolHolder(), nullptr);
  for (ModelMarker& r : refs) r.marker->Release();
  EXPECT_EQ(text.PoolHolder()->Pool().InUse(), 0u);
  EXPECT_EQ(text.PoolHolder()->RefCount(), 1);
  EXPECT_EQ(text.Markers(eMarkerListA).Count() + text.Markers(eMarkerListB).Count(), 0u);
}

TEST(MarkedRange, AddClampsAndIgnoresEmptyRanges) {
  Text text;
  Put(text, 0, L"0123456789");
  tMarkedRange<tGapVector<wchar_t, 1>> ranges(text);
  EXPECT_TRUE(ranges.Add(3, 100));
  EXPECT_FALSE(ranges.Add(20, 30));
  EXPECT_FALSE(ranges.Add(5, 5));
  EXPECT_FALSE(ranges.Add(6, 2));
  ASSERT_EQ(ranges.Count(), 1u);
  EXPECT_EQ(ranges.Start(0), 3u);
  EXPECT_EQ(ranges.End(0), 10u);
  EXPECT_EQ(ranges.Start(1), npos);
  EXPECT_EQ(ranges.Pair(0).Start(), text.Markers(eMarkerListB)[0]);
  EXPECT_EQ(ranges.Pair(0).End(), text.Markers(eMarkerListA)[0]);
  EXPECT_EQ(text.PoolHolder()->Pool().InUse(), 2u);  // nothing leaked by the refused adds
}

TEST(MarkedRange, InsertsAtEitherBoundaryFallOutside) {
  Text text;
  Put(text, 0, L"0123456789");
  tMarkedRange<tGapVector<wchar_t, 1>> ranges(text);
  ASSERT_TRUE(ranges.Add(3, 6));
  Put(text, 3, L"SS");  // at the start
  EXPECT_EQ(ranges.Start(0), 5u);
  EXPECT_EQ(ranges.End(0), 8u);
  Put(text, 8, L"EE");  // at the end
  EXPECT_EQ(ranges.End(0), 8u);
  Put(text, 6, L"II");  // inside
  EXPECT_EQ(ranges.Start(0), 5u);
  EXPECT_EQ(ranges.End(0), 10u);
  EXPECT_EQ(Str(text), L"012SS3II45EE6789");
  text.Erase(4, 3);  // takes the start and two characters after it
  EXPECT_EQ(ranges.Start(0), 4u);
  EXPECT_EQ(ranges.End(0), 7u);
  text.Erase(4, 3);  // takes the rest of the range
  EXPECT_EQ(ranges.Start(0), 4u);
  EXPECT_EQ(ranges.End(0), 4u);
}

TEST(MarkedRange, RangesHoldAndReleaseTheirMarkers) {
  Text text;
  Put(text, 0, L"0123456789");
  {
    tMarkedRange<tGapVector<wchar_t, 1>> ranges(text);
    ASSERT_TRUE(ranges.Add(2, 5));
    ASSERT_TRUE(ranges.Add(2, 5));  // same places: the markers are shared
    ASSERT_TRUE(ranges.Add(6, 9));
    EXPECT_EQ(text.PoolHolder()->Pool().InUse(), 4u);
    EXPECT_EQ(ranges.Pair(0).Start()->RefCount(), 2);
    ranges.Remove(0);
    EXPECT_EQ(ranges.Count(), 2u);
    EXPECT_EQ(ranges.Pair(0).Start()->RefCount(), 1);
    EXPECT_EQ(text.PoolHolder()->Pool().InUse(), 4u);
    ranges.Remove(0);
    EXPECT_EQ(text.PoolHolder()->Pool().InUse(), 2u);
    EXPECT_EQ(ranges.Start(0), 6u);
    ASSERT_TRUE(ranges.Add(0, 1));
  }
  EXPECT_EQ(text.PoolHolder()->Pool().InUse(), 0u);
  EXPECT_EQ(text.PoolHolder()->RefCount(), 1);
}

TEST(MarkedRange, OutlivesItsVectorSafely) {
  Text* text = new Text;
  Put(*text, 0, L"0123456789");
  auto* ranges = new tMarkedRange<tGapVector<wchar_t, 1>>(*text);
  ASSERT_TRUE(ranges->Add(1, 4));
  delete text;
  EXPECT_EQ(ranges->Start(0), npos);
  EXPECT_EQ(ranges->End(0), npos);
  delete ranges;  // releases the markers into the orphaned pool, which then goes
}
