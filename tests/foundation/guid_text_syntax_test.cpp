// GUID text both ways against the system's StringFromGUID2. Text is read by its syntax alone:
// program names and anything else that is not the braced registry form give false and a zero GUID,
// whatever the registry knows.
#include <windows.h>

#include <gtest/gtest.h>

#include <objbase.h>

#include <cwctype>
#include <random>
#include <string>

#include "orvutil/foundation.h"
#include "tstring_print.h"

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
