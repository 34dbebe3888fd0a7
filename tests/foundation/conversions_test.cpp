// Conversions between the library string and UTF-16, UTF-8, the ANSI code page and BSTRs: round
// trips through the system converters, failures, and read bounds. The converters read no element
// beyond the length they are given and keep every element within it, embedded zeros and broken
// sequences included: inputs are placed right against a page that cannot be read, so one element
// too many ends the run. Without a length the byte converters stop at the first zero.
// Also GUID text both ways against the system's StringFromGUID2. Text is read by its syntax alone:
// program names and anything else that is not the braced registry form give false and a zero GUID,
// whatever the registry knows.
#include <windows.h>

#include <gtest/gtest.h>

#include <objbase.h>
#include <oleauto.h>

#include <cwctype>
#include <random>
#include <string>

#include "fenced_page.h"
#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;
using Orv::tVectorPOD;

namespace {

constexpr unsigned kNpos = 0xFFFFFFFFu;

std::string SystemUtf8(const std::wstring& s) {
  int bytes = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], bytes, nullptr, nullptr);
  return out;
}

// The system converter on an ordinary copy, which keeps embedded zeros: what a byte converter must
// produce.
std::wstring SystemConversion(UINT codePage, const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
  return out;
}

}  // namespace

TEST(Conversions, RandomTextRoundTripsThroughUtf8Utf16AndBstr) {
  std::mt19937 random(8u);
  for (int round = 0; round < 500; ++round) {
    std::wstring text;
    for (unsigned n = random() % 12; n-- > 0;) {
      switch (random() % 4) {
        case 0: text += static_cast<wchar_t>(L'a' + random() % 26); break;
        case 1: text += static_cast<wchar_t>(0x80 + random() % 0x700); break;
        case 2: text += static_cast<wchar_t>(0x3000 + random() % 0x1000); break;
        case 3: text += {static_cast<wchar_t>(0xD800 + random() % 0x400), static_cast<wchar_t>(0xDC00 + random() % 0x400)};
      }
    }
    std::string utf8 = SystemUtf8(text);
    EXPECT_EQ(text, Std(Orv::StringFromUTF8(utf8.c_str(), kNpos)));
    unsigned n = random() % 14;
    EXPECT_EQ(text.substr(0, n), Std(Orv::StringFromUnicode(text.c_str(), n)));
    BSTR bstr = Orv::StringToBSTR(text.c_str(), n < text.size() ? n : kNpos);
    ASSERT_NE(nullptr, bstr);
    EXPECT_EQ(text.substr(0, n), Std(Orv::StringFromBSTR(bstr)));
    SysFreeString(bstr);
  }
  EXPECT_EQ(L"", Std(Orv::StringFromUTF8("abc", 0x80000000u)));
  EXPECT_EQ(L"", Std(Orv::StringFromUTF8(nullptr, kNpos)));
}

TEST(Conversions, AnsiCodePageBothWays) {
  EXPECT_EQ(L"", Std(Orv::StringFromACP("hello", 0x90000000u)));
  tVectorPOD<char> out;
  ASSERT_TRUE(Orv::StringToACP(out, L"a\xD800" L"b", kNpos));  // the terminator comes along
  ASSERT_EQ(4u, out.Count());
  EXPECT_EQ('b', out[2]);
  EXPECT_EQ('\0', out[3]);
  ASSERT_TRUE(Orv::StringToACP(out, L"abc", 2));
  EXPECT_EQ("ab", std::string(out.Data(), out.Count()));
  EXPECT_FALSE(Orv::StringToACP(out, L"abc", 0));
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_FALSE(Orv::StringToACP(out, L"abc", 0x80000001u));
  Orv::CSysString owned(L"owned");
  EXPECT_EQ(5u, SysStringLen(owned));
}

