// ReplaceAll against a std::wstring model that follows the rule step by step: replace at the hit,
// search again after the inserted text, stop at the end.
#include <gtest/gtest.h>

#include <string>

#include "orvutil/foundation.h"
#include "tstring_print.h"

namespace {

std::wstring Model(std::wstring s, const std::wstring& from, const std::wstring& to) {
  if (from.empty()) return s;
  for (size_t at = s.find(from); at != std::wstring::npos; at = s.find(from, at)) {
    s.replace(at, from.size(), to);
    at += to.size();
    if (at >= s.size()) break;
  }
  return s;
}

std::wstring Ours(const std::wstring& s, const wchar_t* from, const wchar_t* to) {
  Orv::tstring text(s.c_str(), static_cast<unsigned>(s.size()));
  Orv::ReplaceAll(text, from, to);
  return std::wstring(text.c_str(), text.size());
}

std::wstring Random(unsigned& seed, unsigned maxLength) {
  seed = seed * 1103515245u + 12345u;
  std::wstring s((seed >> 16) % (maxLength + 1), L'a');
  for (wchar_t& c : s) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<wchar_t>(L'a' + (seed >> 16) % 3);
  }
  return s;
}

}  // namespace

TEST(ReplaceAllModel, GeneratedTextsMatchTheModel) {
  unsigned seed = 11;
  for (int i = 0; i < 3000; ++i) {
    std::wstring text = Random(seed, 40), from = Random(seed, 3), to = Random(seed, 4);
    ASSERT_EQ(Ours(text, from.c_str(), to.c_str()), Model(text, from, to))
        << ::testing::PrintToString(Orv::tstring(text.c_str())) << " "
        << ::testing::PrintToString(Orv::tstring(from.c_str())) << " "
        << ::testing::PrintToString(Orv::tstring(to.c_str()));
  }
  EXPECT_EQ(Ours(L"abc", L"b", nullptr), L"ac");
  EXPECT_EQ(Ours(L"abc", nullptr, L"x"), L"abc");
}

TEST(ReplaceAllModel, MillionReplacementsInOnePass) {
  // Every character is replaced: each one shifting the rest of the text would take minutes.
  EXPECT_EQ(Ours(std::wstring(1000000, L'a'), L"a", L"bb"), std::wstring(2000000, L'b'));
  EXPECT_EQ(Ours(std::wstring(1000000, L'a'), L"aa", L""), L"");
}
