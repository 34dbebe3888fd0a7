// Conversions between the library string and UTF-16, the ANSI code page, UTF-8, BSTRs and GUID
// text.
#include <windows.h>

#include <gtest/gtest.h>

#include <objbase.h>
#include <oleauto.h>

#include <cstring>
#include <string>

#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;
using Orv::tVectorPOD;

namespace {

const unsigned int kNpos = 0xFFFFFFFFu;

// UTF-8 of `s` by the system converter, for checking round trips independently.
std::string SystemUtf8(const tstring& s) {
  int bytes = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), &out[0], bytes, nullptr, nullptr);
  return out;
}

bool OnlyReplacementCharacters(const tstring& s, unsigned from) {
  for (unsigned i = from; i < s.size(); ++i)
    if (s[i] != 0xFFFD) return false;
  return true;
}

const GUID kSampleGuid = {0x6B29FC40, 0xCA47, 0x1067, {0xB3, 0x1D, 0x00, 0xDD, 0x01, 0x06, 0x62, 0xDA}};

bool IsZero(const GUID& g) {
  static const GUID zero = {};
  return memcmp(&g, &zero, sizeof g) == 0;
}

}  // namespace

// ---- UTF-16 and BSTR -------------------------------------------------------------------------

TEST(StrutilConvert, UnicodeCopiesUpToTheTerminatorOrTheLength) {
  EXPECT_EQ(Orv::StringFromUnicode(L"abc", kNpos), L"abc");
  EXPECT_EQ(Orv::StringFromUnicode(L"abc", 10), L"abc");   // stops at the terminator
  EXPECT_EQ(Orv::StringFromUnicode(L"abcdef", 2), L"ab");  // and never reads past the length
  EXPECT_EQ(Orv::StringFromUnicode(L"abc", 0), L"");
  EXPECT_EQ(Orv::StringFromUnicode(L"", kNpos), L"");
  EXPECT_EQ(Orv::StringFromUnicode(nullptr, kNpos), L"");
  EXPECT_EQ(Orv::StringToUnicode(L"\u20AC\U0001F600", kNpos), L"\u20AC\U0001F600");
  EXPECT_EQ(Orv::StringToUnicode(L"xyz", 1), L"x");
  EXPECT_EQ(Orv::StringToUnicode(nullptr, 3), L"");
}

TEST(StrutilConvert, BstrBothWays) {
  wchar_t* bstr = Orv::StringToBSTR(L"abcdef", 3);
  ASSERT_NE(bstr, nullptr);
  EXPECT_EQ(SysStringLen(bstr), 3u);
  EXPECT_EQ(Orv::StringFromBSTR(bstr), L"abc");
  SysFreeString(bstr);

  bstr = Orv::StringToBSTR(L"abcdef", kNpos);
  EXPECT_EQ(SysStringLen(bstr), 6u);
  EXPECT_EQ(Orv::StringFromBSTR(bstr), L"abcdef");
  SysFreeString(bstr);

  EXPECT_EQ(Orv::StringToBSTR(nullptr, kNpos), nullptr);
  EXPECT_EQ(Orv::StringToBSTR(nullptr, 5), nullptr);
  EXPECT_EQ(Orv::StringFromBSTR(nullptr), L"");
  bstr = SysAllocString(L"");
  EXPECT_EQ(Orv::StringFromBSTR(bstr), L"");
  SysFreeString(bstr);
  // A BSTR with an embedded zero gives the text up to it.
  bstr = SysAllocStringLen(L"ab\0cd", 5);
  EXPECT_EQ(Orv::StringFromBSTR(bstr), L"ab");
  SysFreeString(bstr);
}

TEST(StrutilConvert, SysStringOwnsItsBstr) {
  Orv::CSysString text(L"owned text");
  wchar_t* bstr = text;
  ASSERT_NE(bstr, nullptr);
  EXPECT_STREQ(bstr, L"owned text");
  EXPECT_EQ(SysStringLen(bstr), 10u);
  Orv::CSysString none(nullptr);
  EXPECT_EQ(static_cast<wchar_t*>(none), nullptr);
}