TEST(ConversionReadBounds, ByteConvertersStopAtTheGivenLength) {
  CFencedPage fence;
  ASSERT_TRUE(fence.Ready());
  const std::string inputs[] = {"", "a", "abc", "caf\xC3\xA9", "\xE2\x82", "x\xF0\x9F\x98\x80", "\xF0\x9F\x98",
                                "a\xFF" "b", "\x80x", std::string("ab\0cd", 5), std::string("\0\0x", 3),
                                std::string("tail\0\0", 6)};
  struct {
    UINT codePage;
    tstring (*convert)(char const*, unsigned int);
  } const converters[] = {{CP_ACP, &Orv::StringFromACP}, {CP_UTF8, &Orv::StringFromUTF8}};
  for (const auto& converter : converters) {
    for (const std::string& bytes : inputs) {
      const char* placed = fence.Place(bytes.data(), bytes.size());
      EXPECT_EQ(SystemConversion(converter.codePage, bytes), Std(converter.convert(placed, static_cast<unsigned>(bytes.size()))))
          << "code page " << converter.codePage << ", " << bytes.size() << " bytes";
      std::string head = bytes.c_str();
      if (head.size() < bytes.size()) {  // ASCII up to the first zero
        EXPECT_EQ(std::wstring(head.begin(), head.end()), Std(converter.convert(bytes.c_str(), Orv::kToTerminator)));
      }
    }
  }
}

TEST(ConversionReadBounds, WideConversionsStopAtTheGivenLength) {
  CFencedPage fence;
  ASSERT_TRUE(fence.Ready());
  for (const std::wstring& text : {std::wstring(), std::wstring(L"a"), std::wstring(L"abc"), std::wstring(L"\xD83D\xDE00z")}) {
    const wchar_t* placed = fence.Place(text.data(), text.size() * sizeof(wchar_t));
    unsigned length = static_cast<unsigned>(text.size());
    EXPECT_EQ(text, Std(Orv::StringFromUnicode(placed, length)));
    EXPECT_EQ(text, Std(Orv::StringToUnicode(placed, length)));
    wchar_t* bstr = Orv::StringToBSTR(placed, length);
    ASSERT_NE(nullptr, bstr);
    EXPECT_EQ(text, std::wstring(bstr, SysStringLen(bstr)));
    SysFreeString(bstr);
    Orv::tVectorPOD<char> acp;
    EXPECT_EQ(length != 0, Orv::StringToACP(acp, placed, length));
  }
}

namespace {

const GUID kFilled = {0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};

// Reads `text`, which must be refused: false and a zero GUID.
void ExpectRefused(const wchar_t* text) {
  GUID g = kFilled;
  EXPECT_FALSE(Orv::StringToGUID(text, g)) << ::testing::PrintToString(Orv::tstring(text));
  EXPECT_TRUE(IsEqualGUID(GUID_NULL, g)) << ::testing::PrintToString(Orv::tstring(text));
}

}  // namespace

TEST(GuidTextSyntax, ProgramNamesAndOtherTextAreRefused) {
  for (const wchar_t* text : {L"CLSID", L"Shell.Application", L"htmlfile", L"Scripting.FileSystemObject", L"{}", L"",
                              L"{6B29FC40-CA47-1067-B31D-00DD010662DA}x", L" {6B29FC40-CA47-1067-B31D-00DD010662DA}",
                              L"{6B29FC40-CA47-1067-B31D-00DD010662DA", L"6B29FC40-CA47-1067-B31D-00DD010662DA",
                              L"{6B29FC40-CA47-1067-B31D-00DD010662D}", L"{0x6B29FC4-CA47-1067-B31D-00DD010662DA}",
                              static_cast<const wchar_t*>(nullptr)})
    ExpectRefused(text);
}

TEST(GuidTextSyntax, EveryGuidReadsBackAndEveryMisplacedCharacterIsRefused) {
  std::mt19937 random(1u);
  for (unsigned round = 0; round < 40; ++round) {
    GUID expected = GUID_NULL;
    if (round) {
      for (size_t i = 0; i < sizeof expected; ++i) reinterpret_cast<unsigned char*>(&expected)[i] = random() & 0xFF;
    }
    wchar_t system[39];
    ASSERT_EQ(39, StringFromGUID2(expected, system, 39));
    EXPECT_EQ(system, std::wstring(Orv::StringFromGUID(expected).c_str()));
    std::wstring text = system;
    if (round % 2) {
      for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
    }
    GUID read = kFilled;
    ASSERT_TRUE(Orv::StringToGUID(text.c_str(), read)) << ::testing::PrintToString(Orv::tstring(text.c_str()));
    EXPECT_TRUE(IsEqualGUID(read, expected));
    // One wrong character anywhere: a hex digit where punctuation belongs, or the reverse.
    size_t at = round % text.size();
    text[at] = iswxdigit(text[at]) ? L'g' : L'0';
    ExpectRefused(text.c_str());
  }
}
