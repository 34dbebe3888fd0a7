// ReplaceAll against a std::wstring model that follows the rule step by step: replace at the hit,
// search again after the inserted text, stop at the end.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "orvutil/foundation.h"
#include "tstring_print.h"

namespace {

std::wstring Model(std::wstring s, const std::wstring& from, const std::wstring& to) {
  for (size_t at = from.empty() ? std::wstring::npos : s.find(from); at != std::wstring::npos; at = s.find(from, at)) {
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

}  // namespace

TEST(ReplaceAllModel, GeneratedTextsMatchTheModel) {
  std::mt19937 random(11u);
  for (int i = 0; i < 3000; ++i) {
    std::wstring text = RandomText(random, L"abc", 40), from = RandomText(random, L"abc", 3), to = RandomText(random, L"abc", 4);
    ASSERT_EQ(Model(text, from, to), Ours(text, from.c_str(), to.c_str()))
        << ::testing::PrintToString(Orv::tstring(text.c_str())) << " " << ::testing::PrintToString(Orv::tstring(from.c_str()))
        << " " << ::testing::PrintToString(Orv::tstring(to.c_str()));
  }
  EXPECT_EQ(L"ac", Ours(L"abc", L"b", nullptr));
  EXPECT_EQ(L"abc", Ours(L"abc", nullptr, L"x"));
  Orv::tstring self(L"abcabc"), shared(L"a.b."), copy(shared);
  EXPECT_EQ(L"--", std::wstring(Orv::ReplaceAll(self, self.c_str() + 3, L"-").c_str()));  // a pattern inside the string
  EXPECT_EQ(L"a/b/", std::wstring(Orv::ReplaceAll(copy, L'.', L'/').c_str()));
  EXPECT_EQ(L"a.b.", std::wstring(shared.c_str()));
  // Every character is replaced: each one shifting the rest of the text would take minutes.
  EXPECT_EQ(std::wstring(2000000, L'b'), Ours(std::wstring(1000000, L'a'), L"a", L"bb"));
  EXPECT_EQ(L"", Ours(std::wstring(1000000, L'a'), L"aa", L""));
}
