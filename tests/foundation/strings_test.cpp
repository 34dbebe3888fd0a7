// String utilities against std::wstring models: case folding, strip and split over random
// inputs; resource strings with the instance override; command lines.
// Also ReplaceAll against a std::wstring model that follows the rule step by step: replace at the hit,
// search again after the inserted text, stop at the end.
#include <windows.h>

#include <gtest/gtest.h>

#include <oleauto.h>

#include <cwctype>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;

namespace {

// The characters of a BSTR, which is freed; "<null>" for none.
std::wstring Owned(BSTR bstr) {
  std::wstring text = bstr ? std::wstring(bstr, SysStringLen(bstr)) : L"<null>";
  SysFreeString(bstr);
  return text;
}

std::vector<std::wstring> Pieces(const Orv::tObjVector<tstring>& pieces) {
  std::vector<std::wstring> out;
  for (const tstring& piece : pieces) out.push_back(Std(piece));
  return out;
}

std::wstring ModelStrip(const std::wstring& s) {
  size_t first = s.find_first_not_of(L" \t\r\n");
  return first == std::wstring::npos ? std::wstring() : s.substr(first, s.find_last_not_of(L" \t\r\n") - first + 1);
}

// Every piece between delimiters; a last empty piece is never kept, other empty ones on request.
std::vector<std::wstring> ModelSplit(const std::wstring& s, const std::wstring& delimiters, bool keepEmpty) {
  std::vector<std::wstring> pieces;
  size_t start = 0;
  for (size_t end; (end = s.find_first_of(delimiters, start)) != std::wstring::npos; start = end + 1)
    if (keepEmpty || end > start) pieces.push_back(s.substr(start, end - start));
  if (start < s.size()) pieces.push_back(s.substr(start));
  return pieces;
}

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

TEST(Strings, FoldingStripAndSplitMatchModels) {
  std::mt19937 random(5u);
  for (int round = 0; round < 2000; ++round) {
    std::wstring text = RandomText(random, L"aAbB,; \t\r\n\v\x00C9", 10);
    unsigned n = std::min<unsigned>(random() % 12, static_cast<unsigned>(text.size()));
    std::wstring lower = text, partial = text, upper = text;
    for (wchar_t& c : lower) c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
    EXPECT_EQ(lower.substr(0, n), Std(Orv::CanonicalizeString(text.c_str(), n)));
    Orv::CanonicalizeStringInPlace(partial.data(), n);
    EXPECT_EQ(lower.substr(0, n) + text.substr(n), partial);
    Orv::UpperCaseInPlace(upper.data(), Orv::kToTerminator);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(towupper(c));
    EXPECT_EQ(lower, upper);

    tstring s(text.c_str());
    EXPECT_EQ(ModelStrip(text), Std(Orv::StripSpaces(s, true, true))) << round;
    bool keepEmpty = random() % 2;
    EXPECT_EQ(ModelSplit(text, L",;", keepEmpty), Pieces(Orv::SplitString(text.c_str(), L",;", keepEmpty))) << round;
  }
  EXPECT_TRUE(Orv::SplitString(L"a,b", nullptr, true).IsEmpty());
  EXPECT_EQ(L"", Std(Orv::CanonicalizeString(nullptr, Orv::kToTerminator)));
}

TEST(Strings, ResourceStringsFollowTheNestedInstanceOverride) {
  const HINSTANCE self = GetModuleHandleW(nullptr), library = GetModuleHandleW(L"orvutil.dll");
  wchar_t buffer[64];
  const std::wstring hello(buffer, ::LoadStringW(self, 4711, buffer, 64));  // the system's reading
  ASSERT_FALSE(hello.empty());
  {
    Orv::InstanceOverride outer(self);
    {
      Orv::InstanceOverride inner(library);
      EXPECT_EQ(L"", Std(Orv::LoadStringW(self, 4711)));  // the library has no such string
    }
    EXPECT_EQ(hello, Std(Orv::LoadStringW(library, 4711)));
    EXPECT_EQ(hello, Owned(Orv::LoadBSTR(nullptr, 4711)));
  }
  EXPECT_EQ(nullptr, Orv::InstanceOverride::GetCurrent());
  EXPECT_EQ(L"", Owned(Orv::LoadBSTR(self, 999)));  // empty, not null
}

TEST(Strings, CommandLinesSplitAtWhiteSpaceOutsideQuotes) {
  const std::pair<const wchar_t*, std::vector<std::wstring>> cases[] = {
      {L"prog \"a b\" 'c d' e", {L"prog", L"a b", L"c d", L"e"}},
      {L"x\"y z\"w  'it\"s'", {L"xy zw", L"it\"s"}},
      {L"  \t a\t\tb \r\n ", {L"a", L"b"}},
      {L"a \"\" '' b", {L"a", L"b"}},
      {L"a \"b c", {L"a", L"b c"}},
      {L"", {}}};
  Orv::tObjVector<tstring> words;
  for (const auto& [line, expected] : cases) {
    Orv::TokenizeCommandLine(line, words);
    EXPECT_EQ(expected, Pieces(words));
  }
  Orv::TokenizeCommandLine(nullptr, words);  // the process command line
  ASSERT_FALSE(words.IsEmpty());
  EXPECT_NE(tstring::npos, words[0].find(L"foundation_tests"));
}

TEST(ReplaceAllModel, GeneratedTextsMatchTheModel) {
  std::mt19937 random(11u);
  for (int i = 0; i < 3000; ++i) {
    std::wstring text = RandomText(random, L"abc", 40), from = RandomText(random, L"abc", 3), to = RandomText(random, L"abc", 4);
    ASSERT_EQ(Model(text, from, to), Ours(text, from.c_str(), to.c_str()))
        << ::testing::PrintToString(Orv::tstring((text + L" " + from + L" " + to).c_str()));
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
