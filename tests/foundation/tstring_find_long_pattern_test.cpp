// find with long patterns against std::wstring::find, on the texts that make a naive search slow:
// periodic texts with patterns that almost match everywhere.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "orvutil/foundation/tstring.h"
#include "tstring_print.h"

using Orv::tstring;

namespace {

tstring::size_type Expected(const std::wstring& text, const std::wstring& pattern, size_t pos) {
  size_t at = pattern.empty() ? std::wstring::npos : text.find(pattern, pos);  // an empty pattern is never found
  return at == std::wstring::npos ? tstring::npos : static_cast<tstring::size_type>(at);
}

}  // namespace

// Repeats of a short random word over two letters with occasional changes, searched for a piece of
// themselves or a near miss.
TEST(TStringFindLongPattern, GeneratedPeriodicTextsMatchTheStandardString) {
  std::mt19937 random(5u);
  for (int i = 0; i < 1500; ++i) {
    std::wstring word(1 + random() % 4, L'a'), text;
    for (wchar_t& c : word) c = static_cast<wchar_t>(L'a' + random() % 2);
    while (text.size() < 300) text += word;
    text.resize(1 + random() % 300);
    for (unsigned changes = random() % 3; changes; --changes) text[random() % text.size()] = L'c';
    size_t from = random() % text.size();
    std::wstring pattern = text.substr(from, random() % 120);
    if (random() % 2 && !pattern.empty()) pattern[random() % pattern.size()] ^= 1;
    tstring ours(text.c_str(), static_cast<unsigned>(text.size()));
    tstring needle(pattern.c_str(), static_cast<unsigned>(pattern.size()));
    for (size_t pos : {size_t(0), from, from + 1, text.size() / 2}) {
      ASSERT_EQ(Expected(text, pattern, pos), ours.find(needle, static_cast<unsigned>(pos)))
          << ::testing::PrintToString(ours) << " " << ::testing::PrintToString(needle) << " at " << pos;
    }
  }
  // 80,000 a's searched for 39,999 a's and a b: every position nearly matches.
  std::wstring text(80000, L'a'), pattern = std::wstring(39999, L'a') + L'b';
  EXPECT_EQ(tstring::npos, tstring(text.c_str(), 80000u).find(pattern.c_str(), 0, 40000u));
  text[70000] = L'b';
  for (unsigned pos : {0u, 30002u})
    EXPECT_EQ(Expected(text, pattern, pos), tstring(text.c_str(), 80000u).find(pattern.c_str(), pos, 40000u));
}
