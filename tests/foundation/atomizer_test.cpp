// CAtomizer: numbering, chunk packing, canonicalising lookups, the do-not-add flag, Init, Clear
// and concurrent use.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "orvutil/foundation.h"
#include "orvutil/threads.h"

using Orv::CAtomizer;

namespace {

const unsigned int kNoAtom = 0xFFFFFFFFu;

// Exposes the chunk size for the packing tests.
class TestAtomizer : public CAtomizer {
 public:
  static unsigned ChunkSize() { return m_dataChunkSize; }
};

std::wstring Repeat(wchar_t c, size_t n) {
  return std::wstring(n, c);
}

}  // namespace

TEST(Atomizer, DistinctStringsAreNumberedInOrder) {
  CAtomizer atoms;
  EXPECT_EQ(atoms.Size(), 0u);
  EXPECT_EQ(atoms.GetAtom(L"alpha"), 0u);
  EXPECT_EQ(atoms.GetAtom(L"beta"), 1u);
  EXPECT_EQ(atoms.GetAtom(L"gamma"), 2u);
  EXPECT_EQ(atoms.GetAtom(L"beta"), 1u);
  EXPECT_EQ(atoms.Size(), 3u);
  EXPECT_STREQ(atoms.GetStr(0), L"alpha");
  EXPECT_STREQ(atoms.GetStr(2), L"gamma");
  EXPECT_EQ(atoms.GetStr(3), nullptr);
  EXPECT_EQ(atoms.GetStr(kNoAtom), nullptr);
  EXPECT_EQ(atoms.GetAtom(L""), 3u);  // the empty string is a string like any other
  EXPECT_STREQ(atoms.GetStr(3), L"");
}

TEST(Atomizer, StoresItsOwnCopy) {
  CAtomizer atoms;
  wchar_t buffer[] = L"mutable";
  unsigned atom = atoms.GetAtom(buffer);
  EXPECT_NE(atoms.GetStr(atom), buffer);
  buffer[0] = L'M';
  EXPECT_STREQ(atoms.GetStr(atom), L"mutable");
  EXPECT_EQ(atoms.GetAtom(L"mutable", false, true), atom);
  EXPECT_EQ(atoms.GetAtom(buffer, false, true), kNoAtom);
}

TEST(Atomizer, NullIsNeverAnAtom) {
  CAtomizer atoms;
  EXPECT_EQ(atoms.GetAtom(nullptr), kNoAtom);
  EXPECT_EQ(atoms.GetAtom(nullptr, true, false), kNoAtom);
  EXPECT_EQ(atoms.Size(), 0u);
}

TEST(Atomizer, CanonicalisingFoldsAsciiCase) {
  CAtomizer atoms;
  unsigned lower = atoms.GetAtom(L"Hello World", true);
  EXPECT_EQ(atoms.GetAtom(L"HELLO world", true), lower);
  EXPECT_STREQ(atoms.GetStr(lower), L"hello world");
  EXPECT_EQ(atoms.GetAtom(L"hello world"), lower);  // the stored form is found exactly
  unsigned exact = atoms.GetAtom(L"Hello World");
  EXPECT_NE(exact, lower);
  EXPECT_EQ(atoms.Size(), 2u);
  // Only ASCII letters fold.
  unsigned accented = atoms.GetAtom(L"\u00C9t\u00C9", true);
  EXPECT_STREQ(atoms.GetStr(accented), L"\u00C9t\u00C9");
  // A long string goes beyond the temporary's inline room.
  std::wstring longUpper = Repeat(L'Q', 700);
  unsigned longAtom = atoms.GetAtom(longUpper.c_str(), true);
  EXPECT_EQ(std::wstring(atoms.GetStr(longAtom)), Repeat(L'q', 700));
}

TEST(Atomizer, DoNotAddOnlyLooksUp) {
  CAtomizer atoms;
  EXPECT_EQ(atoms.GetAtom(L"absent", false, true), kNoAtom);
  EXPECT_EQ(atoms.GetAtom(L"ABSENT", true, true), kNoAtom);
  EXPECT_EQ(atoms.Size(), 0u);
  unsigned atom = atoms.GetAtom(L"present");
  EXPECT_EQ(atoms.GetAtom(L"present", false, true), atom);
  EXPECT_EQ(atoms.GetAtom(L"PRESENT", true, true), atom);
  EXPECT_EQ(atoms.GetAtom(L"PRESENT", false, true), kNoAtom);
  EXPECT_EQ(atoms.Size(), 1u);
}

