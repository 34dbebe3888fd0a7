// CAtomizer against a std::unordered_map model: numbering, canonicalising lookups, the do-not-add
// flag and strings of every length across chunk ends; Init tables, Clear and concurrent use.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "../support/scoped_locks.h"
#include "orvutil/foundation.h"

using Orv::CAtomizer;

namespace {

constexpr unsigned kNoAtom = 0xFFFFFFFFu;

std::wstring AsciiLower(std::wstring s) {
  for (wchar_t& c : s)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return s;
}

}  // namespace

TEST(Atomizer, MatchesAMapModel) {
  std::mt19937 random(31u);
  CAtomizer atoms;
  std::unordered_map<std::wstring, unsigned> model;
  std::vector<std::wstring> strings;
  for (int step = 0; step < 3000; ++step) {
    std::wstring text(random() % 4 ? random() % 12 : random() % 700, L'a');
    for (wchar_t& c : text) c = L"aAbB\x00C9"[random() % 5];
    bool canonicalize = random() % 2, doNotAdd = random() % 4 == 0;
    std::wstring key = canonicalize ? AsciiLower(text) : text;
    auto found = model.find(key);
    unsigned expected = found != model.end() ? found->second : doNotAdd ? kNoAtom : static_cast<unsigned>(strings.size());
    if (found == model.end() && !doNotAdd) {
      model[key] = expected;
      strings.push_back(key);
    }
    ASSERT_EQ(expected, atoms.GetAtom(text.c_str(), canonicalize, doNotAdd)) << "step " << step;
  }
  ASSERT_EQ(strings.size(), atoms.Size());
  for (unsigned i = 0; i < strings.size(); ++i) ASSERT_EQ(strings[i], atoms.GetStr(i)) << i;
  EXPECT_EQ(nullptr, atoms.GetStr(atoms.Size()));
  EXPECT_EQ(kNoAtom, atoms.GetAtom(nullptr, true));
  atoms.Clear();
  EXPECT_EQ(nullptr, atoms.GetStr(0));
  EXPECT_EQ(0u, atoms.GetAtom(L"again"));
}

TEST(Atomizer, InitTablesNumberFromTheSizeAndCanonicaliseIntoCopies) {
  static const CAtomizer::SAtomInit kept[] = {{0, L"zero"}, {0, L"One"}};
  static const CAtomizer::SAtomInit folded[] = {{0, L"Alpha"}, {0, L"alpha"}, {0, nullptr}};
  CAtomizer atoms;
  atoms.GetAtom(L"first");
  atoms.Init(kept, 2, false);
  atoms.Init(folded, 3, true);
  atoms.Init(nullptr, 5, false);
  ASSERT_EQ(6u, atoms.Size());
  EXPECT_EQ(kept[1].string, atoms.GetStr(2));  // the very pointer, not a copy
  EXPECT_EQ(kNoAtom, atoms.GetAtom(L"one", false, true));
  EXPECT_STREQ(L"alpha", atoms.GetStr(3));
  EXPECT_EQ(4u, atoms.GetAtom(L"ALPHA", true, true));  // a repeat gets a second atom, found later
  EXPECT_STREQ(L"", atoms.GetStr(5));
}

TEST(Atomizer, ThreadsAddingOverlappingStringsAgree) {
  ScopedLocks locks;
  CAtomizer atoms;
  std::vector<std::map<std::wstring, unsigned>> seen(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int k = 0; k < 1500; ++k) {
        int i = (k * 7 + t * 331) % 1500;
        seen[t][L"word" + std::to_wstring(i)] = atoms.GetAtom(((t % 2 ? L"WORD" : L"word") + std::to_wstring(i)).c_str(), true);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  ASSERT_EQ(1500u, atoms.Size());
  for (const auto& map : seen)
    for (const auto& [text, atom] : map) ASSERT_EQ(text, atoms.GetStr(atom));
}
