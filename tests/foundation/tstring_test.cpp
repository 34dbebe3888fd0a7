// tstring against std::wstring: edits, searches and comparisons over random and boundary inputs;
// sharing and copy on write, moved-from strings, pooled records and formatting limits.
// Also a string changed on one thread while other threads copy, change and release strings that share
// its record: the changing thread decides from the reference count alone whether it may write in
// place, so every holder must still see exactly its own characters.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "../support/scoped_locks.h"
#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;
using Base = Orv::tstring_base<Orv::TStringShared>;

namespace {

constexpr tstring::size_type npos = tstring::npos;

const wchar_t kAlphabet[] = L"abcab\x00E9\xFFFF";

const wchar_t kOriginal[] = L"shared text longer than the inline room";

}  // namespace

// Random edits of a string that shares its record with a copy, some taking their source from the
// string itself, some moving it away (the moved-from string must go on as an empty one); positions
// past the end are clipped, which std::wstring does not do.
TEST(TString, EditsMatchStdWstringAndLeaveCopiesAlone) {
  std::mt19937 random(4242u);
  unsigned records = RecordsInUse();
  tstring s;
  std::wstring model;
  for (int step = 0; step < 6000; ++step) {
    const tstring before(s);
    const std::wstring beforeText = model;
    const std::wstring other = RandomText(random, kAlphabet, 20);
    unsigned size = static_cast<unsigned>(model.size());
    unsigned pos = random() % (size + 3), at = pos < size ? pos : size;
    unsigned n = random() % 6, cut = std::min(n, size - at);
    unsigned from = size ? random() % size : 0, len = std::min<unsigned>(random() % 8, size - from);
    std::wstring own = model.substr(from, len), taken;
    unsigned op = random() % 19;
    switch (op) {
      case 0: s.append(other.c_str()); model += other; break;
      case 16: if (size) { s[from] = L'i'; model[from] = L'i'; } break;
      case 17: if (size) { s.at(from) = L'j'; *(s.begin() + from / 2) = L'k'; model[from] = L'j'; model[from / 2] = L'k'; } break;
      case 18: if (size) { s.erase(s.begin() + from); model.erase(from, 1); } break;
      case 1: s.push_back(static_cast<wchar_t>(L'0' + n)); model += static_cast<wchar_t>(L'0' + n); break;
      case 2: s.insert(pos, other.c_str()); model.insert(at, other); break;
      case 3: s.insert(pos, s.c_str() + from, len); model.insert(at, own); break;
      case 4: s.erase(pos, n); model.erase(at, cut); break;
      case 5: s.replace(pos, n, other.c_str()); model.replace(at, cut, other); break;
      case 6: s.replace(pos, n, s.c_str() + from, len); model.replace(at, cut, own); break;
      case 7: s.reserve(pos + n); s.resize(pos + n, L'r'); model.resize(pos + n, L'r'); break;
      case 8: s.assign(s, from, len); model = own; break;
      case 9: s.append(s); model += model; if (model.size() > 300) { s.clear(); model.clear(); } break;
      case 10: s.insert(pos, n, L'n'); model.insert(at, n, L'n'); break;
      case 11: s = s.substr(from, len) + other.c_str(); model = own + other; break;
      case 12: { tstring t(std::move(s)); taken = Std(t); break; }
      case 13: { tstring t(L"old"); t = std::move(s); taken = Std(t); break; }
      case 14: { Base t(static_cast<Base&&>(s)); taken = std::wstring(t.c_str(), t.size()); break; }
      case 15: { Base t(L"old"); t = static_cast<Base&&>(s); taken = std::wstring(t.c_str(), t.size()); break; }
    }
    if (op >= 12 && op < 16) {  // moved away: the other string has the characters, this one is empty
      ASSERT_EQ(model, taken) << "step " << step;
      model.clear();
    }
    if (random() % 8 == 0) {  // a copy assigned from the string, and back
      tstring copy(L"x");
      copy = s;
      s = copy;
    }
    ASSERT_EQ(model, Std(s)) << "step " << step;
    ASSERT_EQ(L'\0', s.c_str()[s.size()]) << "step " << step;
    ASSERT_EQ(model.size(), static_cast<size_t>(s.end() - s.begin()));
    ASSERT_EQ(beforeText, Std(before)) << "step " << step;
  }
  s = tstring();
  EXPECT_EQ(records, RecordsInUse());  // every record made on the way is back in the pool
}

