// String utilities: case folding, resource strings and the instance override, replace, strip,
// split, date and time stamps and command-line tokenising.
#include <windows.h>

#include <gtest/gtest.h>

#include <oleauto.h>

#include <cwchar>
#include <cwctype>

#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tObjVector;
using Orv::tstring;

namespace {

const unsigned int kNpos = 0xFFFFFFFFu;
const unsigned int kHelloId = 4711;
const unsigned int kSecondId = 4712;

tObjVector<tstring> Pieces(std::initializer_list<const wchar_t*> list) {
  tObjVector<tstring> result;
  for (const wchar_t* s : list) result.PushBack(tstring(s));
  return result;
}

void ExpectPieces(const tObjVector<tstring>& actual, std::initializer_list<const wchar_t*> expected) {
  tObjVector<tstring> want = Pieces(expected);
  ASSERT_EQ(actual.Count(), want.Count());
  for (unsigned i = 0; i < want.Count(); ++i) EXPECT_EQ(actual[i], want[i]) << "piece " << i;
}

HINSTANCE TestModule() {
  return GetModuleHandleW(nullptr);
}
HINSTANCE LibraryModule() {
  return GetModuleHandleW(L"orvutil.dll");
}

}  // namespace

// ---- Case folding ----------------------------------------------------------------------------

TEST(StrutilCase, CanonicalizeLowersAsciiCapitalsOnly) {
  EXPECT_EQ(Orv::CanonicalizeString(L"Hello, WORLD @[`{ 09"), L"hello, world @[`{ 09");
  // Non-ASCII capitals are left alone: no locale.
  EXPECT_EQ(Orv::CanonicalizeString(L"\u00C0B\u0130Z"), L"\u00C0b\u0130z");
}

TEST(StrutilCase, CanonicalizeHonoursLengths) {
  EXPECT_EQ(Orv::CanonicalizeString(L"ABCDEF", 3), L"abc");
  EXPECT_EQ(Orv::CanonicalizeString(L"ABCDEF", 0), L"");
  EXPECT_EQ(Orv::CanonicalizeString(nullptr, kNpos), L"");

  wchar_t text[] = L"ABCDEF";
  Orv::CanonicalizeStringInPlace(text, 2);
  EXPECT_STREQ(text, L"abCDEF");
  // npos stops at the terminator: nothing after it changes.
  wchar_t two[] = L"AB\0CD";
  Orv::CanonicalizeStringInPlace(two, kNpos);
  EXPECT_EQ(two[0], L'a');
  EXPECT_EQ(two[1], L'b');
  EXPECT_EQ(two[3], L'C');
  EXPECT_EQ(two[4], L'D');
  // An explicit length goes past embedded zeros.
  Orv::CanonicalizeStringInPlace(two, 5);
  EXPECT_EQ(two[3], L'c');
  Orv::CanonicalizeStringInPlace(nullptr, kNpos);
  Orv::CanonicalizeStringInPlace(nullptr, 4);
}

TEST(StrutilCase, LowerAndUpperCaseUseTheRuntimeMapping) {
  wchar_t text[] = L"MiXeD 123 z";
  Orv::UpperCaseInPlace(text, kNpos);
  EXPECT_STREQ(text, L"MIXED 123 Z");
  Orv::LowerCaseInPlace(text, 5);
  EXPECT_STREQ(text, L"mixed 123 Z");
  wchar_t accented[] = L"\u00C9";
  Orv::LowerCaseInPlace(accented, kNpos);
  EXPECT_EQ(accented[0], static_cast<wchar_t>(towlower(L'\u00C9')));
  Orv::LowerCaseInPlace(nullptr, kNpos);
  Orv::UpperCaseInPlace(nullptr, 3);
}

// ---- Resource strings ------------------------------------------------------------------------

TEST(StrutilResources, LoadStringFromTheGivenModule) {
  EXPECT_EQ(Orv::LoadStringW(TestModule(), kHelloId), L"Hello from the test resources");
  EXPECT_EQ(Orv::LoadStringW(TestModule(), kSecondId), L"Second string, with a comma");
  EXPECT_EQ(Orv::LoadStringW(TestModule(), 999), L"");          // no such string
  EXPECT_EQ(Orv::LoadStringW(nullptr, kHelloId), L"");          // no module and no override
  EXPECT_EQ(Orv::LoadStringW(LibraryModule(), kHelloId), L"");  // the library has no such string
}