TEST(Atomizer, ShortStringsArePackedIntoChunks) {
  TestAtomizer atoms;
  ASSERT_EQ(TestAtomizer::ChunkSize(), 512u);
  // Nine characters plus the terminator: 51 strings fill 510 characters of a chunk, the 52nd
  // does not fit into the remaining 2 and starts a new chunk.
  std::vector<const wchar_t*> stored;
  for (int i = 0; i < 60; ++i) {
    wchar_t text[16];
    swprintf(text, 16, L"string%03d", i);
    stored.push_back(atoms.GetStr(atoms.GetAtom(text)));
  }
  for (int i = 1; i < 51; ++i) EXPECT_EQ(stored[i], stored[i - 1] + 10) << i;
  EXPECT_NE(stored[51], stored[50] + 10);
  for (int i = 52; i < 60; ++i) EXPECT_EQ(stored[i], stored[i - 1] + 10) << i;
  for (int i = 0; i < 60; ++i) {
    wchar_t text[16];
    swprintf(text, 16, L"string%03d", i);
    EXPECT_STREQ(stored[i], text);
    EXPECT_EQ(atoms.GetAtom(text, false, true), static_cast<unsigned>(i));
  }
}

TEST(Atomizer, LongStringGetsAChunkOfItsOwn) {
  CAtomizer atoms;
  const wchar_t* first = atoms.GetStr(atoms.GetAtom(L"a"));
  std::wstring long600 = Repeat(L'x', 600);
  unsigned longAtom = atoms.GetAtom(long600.c_str());
  const wchar_t* longStored = atoms.GetStr(longAtom);
  EXPECT_NE(longStored, first + 2);
  EXPECT_EQ(std::wstring(longStored), long600);
  // The next short string starts a new chunk: the rest of the first chunk is not reused.
  const wchar_t* next = atoms.GetStr(atoms.GetAtom(L"b"));
  EXPECT_NE(next, first + 2);
  EXPECT_NE(next, longStored + 601);
  const wchar_t* after = atoms.GetStr(atoms.GetAtom(L"c"));
  EXPECT_EQ(after, next + 2);
  EXPECT_STREQ(first, L"a");
  EXPECT_EQ(std::wstring(atoms.GetStr(longAtom)), long600);
}

TEST(Atomizer, ManyStringsAcrossChunkEndsStayIntact) {
  CAtomizer atoms;
  std::vector<std::wstring> texts;
  for (int i = 0; i < 400; ++i) {
    // Lengths from 1 to 700 so that strings end at all offsets of chunks.
    size_t length = 1 + static_cast<size_t>(i * 37) % 700;
    std::wstring text = std::to_wstring(i) + L":" + Repeat(static_cast<wchar_t>(L'a' + i % 26), length);
    texts.push_back(text);
    ASSERT_EQ(atoms.GetAtom(text.c_str()), static_cast<unsigned>(i));
  }
  ASSERT_EQ(atoms.Size(), 400u);
  for (int i = 0; i < 400; ++i) {
    EXPECT_EQ(std::wstring(atoms.GetStr(i)), texts[i]) << i;
    EXPECT_EQ(atoms.GetAtom(texts[i].c_str(), false, true), static_cast<unsigned>(i));
  }
}

TEST(Atomizer, InitWithoutCanonicalisingKeepsTheTablePointers) {
  static const CAtomizer::SAtomInit table[] = {{0, L"zero"}, {1, L"One"}, {2, L"two"}};
  CAtomizer atoms;
  atoms.Init(table, 3, false);
  ASSERT_EQ(atoms.Size(), 3u);
  for (unsigned i = 0; i < 3; ++i) {
    EXPECT_EQ(atoms.GetStr(i), table[i].string);  // the very pointer, not a copy
    EXPECT_EQ(atoms.GetAtom(table[i].string, false, true), i);
  }
  EXPECT_EQ(atoms.GetAtom(L"One", false, true), 1u);
  EXPECT_EQ(atoms.GetAtom(L"one", false, true), kNoAtom);
  EXPECT_EQ(atoms.GetAtom(L"three"), 3u);
}