TEST(TString, ImpossibleSizesChangeNothing) {
  tstring s(L"abc");
  unsigned capacity = s.capacity();
  s.reserve(0xFFFFFFF0u);
  s.append(0xFFFFFFF0u, L'x');
  s.insert(1, 0x7FFFFFFFu, L'x');
  EXPECT_EQ(capacity, s.capacity());
  EXPECT_EQ(L"abc", Std(s));
  s.append(s.c_str() + 1, 50);  // a count past its own characters stops at the last one
  EXPECT_EQ(L"abcbc", Std(s));
}

// Searches against std::wstring, except that an empty pattern is never found: short random texts,
// and repeats of a short word over two letters with occasional changes searched for a piece of
// themselves or a near miss, patterns long enough for the two-way search.
TEST(TString, SearchesMatchStdWstring) {
  std::mt19937 random(99u);
  for (int round = 0; round < 4000; ++round) {
    std::wstring text = RandomText(random, kAlphabet, 12), pattern = RandomText(random, kAlphabet, 3);
    if (round % 2) {
      std::wstring word = RandomText(random, L"ab", 3) + L'a';
      for (text.clear(); text.size() < 300;) text += word;
      text.resize(1 + random() % 300);
      for (unsigned changes = random() % 3; changes; --changes) text[random() % text.size()] = L'c';
      pattern = text.substr(random() % text.size(), random() % 120);
      if (random() % 2 && !pattern.empty()) pattern[random() % pattern.size()] ^= 1;
    }
    tstring s(text.c_str(), static_cast<unsigned>(text.size()));
    unsigned pos = round % 8 == 0 ? npos : static_cast<unsigned>(random() % (text.size() + 3));
    unsigned n = static_cast<unsigned>(pattern.size());
    auto expect = [&](size_t peer, unsigned ours, const char* what) {
      EXPECT_EQ(peer == std::wstring::npos ? npos : static_cast<unsigned>(peer), ours)
          << what << " " << ::testing::PrintToString(s) << " pos " << pos << " n " << n;
    };
    size_t fwd = pos == npos ? std::wstring::npos : pos;
    if (n) {
      expect(text.find(pattern.c_str(), fwd, n), s.find(pattern.c_str(), pos, n), "find");
      expect(text.rfind(pattern.c_str(), fwd, n), s.rfind(pattern.c_str(), pos, n), "rfind");
    } else {
      EXPECT_EQ(npos, s.find(pattern.c_str(), pos, 0));
      EXPECT_EQ(npos, s.rfind(pattern.c_str(), pos, 0));
    }
    wchar_t c = pattern.empty() ? L'a' : pattern[0];
    expect(text.find(c, fwd), s.find(c, pos), "find char");
    expect(text.rfind(c, fwd), s.rfind(c, pos), "rfind char");
    expect(text.find_first_of(pattern.c_str(), fwd, n), s.find_first_of(pattern.c_str(), pos, n), "first of");
    expect(text.find_first_not_of(pattern.c_str(), fwd, n), s.find_first_not_of(pattern.c_str(), pos, n), "first not of");
    expect(text.find_last_of(pattern.c_str(), fwd, n), s.find_last_of(pattern.c_str(), pos, n), "last of");
    expect(text.find_last_not_of(pattern.c_str(), fwd, n), s.find_last_not_of(pattern.c_str(), pos, n), "last not of");
  }
  // 80,000 a's searched for 39,999 a's and a b: every position nearly matches, slow for a naive search.
  std::wstring text(80000, L'a'), pattern = std::wstring(39999, L'a') + L'b';
  EXPECT_EQ(npos, tstring(text.c_str(), 80000u).find(pattern.c_str(), 0, 40000u));
  text[70000] = L'b';
  for (unsigned pos : {0u, 30002u}) EXPECT_EQ(pos ? npos : 30001u, tstring(text.c_str(), 80000u).find(pattern.c_str(), pos, 40000u));
}