// ---- UTF-8 -----------------------------------------------------------------------------------

TEST(StrutilConvert, Utf8OfAllSequenceLengthsRoundTrips) {
  // 1-, 2-, 3- and 4-byte sequences: A, e-acute, euro sign, grinning face (a surrogate pair).
  const char utf8[] = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";
  tstring s = Orv::StringFromUTF8(utf8, kNpos);
  ASSERT_EQ(s.size(), 6u) << ::testing::PrintToString(s);
  EXPECT_EQ(s, L"A\u00E9\u20AC\xD83D\xDE00z");
  EXPECT_EQ(SystemUtf8(s), std::string(utf8));
  EXPECT_EQ(Orv::StringFromUTF8(utf8, static_cast<unsigned>(strlen(utf8))), s);
}

TEST(StrutilConvert, Utf8LengthEndingMidSequenceNeverReadsPast) {
  // The bytes after the length would complete the sequence: reading past them would show a euro.
  const char utf8[] =
      "ab\xE2\x82\xAC"
      "cd";
  tstring s = Orv::StringFromUTF8(utf8, 4);  // stops after two of the three bytes
  ASSERT_GE(s.size(), 2u);
  EXPECT_EQ(s.substr(0, 2), L"ab");
  EXPECT_TRUE(OnlyReplacementCharacters(s, 2)) << ::testing::PrintToString(s);
  EXPECT_EQ(s.find(L'\u20AC'), tstring::npos);
  EXPECT_EQ(s.find(L'c'), tstring::npos);

  const char four[] = "\xF0\x9F\x98\x80!";
  tstring t = Orv::StringFromUTF8(four, 3);
  EXPECT_TRUE(OnlyReplacementCharacters(t, 0)) << ::testing::PrintToString(t);
  EXPECT_EQ(t.find(L'!'), tstring::npos);
  EXPECT_EQ(Orv::StringFromUTF8(four, 4), L"\xD83D\xDE00");
}

TEST(StrutilConvert, InvalidUtf8IsReplacedNotSkippedPast) {
  tstring s = Orv::StringFromUTF8(
      "a\xFF"
      "b",
      kNpos);
  ASSERT_GE(s.size(), 3u);
  EXPECT_EQ(s[0], L'a');
  EXPECT_EQ(s[s.size() - 1], L'b');
  EXPECT_TRUE(OnlyReplacementCharacters(s.substr(1, s.size() - 2), 0)) << ::testing::PrintToString(s);
  // A lone continuation byte and an encoded surrogate (not allowed in UTF-8).
  tstring lone = Orv::StringFromUTF8("\x80x", kNpos);
  ASSERT_GE(lone.size(), 2u);
  EXPECT_EQ(lone[lone.size() - 1], L'x');
  EXPECT_EQ(lone.find(L'\x80'), tstring::npos);
  tstring surrogate = Orv::StringFromUTF8("\xED\xA0\x80", kNpos);
  EXPECT_EQ(surrogate.find(L'\xD800'), tstring::npos);
}

TEST(StrutilConvert, Utf8EmptyNullAndOversizedLengths) {
  EXPECT_EQ(Orv::StringFromUTF8(nullptr, kNpos), L"");
  EXPECT_EQ(Orv::StringFromUTF8("", kNpos), L"");
  EXPECT_EQ(Orv::StringFromUTF8("abc", 0), L"");
  EXPECT_EQ(Orv::StringFromUTF8("abc", 0x80000000u), L"");  // does not fit the converter
  // An embedded zero is kept when the length says so.
  EXPECT_EQ(Orv::StringFromUTF8("ab\0cd", 5), tstring(L"ab\0cd", 5));
}

// ---- ANSI code page --------------------------------------------------------------------------

