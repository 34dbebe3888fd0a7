// GUID text is read by its syntax alone: program names and anything else that is not the braced
// registry form give false and a zero GUID, whatever the registry knows.
#include <windows.h>

#include <gtest/gtest.h>

#include <objbase.h>

#include <cstring>
#include <cwctype>
#include <string>

#include "orvutil/foundation.h"
#include "tstring_print.h"

namespace {

const GUID kFilled = {0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};

bool IsZero(const GUID& g) {
  return IsEqualGUID(g, GUID_NULL) != 0;
}

// The registry text of `g` by the system, the peer of the library's reader.
std::wstring SystemText(const GUID& g) {
  wchar_t text[39];
  StringFromGUID2(g, text, 39);
  return text;
}

GUID Generated(unsigned seed) {
  GUID g;
  unsigned char* bytes = reinterpret_cast<unsigned char*>(&g);
  for (size_t i = 0; i < sizeof g; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes[i] = static_cast<unsigned char>(seed >> 16);
  }
  return g;
}

}  // namespace

TEST(GuidTextSyntax, ProgramNamesAndOtherTextAreRefused) {
  const wchar_t* refused[] = {L"CLSID",
                              L"Shell.Application",
                              L"htmlfile",
                              L"Scripting.FileSystemObject",
                              L"{}",
                              L"{6B29FC40-CA47-1067-B31D-00DD010662DA}x",
                              L" {6B29FC40-CA47-1067-B31D-00DD010662DA}",
                              L"{6B29FC40-CA47-1067-B31D-00DD010662DA",
                              L"{0x6B29FC4-CA47-1067-B31D-00DD010662DA}"};
  for (const wchar_t* text : refused) {
    GUID g = kFilled;
    EXPECT_FALSE(Orv::StringToGUID(text, g)) << ::testing::PrintToString(Orv::tstring(text));
    EXPECT_TRUE(IsZero(g)) << ::testing::PrintToString(Orv::tstring(text));
  }
}

TEST(GuidTextSyntax, EveryGuidReadsBackAndEveryMisplacedCharacterIsRefused) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    GUID expected = Generated(seed);
    std::wstring text = SystemText(expected);
    if (seed % 2) {
      for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
    }
    GUID read = kFilled;
    ASSERT_TRUE(Orv::StringToGUID(text.c_str(), read)) << ::testing::PrintToString(Orv::tstring(text.c_str()));
    EXPECT_TRUE(IsEqualGUID(read, expected));
    // One wrong character anywhere: a hex digit where punctuation belongs, or the reverse.
    std::wstring broken = text;
    size_t at = seed % text.size();
    broken[at] = iswxdigit(text[at]) ? L'g' : L'0';
    read = kFilled;
    EXPECT_FALSE(Orv::StringToGUID(broken.c_str(), read)) << ::testing::PrintToString(Orv::tstring(broken.c_str()));
    EXPECT_TRUE(IsZero(read));
  }
}