// Ordinal comparison by 16-bit code unit, embedded zeros included, against std::wstring.
TEST(TString, ComparisonsMatchStdWstring) {
  std::mt19937 random(7u);
  for (int round = 0; round < 3000; ++round) {
    std::wstring a = RandomText(random, kAlphabet, 5), b = round % 5 ? RandomText(random, kAlphabet, 5) : a.substr(0, random() % 6);
    if (round % 7 == 0) a.push_back(L'\0');
    tstring ta(a.c_str(), static_cast<unsigned>(a.size())), tb(b.c_str(), static_cast<unsigned>(b.size()));
    int peer = Sign(a.compare(b));
    ASSERT_EQ(peer, Sign(ta.compare(tb)));
    ASSERT_EQ(peer < 0, ta < tb);
    ASSERT_EQ(peer == 0, ta == tb);
    ASSERT_EQ(peer >= 0, ta >= tb);
    unsigned pos = random() % 7, n = random() % 7, pos2 = random() % 7, n2 = random() % 7;
    std::wstring sub = a.substr(std::min<size_t>(pos, a.size()), n), sub2 = b.substr(std::min<size_t>(pos2, b.size()), n2);
    ASSERT_EQ(Sign(sub.compare(sub2)), Sign(ta.compare(pos, n, tb, pos2, n2)));
    ASSERT_EQ(Sign(sub.compare(b.c_str())), Sign(ta.compare(pos, n, b.c_str())));  // up to the terminator
  }
  EXPECT_GT(tstring(L"a").compare(static_cast<const wchar_t*>(nullptr)), 0);
  EXPECT_TRUE(tstring(L"x") == L'x' && tstring(L"xa") > L'x' && tstring() < L'x');
}

// Copies share one record; null or no characters give the one empty string.
TEST(TString, CopiesShareOneRecordUntilTheLastGoes) {
  unsigned before = RecordsInUse();
  {
    tstring a(L"0123456789abcdefghijklmnop"), c, other(L"other");
    const wchar_t* chars = a.data();
    c = a;
    tstring moved(std::move(c));
    a = a;
    moved.swap(other);
    EXPECT_EQ(chars, other.data());
    EXPECT_EQ(chars, a.substr().data());
    EXPECT_EQ(L"other", Std(moved));
    EXPECT_EQ(before + 2, RecordsInUse());
    EXPECT_EQ(tstring::GetEmptyString()->Data(), tstring(nullptr, 5).data());
    EXPECT_EQ(tstring::GetEmptyString()->Data(), tstring(L"abc", 0).data());
  }
  EXPECT_EQ(before, RecordsInUse());
}

TEST(TString, FormatsWithWideRulesUpTo65535Characters) {
  tstring s;
  EXPECT_TRUE(s.format(L"%s|%hs|%04x|%I64d", L"wide", "narrow", 0xAB, -1234567890123LL));
  EXPECT_EQ(L"wide|narrow|00ab|-1234567890123", Std(s));
  EXPECT_TRUE(s.format(nullptr) && s.empty());
  const std::tuple<unsigned, unsigned, bool> cases[] = {{1023, 0, true},     {1024, 1, true},     {65535, 0, true},
                                                       {32768, 32767, true}, {65536, 0, false}, {32768, 32768, false}};
  for (const auto& [lengthA, lengthB, fits] : cases) {
    tstring a(lengthA, L'x'), b(lengthB, L'y');
    s = L"previous";
    EXPECT_EQ(fits, s.format(L"%s%s", a.c_str(), b.c_str())) << lengthA << "+" << lengthB;
    EXPECT_EQ(fits ? Std(a) + Std(b) : std::wstring(), Std(s));
  }
}

// One thread appends to its copies of a string while three others keep copying the original,
// changing their own copies and letting them go.
TEST(TStringCopyDuringEdit, AppendingToACopyNeverShowsInTheOriginalOrItsOtherCopies) {
  ScopedLocks locks;
  unsigned records = RecordsInUse();
  {
    tstring original(kOriginal);
    const wchar_t* chars = original.data();
    std::atomic<bool> appending{true};
    std::atomic<int> wrongCopies{0};
    std::vector<std::thread> copiers;
    for (int t = 0; t < 3; ++t) {
      copiers.emplace_back([&] {
        while (appending.load()) {
          tstring copy(original), second(copy);
          if (copy.data() != chars || Std(copy) != kOriginal) ++wrongCopies;
          second.push_back(L'!');
          if (second.data() == chars || Std(second) != std::wstring(kOriginal) + L'!') ++wrongCopies;
        }
      });
    }
    const std::wstring appended = L" and what one holder appends to it, one character at a time";
    for (int round = 0; round < 200; ++round) {
      tstring mine(original);
      for (wchar_t c : appended) mine.push_back(c);
      ASSERT_EQ(kOriginal + appended, Std(mine)) << "round " << round;
    }
    appending = false;
    for (std::thread& copier : copiers) copier.join();
    EXPECT_EQ(0, wrongCopies.load());
    EXPECT_EQ(kOriginal, Std(original));
    EXPECT_EQ(records + 1, RecordsInUse());
    original[0] = L'#';  // the only holder: changed in place
    EXPECT_EQ(chars, original.data());
  }
  EXPECT_EQ(records, RecordsInUse());
}
