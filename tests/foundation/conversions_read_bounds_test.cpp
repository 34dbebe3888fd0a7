// The converters read no element beyond the length they are given and keep every element within
// it, embedded zeros included: inputs are placed right against a page that cannot be read, so one
// element too many ends the run. Without a length the byte converters stop at the first zero.
#include <windows.h>

#include <gtest/gtest.h>

#include <oleauto.h>

#include <string>

#include "fenced_page.h"
#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;

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

TEST(ConversionReadBounds, ByteConvertersStopAtTheGivenLength) {
  CFencedPage fence;
  ASSERT_TRUE(fence.Ready());
  const std::string inputs[] = {"", "a", "abc", "caf\xC3\xA9", "\xE2\x82", "x\xF0\x9F\x98\x80",
                                std::string("ab\0cd", 5), std::string("\0\0x", 3), std::string("tail\0\0", 6)};
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