TEST(StrutilConvert, AcpBothWays) {
  EXPECT_EQ(Orv::StringFromACP("hello", kNpos), L"hello");
  EXPECT_EQ(Orv::StringFromACP("hello", 3), L"hel");
  EXPECT_EQ(Orv::StringFromACP("hello", 0), L"");
  EXPECT_EQ(Orv::StringFromACP(nullptr, 3), L"");
  EXPECT_EQ(Orv::StringFromACP("", kNpos), L"");
  EXPECT_EQ(Orv::StringFromACP("hello", 0x90000000u), L"");

  tVectorPOD<char> out;
  ASSERT_TRUE(Orv::StringToACP(out, L"abc", kNpos));
  ASSERT_EQ(out.Count(), 4u);  // with the terminator
  EXPECT_STREQ(out.Data(), "abc");
  ASSERT_TRUE(Orv::StringToACP(out, L"abc", 2));
  ASSERT_EQ(out.Count(), 2u);
  EXPECT_EQ(std::string(out.Data(), 2), "ab");
  EXPECT_FALSE(Orv::StringToACP(out, L"abc", 0));
  EXPECT_EQ(out.Count(), 0u);
  EXPECT_FALSE(Orv::StringToACP(out, nullptr, kNpos));
  EXPECT_FALSE(Orv::StringToACP(out, L"abc", 0x80000001u));
}

TEST(StrutilConvert, AcpNonAsciiAndUnpairedSurrogates) {
  tVectorPOD<char> out;
  // An unpaired surrogate becomes one substitute byte; nothing is read past the terminator.
  ASSERT_TRUE(Orv::StringToACP(out,
                               L"a\xD800"
                               L"b",
                               kNpos));
  ASSERT_EQ(out.Count(), 4u);
  EXPECT_EQ(out[0], 'a');
  EXPECT_EQ(out[2], 'b');
  EXPECT_EQ(out[3], '\0');

  if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page " << GetACP();
  ASSERT_TRUE(Orv::StringToACP(out, L"caf\u00E9", kNpos));
  ASSERT_EQ(out.Count(), 5u);
  EXPECT_EQ(static_cast<unsigned char>(out[3]), 0xE9);
  EXPECT_EQ(Orv::StringFromACP(out.Data(), kNpos), L"caf\u00E9");
}

// ---- GUID text -------------------------------------------------------------------------------

TEST(StrutilGuid, TextRoundTrip) {
  tstring text = Orv::StringFromGUID(kSampleGuid);
  EXPECT_EQ(text, L"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
  GUID back;
  ASSERT_TRUE(Orv::StringToGUID(text.c_str(), back));
  EXPECT_TRUE(IsEqualGUID(back, kSampleGuid));
  ASSERT_TRUE(Orv::StringToGUID(L"{6b29fc40-ca47-1067-b31d-00dd010662da}", back));
  EXPECT_TRUE(IsEqualGUID(back, kSampleGuid));
  EXPECT_EQ(Orv::StringFromGUID(GUID_NULL), L"{00000000-0000-0000-0000-000000000000}");
}

TEST(StrutilGuid, MalformedTextGivesFalseAndZero) {
  const wchar_t* bad[] = {L"{6B29FC40-CA47-1067-B31D-00DD010662D}",
                          L"6B29FC40-CA47-1067-B31D-00DD010662DA",
                          L"{6B29FC40-CA47-1067-B31D-00DD010662DX}",
                          L"{6B29FC40+CA47-1067-B31D-00DD010662DA}",
                          L"not a guid",
                          L""};
  for (const wchar_t* text : bad) {
    GUID g = kSampleGuid;
    EXPECT_FALSE(Orv::StringToGUID(text, g)) << ::testing::PrintToString(tstring(text));
    EXPECT_TRUE(IsZero(g)) << ::testing::PrintToString(tstring(text));
  }
  GUID g = kSampleGuid;
  EXPECT_FALSE(Orv::StringToGUID(nullptr, g));
  EXPECT_TRUE(IsZero(g));
}