TEST(StrutilResources, OverrideReplacesTheModuleAndNestsInReverse) {
  ASSERT_EQ(Orv::InstanceOverride::GetCurrent(), nullptr);
  {
    Orv::InstanceOverride outer(TestModule());
    EXPECT_EQ(Orv::InstanceOverride::GetCurrent(), TestModule());
    EXPECT_EQ(Orv::LoadStringW(nullptr, kHelloId), L"Hello from the test resources");
    EXPECT_EQ(Orv::LoadStringW(LibraryModule(), kHelloId), L"Hello from the test resources");
    {
      Orv::InstanceOverride inner(LibraryModule());
      EXPECT_EQ(Orv::LoadStringW(TestModule(), kHelloId), L"");
    }
    EXPECT_EQ(Orv::InstanceOverride::GetCurrent(), TestModule());
    EXPECT_EQ(Orv::LoadStringW(LibraryModule(), kSecondId), L"Second string, with a comma");
  }
  EXPECT_EQ(Orv::InstanceOverride::GetCurrent(), nullptr);
  EXPECT_EQ(Orv::LoadStringW(LibraryModule(), kHelloId), L"");
}

TEST(StrutilResources, OverrideWorksWhileCriticalSectionsAreAllowed) {
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(true);
  {
    Orv::InstanceOverride scope(TestModule());
    EXPECT_EQ(Orv::LoadStringW(nullptr, kSecondId), L"Second string, with a comma");
  }
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(false);
  EXPECT_EQ(Orv::InstanceOverride::GetCurrent(), nullptr);
}

TEST(StrutilResources, LoadBSTRMakesABstrOrAnEmptyOne) {
  wchar_t* bstr = Orv::LoadBSTR(TestModule(), kHelloId);
  ASSERT_NE(bstr, nullptr);
  EXPECT_STREQ(bstr, L"Hello from the test resources");
  EXPECT_EQ(SysStringLen(bstr), wcslen(L"Hello from the test resources"));
  SysFreeString(bstr);

  bstr = Orv::LoadBSTR(TestModule(), 999);
  ASSERT_NE(bstr, nullptr);
  EXPECT_EQ(SysStringLen(bstr), 0u);
  SysFreeString(bstr);

  {
    Orv::InstanceOverride scope(TestModule());
    bstr = Orv::LoadBSTR(nullptr, kSecondId);
    EXPECT_STREQ(bstr, L"Second string, with a comma");
    SysFreeString(bstr);
  }
}

// ---- ReplaceAll ------------------------------------------------------------------------------

TEST(StrutilReplace, ContinuesAfterEachReplacement) {
  tstring s(L"aaa");
  EXPECT_EQ(Orv::ReplaceAll(s, L"a", L"aa"), L"aaaaaa");
  s = L"abab";
  EXPECT_EQ(Orv::ReplaceAll(s, L"ab", L"abab"), L"abababab");
  s = L"one two one";
  EXPECT_EQ(Orv::ReplaceAll(s, L"one", L"1"), L"1 two 1");
  s = L"xxxx";
  EXPECT_EQ(Orv::ReplaceAll(s, L"xx", L"x"), L"xx");
}

TEST(StrutilReplace, EmptyOrNullPatterns) {
  tstring s(L"abc");
  EXPECT_EQ(Orv::ReplaceAll(s, L"", L"zz"), L"abc");
  EXPECT_EQ(Orv::ReplaceAll(s, nullptr, L"zz"), L"abc");
  EXPECT_EQ(Orv::ReplaceAll(s, L"b", nullptr), L"ac");
  EXPECT_EQ(Orv::ReplaceAll(s, L"ac", L""), L"");
  EXPECT_EQ(Orv::ReplaceAll(s, L"a", L"b"), L"");
}

TEST(StrutilReplace, PatternsTakenFromTheStringItself) {
  tstring s(L"abcabc");
  const wchar_t* inside = s.c_str() + 3;  // "abc" at the end of the string's own buffer
  EXPECT_EQ(Orv::ReplaceAll(s, inside, L"-"), L"--");
  tstring t(L"xy");
  EXPECT_EQ(Orv::ReplaceAll(t, L"x", t.c_str()), L"xyy");
}

TEST(StrutilReplace, CharacterForm) {
  tstring s(L"a.b.c.");
  EXPECT_EQ(Orv::ReplaceAll(s, L'.', L'/'), L"a/b/c/");
  tstring shared(s);
  Orv::ReplaceAll(shared, L'q', L'r');
  EXPECT_EQ(shared.c_str(), s.c_str());  // nothing changed: still sharing
  Orv::ReplaceAll(shared, L'a', L'A');
  EXPECT_EQ(shared, L"A/b/c/");
  EXPECT_EQ(s, L"a/b/c/");  // the copy was unshared before the change
}

// ---- StripSpaces -----------------------------------------------------------------------------

TEST(StrutilStrip, RemovesTheWhitespaceSetAtBothEnds) {
  tstring s(L"   ");
  EXPECT_EQ(Orv::StripSpaces(s, true, true), L"");
  s = L"\tx\n";
  EXPECT_EQ(Orv::StripSpaces(s, false, false), L"x");
  s = L" \r\n a b \t ";
  EXPECT_EQ(Orv::StripSpaces(s, true, false), L"a b");
  s = L"\va\v";  // vertical tab is not in the set
  EXPECT_EQ(Orv::StripSpaces(s, true, true), L"\va\v");
  s = L"";
  EXPECT_EQ(Orv::StripSpaces(s, true, true), L"");
  s = L"keep";
  EXPECT_EQ(Orv::StripSpaces(s, true, true), L"keep");
}

