// find with long patterns against std::wstring::find, on the texts that make a naive search slow:
// periodic texts with patterns that almost match everywhere.
#include <gtest/gtest.h>

#include <string>

#include "orvutil/foundation/tstring.h"
#include "tstring_print.h"

namespace {

unsigned Next(unsigned& seed) {
  seed = seed * 1103515245u + 12345u;
  return seed >> 16;
}

// A text over few letters, made of repeats of a short random word with occasional changes.
std::wstring Periodic(unsigned& seed, size_t length) {
  std::wstring word(1 + Next(seed) % 4, L'a');
  for (wchar_t& c : word) c = static_cast<wchar_t>(L'a' + Next(seed) % 2);
  std::wstring s;
  while (s.size() < length) s += word;
  s.resize(length);
  for (unsigned changes = Next(seed) % 3; changes; --changes) s[Next(seed) % length] = L'c';
  return s;
}

Orv::tstring::size_type Expected(const std::wstring& text, const std::wstring& pattern, size_t pos) {
  if (pattern.empty()) return Orv::tstring::npos;  // an empty pattern is never found
  size_t at = text.find(pattern, pos);
  return at == std::wstring::npos ? Orv::tstring::npos : static_cast<Orv::tstring::size_type>(at);
}

}  // namespace

TEST(TStringFindLongPattern, GeneratedPeriodicTextsMatchTheStandardString) {
  unsigned seed = 5;
  for (int i = 0; i < 1500; ++i) {
    std::wstring text = Periodic(seed, 1 + Next(seed) % 300);
    size_t from = Next(seed) % text.size();
    std::wstring pattern = text.substr(from, Next(seed) % 120);
    if (Next(seed) % 2 && !pattern.empty()) pattern[Next(seed) % pattern.size()] ^= 1;  // a near miss
    Orv::tstring ours(text.c_str(), static_cast<unsigned>(text.size()));
    Orv::tstring needle(pattern.c_str(), static_cast<unsigned>(pattern.size()));
    for (size_t pos : {size_t(0), from, from + 1, text.size() / 2}) {
      ASSERT_EQ(ours.find(needle, static_cast<unsigned>(pos)), Expected(text, pattern, pos))
          << ::testing::PrintToString(ours) << " " << ::testing::PrintToString(needle) << " at " << pos;
    }
  }
}

TEST(TStringFindLongPattern, AlmostMatchingLongPatternInALongText) {
  // 80,000 a's searched for 39,999 a's and a b: every position nearly matches.
  std::wstring text(80000, L'a');
  std::wstring pattern(39999, L'a');
  pattern += L'b';
  Orv::tstring ours(text.c_str(), 80000u);
  EXPECT_EQ(ours.find(pattern.c_str(), 0, 40000u), Orv::tstring::npos);
  text[70000] = L'b';
  Orv::tstring found(text.c_str(), 80000u);
  EXPECT_EQ(found.find(pattern.c_str(), 0, 40000u), Expected(text, pattern, 0));
  EXPECT_EQ(found.find(pattern.c_str(), 30002, 40000u), Expected(text, pattern, 30002));
}
