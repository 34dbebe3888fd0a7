// The converters read no element beyond the length they are given: inputs are placed right
// against a page that cannot be read, so one element too many ends the run.
#include <windows.h>

#include <gtest/gtest.h>

#include <oleauto.h>

#include <cstring>
#include <string>

#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;

namespace {

// One readable page followed by one that faults on any access.
class CFencedPage {
 public:
  CFencedPage() {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    m_pageSize = info.dwPageSize;
    m_base = static_cast<char*>(::VirtualAlloc(nullptr, 2 * m_pageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old;
    if (m_base) ::VirtualProtect(m_base + m_pageSize, m_pageSize, PAGE_NOACCESS, &old);
  }
  ~CFencedPage() {
    if (m_base) ::VirtualFree(m_base, 0, MEM_RELEASE);
  }
  bool Ready() const { return m_base != nullptr; }
  // `bytes` copied so that they end where the fence begins.
  const void* Place(const void* bytes, size_t size) {
    char* at = m_base + m_pageSize - size;
    std::memcpy(at, bytes, size);
    return at;
  }

 private:
  char* m_base = nullptr;
  DWORD m_pageSize = 0;
};

// The system converter on an ordinary copy: what a byte converter must produce.
std::wstring SystemConversion(UINT codePage, const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
  return out;
}

std::wstring Text(const tstring& s) {
  return std::wstring(s.c_str(), s.size());
}

const std::string kByteInputs[] = {"", "a", "abc", "caf\xC3\xA9", "\xE2\x82", "x\xF0\x9F\x98\x80"};
const std::wstring kWideInputs[] = {L"", L"a", L"abc", L"\xD83D\xDE00z"};

}  // namespace

TEST(ConversionReadBounds, ByteConvertersStopAtTheGivenLength) {
  CFencedPage fence;
  ASSERT_TRUE(fence.Ready());
  struct {
    const char* name;
    UINT codePage;
    tstring (*convert)(char const*, unsigned int);
  } const converters[] = {{"ACP", CP_ACP, &Orv::StringFromACP}, {"UTF-8", CP_UTF8, &Orv::StringFromUTF8}};
  for (const auto& converter : converters) {
    for (const std::string& bytes : kByteInputs) {
      const char* placed = static_cast<const char*>(fence.Place(bytes.data(), bytes.size()));
      tstring result = converter.convert(placed, static_cast<unsigned>(bytes.size()));
      EXPECT_EQ(Text(result), SystemConversion(converter.codePage, bytes))
          << converter.name << " of " << bytes.size() << " bytes";
    }
  }
}

TEST(ConversionReadBounds, WideCopiesStopAtTheGivenLength) {
  CFencedPage fence;
  ASSERT_TRUE(fence.Ready());
  for (auto convert : {&Orv::StringFromUnicode, &Orv::StringToUnicode}) {
    for (const std::wstring& text : kWideInputs) {
      auto placed = static_cast<const wchar_t*>(fence.Place(text.data(), text.size() * sizeof(wchar_t)));
      EXPECT_EQ(Text(convert(placed, static_cast<unsigned>(text.size()))), text);
    }
  }
}

TEST(ConversionReadBounds, OtherWideConversionsStopAtTheGivenLength) {
  CFencedPage fence;
  ASSERT_TRUE(fence.Ready());
  for (const std::wstring& text : kWideInputs) {
    auto placed = static_cast<const wchar_t*>(fence.Place(text.data(), text.size() * sizeof(wchar_t)));
    unsigned length = static_cast<unsigned>(text.size());
    wchar_t* bstr = Orv::StringToBSTR(placed, length);
    ASSERT_NE(bstr, nullptr);
    EXPECT_EQ(std::wstring(bstr, SysStringLen(bstr)), text);
    SysFreeString(bstr);
    Orv::tVectorPOD<char> acp;
    EXPECT_EQ(Orv::StringToACP(acp, placed, length), length != 0);
  }
}