// ---- SplitString -----------------------------------------------------------------------------

TEST(StrutilSplit, EmptyPiecesOnlyWithKeepEmpty) {
  ExpectPieces(Orv::SplitString(L"a,,b", L",", false), {L"a", L"b"});
  ExpectPieces(Orv::SplitString(L"a,,b", L",", true), {L"a", L"", L"b"});
  ExpectPieces(Orv::SplitString(L"a,b,", L",", true), {L"a", L"b"});
  ExpectPieces(Orv::SplitString(L",a", L",", true), {L"", L"a"});
  ExpectPieces(Orv::SplitString(L",a", L",", false), {L"a"});
  ExpectPieces(Orv::SplitString(L",,", L",", true), {L"", L""});
}

TEST(StrutilSplit, AnyDelimiterCharacterSplits) {
  ExpectPieces(Orv::SplitString(L"x;y z;;w", L"; ", false), {L"x", L"y", L"z", L"w"});
  ExpectPieces(Orv::SplitString(L"nodelims", L",", true), {L"nodelims"});
}

TEST(StrutilSplit, MissingInputGivesNothing) {
  EXPECT_EQ(Orv::SplitString(nullptr, L",", true).Count(), 0u);
  EXPECT_EQ(Orv::SplitString(L"a,b", nullptr, true).Count(), 0u);
  EXPECT_EQ(Orv::SplitString(L"a,b", L"", true).Count(), 0u);
  EXPECT_EQ(Orv::SplitString(L"", L",", true).Count(), 0u);
}

// ---- Date and time ---------------------------------------------------------------------------

TEST(StrutilStamps, DateAndTimeFormats) {
  SYSTEMTIME before;
  GetLocalTime(&before);
  tstring date = Orv::GetDateAsString();
  tstring time = Orv::GetTimeAsString();
  ASSERT_EQ(date.size(), 10u) << ::testing::PrintToString(date);
  EXPECT_EQ(date[2], L'/');
  EXPECT_EQ(date[5], L'/');
  int month = 0, day = 0, year = 0;
  ASSERT_EQ(swscanf(date.c_str(), L"%2d/%2d/%4d", &month, &day, &year), 3);
  EXPECT_GE(month, 1);
  EXPECT_LE(month, 12);
  EXPECT_GE(day, 1);
  EXPECT_LE(day, 31);
  EXPECT_GE(year, before.wYear);  // month first, then day, then the four-digit year

  ASSERT_EQ(time.size(), 8u) << ::testing::PrintToString(time);
  int hour = -1, minute = -1, second = -1;
  ASSERT_EQ(swscanf(time.c_str(), L"%2d:%2d:%2d", &hour, &minute, &second), 3);
  EXPECT_LE(hour, 23);
  EXPECT_LE(minute, 59);
  EXPECT_LE(second, 59);
}

// ---- TokenizeCommandLine ---------------------------------------------------------------------

TEST(StrutilTokenize, QuotesGroupWords) {
  tObjVector<tstring> words;
  Orv::TokenizeCommandLine(L"prog \"a b\" 'c d' e", words);
  ExpectPieces(words, {L"prog", L"a b", L"c d", L"e"});
  Orv::TokenizeCommandLine(L"x\"y z\"w  'it\"s'", words);
  ExpectPieces(words, {L"xy zw", L"it\"s"});
}

TEST(StrutilTokenize, WhitespaceEmptyQuotesAndUnclosedQuotes) {
  tObjVector<tstring> words;
  Orv::TokenizeCommandLine(L"  \t a\t\tb \r\n ", words);
  ExpectPieces(words, {L"a", L"b"});
  Orv::TokenizeCommandLine(L"a \"\" '' b", words);
  ExpectPieces(words, {L"a", L"b"});
  Orv::TokenizeCommandLine(L"a \"b c", words);
  ExpectPieces(words, {L"a", L"b c"});
  Orv::TokenizeCommandLine(L"", words);
  EXPECT_EQ(words.Count(), 0u);  // earlier words are cleared
}

TEST(StrutilTokenize, NullLineMeansTheProcessCommandLine) {
  tObjVector<tstring> words;
  words.PushBack(tstring(L"stale"));
  Orv::TokenizeCommandLine(nullptr, words);
  ASSERT_GE(words.Count(), 1u);
  EXPECT_NE(words[0].find(L"foundation_tests"), tstring::npos) << ::testing::PrintToString(words[0]);
  for (const tstring& word : words) EXPECT_NE(word, L"stale");
}
