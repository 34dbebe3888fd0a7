// Conversions between the library string and UTF-16, UTF-8, the ANSI code page and BSTRs against
// the system converters, failures, and read bounds. The converters read no element beyond the
// length they are given and keep every element within it, embedded zeros and broken sequences
// included: inputs are placed right against a page that cannot be read, so one element too many
// ends the run. Without a length the byte converters stop at the first zero.
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


namespace {

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

// Lengths that cannot be a string's fail with an empty result.
TEST(ConversionReadBounds, ByteConvertersStopAtTheGivenLength) {
  CFencedPage fence;
  ASSERT_TRUE(fence.Ready());
  const std::string inputs[] = {"", "a", "caf\xC3\xA9", "\xE2\x82\xAC", "\xE2\x82", "x\xF0\x9F\x98\x80", "\xF0\x9F\x98",
                                "a\xFF" "b", "\x80x", std::string("ab\0cd", 5), std::string("\0\0x", 3),
                                std::string("tail\0\0", 6)};
  struct {
    UINT codePage;
    Orv::tstring (*convert)(char const*, unsigned int);
  } const converters[] = {{CP_ACP, &Orv::StringFromACP}, {CP_UTF8, &Orv::StringFromUTF8}};
  for (const auto& converter : converters) {
    for (const std::string& bytes : inputs) {
      const char* placed = fence.Place(bytes.data(), bytes.size());
      EXPECT_EQ(SystemConversion(converter.codePage, bytes), Std(converter.convert(placed, static_cast<unsigned>(bytes.size()))))
          << "code page " << converter.codePage << ", " << bytes.size() << " bytes";
      std::string head = bytes.c_str();  // up to the first zero
      EXPECT_EQ(SystemConversion(converter.codePage, head), Std(converter.convert(bytes.c_str(), Orv::kToTerminator)));
    }
    EXPECT_EQ(L"", Std(converter.convert("abc", 0x80000000u)));
    EXPECT_EQ(L"", Std(converter.convert(nullptr, Orv::kToTerminator)));
  }
}

// StringToACP fails for nothing to convert and brings the terminator along without a length.
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
    EXPECT_EQ(text, Std(Orv::StringFromBSTR(bstr)));
    SysFreeString(bstr);
    Orv::tVectorPOD<char> acp;
    EXPECT_EQ(length != 0, Orv::StringToACP(acp, placed, length));
  }
  EXPECT_EQ(L"ab", Std(Orv::StringFromUnicode(L"ab\0c", 4)));  // the UTF-16 copies stop at a zero
  Orv::tVectorPOD<char> out;
  EXPECT_FALSE(Orv::StringToACP(out, L"abc", 0x80000001u));
  ASSERT_TRUE(Orv::StringToACP(out, L"a\xD800" L"b", Orv::kToTerminator));
  EXPECT_EQ(std::string("b", 2), std::string(out.Data() + 2, out.Count() - 2));
  EXPECT_EQ(L"owned", Std(Orv::StringFromBSTR(Orv::CSysString(L"owned"))));
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

// One wrong character anywhere is a hex digit where punctuation belongs, or the reverse.
TEST(GuidTextSyntax, EveryGuidReadsBackAndAnythingElseIsRefused) {
  for (const wchar_t* text : {L"Shell.Application", L"{}", L"", L"{6B29FC40-CA47-1067-B31D-00DD010662DA}x",
                              L" {6B29FC40-CA47-1067-B31D-00DD010662DA}", L"{6B29FC40-CA47-1067-B31D-00DD010662D}",
                              L"{0x6B29FC4-CA47-1067-B31D-00DD010662DA}", static_cast<const wchar_t*>(nullptr)})
    ExpectRefused(text);
  std::mt19937 random(1u);
  for (unsigned round = 0; round < 40; ++round) {
    GUID expected = GUID_NULL;
    for (size_t i = 0; round && i < sizeof expected; ++i)
      reinterpret_cast<unsigned char*>(&expected)[i] = random() & 0xFF;
    wchar_t system[39];
    ASSERT_EQ(39, StringFromGUID2(expected, system, 39));
    EXPECT_EQ(system, Std(Orv::StringFromGUID(expected)));
    std::wstring text = system;
    for (wchar_t& c : text) c = round % 2 ? static_cast<wchar_t>(towlower(c)) : c;
    GUID read = kFilled;
    ASSERT_TRUE(Orv::StringToGUID(text.c_str(), read)) << ::testing::PrintToString(Orv::tstring(text.c_str()));
    EXPECT_TRUE(IsEqualGUID(read, expected));
    size_t at = round % text.size();
    text[at] = iswxdigit(text[at]) ? L'g' : L'0';
    ExpectRefused(text.c_str());
  }
}