TEST(Atomizer, InitOnANonEmptyAtomizerNumbersFromItsSize) {
  static const CAtomizer::SAtomInit table[] = {{0, L"red"}, {0, L"green"}};
  CAtomizer atoms;
  atoms.GetAtom(L"first");
  atoms.GetAtom(L"second");
  atoms.Init(table, 2, false);
  ASSERT_EQ(atoms.Size(), 4u);
  for (const wchar_t* text : {L"first", L"second", L"red", L"green"}) {
    unsigned atom = atoms.GetAtom(text, false, true);
    ASSERT_NE(atom, kNoAtom);
    EXPECT_STREQ(atoms.GetStr(atom), text);  // every atom answers its own string
  }
  EXPECT_EQ(atoms.GetAtom(L"red", false, true), 2u);
  EXPECT_EQ(atoms.GetAtom(L"green", false, true), 3u);
}

TEST(Atomizer, InitWithCanonicalisingStoresLowerCaseCopies) {
  static const CAtomizer::SAtomInit table[] = {{0, L"Alpha"}, {0, L"BETA"}, {0, L"alpha"}, {0, nullptr}};
  CAtomizer atoms;
  atoms.Init(table, 4, true);
  ASSERT_EQ(atoms.Size(), 4u);
  EXPECT_STREQ(atoms.GetStr(0), L"alpha");
  EXPECT_NE(atoms.GetStr(0), table[0].string);
  EXPECT_STREQ(atoms.GetStr(1), L"beta");
  EXPECT_STREQ(atoms.GetStr(2), L"alpha");             // a repeat gets a second atom
  EXPECT_STREQ(atoms.GetStr(3), L"");                  // a null record stands for the empty string
  EXPECT_EQ(atoms.GetAtom(L"ALPHA", true, true), 2u);  // lookups find the later atom
  EXPECT_EQ(atoms.GetAtom(L"beta", false, true), 1u);
  EXPECT_EQ(atoms.GetAtom(L"BETA", false, true), kNoAtom);
}

TEST(Atomizer, InitWithNothingDoesNothing) {
  static const CAtomizer::SAtomInit table[] = {{0, L"x"}};
  CAtomizer atoms;
  atoms.Init(nullptr, 5, false);
  atoms.Init(table, 0, true);
  EXPECT_EQ(atoms.Size(), 0u);
}

TEST(Atomizer, ClearStartsNumberingAgain) {
  CAtomizer atoms;
  atoms.GetAtom(L"one");
  atoms.GetAtom(Repeat(L'z', 900).c_str());
  atoms.GetAtom(L"two");
  atoms.Clear();
  EXPECT_EQ(atoms.Size(), 0u);
  EXPECT_EQ(atoms.GetStr(0), nullptr);
  EXPECT_EQ(atoms.GetAtom(L"two", false, true), kNoAtom);
  EXPECT_EQ(atoms.GetAtom(L"two"), 0u);
  EXPECT_EQ(atoms.GetAtom(L"one"), 1u);
  EXPECT_STREQ(atoms.GetStr(0), L"two");
  atoms.Clear();
  atoms.Clear();
  EXPECT_EQ(atoms.Size(), 0u);
}

TEST(Atomizer, ThreadsAddingOverlappingStringsAgree) {
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(true);
  CAtomizer atoms;
  const int kThreads = 4, kStrings = 1500;
  std::vector<std::map<std::wstring, unsigned>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Each thread covers two thirds of the strings, in its own order.
      for (int k = 0; k < kStrings; ++k) {
        int i = (k * 7 + t * 331) % kStrings;
        if ((i + t) % 3 == 0) continue;
        std::wstring text = L"word" + std::to_wstring(i);
        bool upper = (t % 2) != 0;
        std::wstring asked = upper ? L"WORD" + std::to_wstring(i) : text;
        seen[t][text] = atoms.GetAtom(asked.c_str(), true);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(false);

  std::map<std::wstring, unsigned> all;
  for (const auto& map : seen) {
    for (const auto& entry : map) {
      auto found = all.find(entry.first);
      if (found == all.end())
        all[entry.first] = entry.second;
      else
        EXPECT_EQ(found->second, entry.second) << "two atoms for one string";
    }
  }
  ASSERT_EQ(atoms.Size(), all.size());
  std::vector<bool> used(all.size(), false);
  for (const auto& entry : all) {
    ASSERT_LT(entry.second, all.size());
    EXPECT_FALSE(used[entry.second]) << "one atom for two strings";
    used[entry.second] = true;
    EXPECT_EQ(std::wstring(atoms.GetStr(entry.second)), entry.first);
  }
}
