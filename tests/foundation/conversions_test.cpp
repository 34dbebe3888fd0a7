// Conversions between the library string and UTF-16, UTF-8, the ANSI code page and BSTRs:
// round trips through the system converters, lengths that end inside a sequence, failures.
#include <windows.h>

#include <gtest/gtest.h>

#include <oleauto.h>

#include <random>
#include <string>

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
    EXPECT_EQ(text, Std(Orv::StringFromUTF8(utf8.c_str(), static_cast<unsigned>(utf8.size()))));
    unsigned n = random() % 14;
    EXPECT_EQ(text.substr(0, n), Std(Orv::StringFromUnicode(text.c_str(), n)));
    BSTR bstr = Orv::StringToBSTR(text.c_str(), n < text.size() ? n : kNpos);
    ASSERT_NE(nullptr, bstr);
    EXPECT_EQ(text.substr(0, n), Std(Orv::StringFromBSTR(bstr)));
    SysFreeString(bstr);
  }
}

TEST(Conversions, Utf8BoundariesAndInvalidBytes) {
  struct Case {
    const char* bytes;
    unsigned length;
    const wchar_t* expected;  // U+FFFD stands for whatever replacement the converter makes
  } cases[] = {{"ab\xE2\x82\xAC" "cd", 4, L"ab\xFFFD"}, {"\xF0\x9F\x98\x80!", 3, L"\xFFFD"},
               {"\xF0\x9F\x98\x80!", 4, L"\xD83D\xDE00"}, {"a\xFF" "b", kNpos, L"a\xFFFD" L"b"},
               {"\x80x", kNpos, L"\xFFFD" L"x"}, {"abc", 0x80000000u, L""},
               {nullptr, kNpos, L""}, {"abc", 0, L""}};
  for (const Case& c : cases) {
    std::wstring result = Std(Orv::StringFromUTF8(c.bytes, c.length));
    std::wstring squeezed;  // runs of replacement characters count as one
    for (wchar_t ch : result)
      if (ch != 0xFFFD || squeezed.empty() || squeezed.back() != 0xFFFD) squeezed += ch;
    EXPECT_EQ(c.expected, squeezed) << (c.bytes ? c.bytes : "(null)");
  }
}

TEST(Conversions, AnsiCodePageBothWays) {
  EXPECT_EQ(L"hel", Std(Orv::StringFromACP("hello", 3)));
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
