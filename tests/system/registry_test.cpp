// Registry keys and typed values, checked against the raw Win32 registry functions on a private
// key under HKEY_CURRENT_USER\Software that each test creates and deletes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "orvutil/foundation.h"
#include "orvutil/system.h"

namespace {

constexpr GUID kGuid = {0x0123abcd, 0x4567, 0x89ef, {0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10}};

std::wstring Text(const Orv::tstring& s) { return std::wstring(s.c_str(), s.size()); }

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(nullptr, m_key.Create(HKEY_CURRENT_USER, m_path.c_str())); }
  void TearDown() override {
    m_key.Close();
    EXPECT_EQ(ERROR_SUCCESS, ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str()));
  }
  bool Exists(const std::wstring& sub) { return Orv::CRegKey().Open(m_key, sub.c_str(), true) != nullptr; }
  std::wstring m_path = L"Software\\OrvUtilTests-" + std::to_wstring(::GetCurrentProcessId());
  Orv::CRegKey m_key;
};

}  // namespace

// Every type written by the library reads back through the library and through RegGetValueW. Reads
// of a missing value yield the default (empty text for none); GUID reads take GUID text only, no
// program names. (The fuzz tests compare typed reads of every stored type and size with a model.)
TEST_F(RegistryTest, RoundTripsMatchTheSystemReaderAndUnfitValuesYieldTheDefault) {
  wchar_t peer[64] = {};
  DWORD peerNumber = 0, bytes = sizeof(peer), numberBytes = sizeof(peerNumber);
  unsigned long number = 0;
  Orv::tstring read;
  GUID back = {};
  ASSERT_TRUE(Orv::RegSetValueW(m_key, L"s", L"\x00e9\x4e2d\xd83d\xde00") &&
              Orv::RegSetValueW(m_key, L"n", 4294967295ul) && Orv::RegSetValueW(m_key, L"g", kGuid));
  ASSERT_FALSE(::RegGetValueW(m_key, nullptr, L"s", RRF_RT_REG_SZ, nullptr, peer, &bytes) ||
               ::RegGetValueW(m_key, nullptr, L"n", RRF_RT_REG_DWORD, nullptr, &peerNumber, &numberBytes));
  EXPECT_TRUE(Orv::RegGetValueW(m_key, L"s", read, L"default") && bytes == 10 && std::wstring(peer) == Text(read));
  EXPECT_TRUE(Orv::RegGetValueW(m_key, L"n", number, 3ul) && peerNumber == number && number == 4294967295ul);
  EXPECT_TRUE(Orv::RegGetValueW(m_key, L"g", read, nullptr) && Orv::RegGetValueW(m_key, L"g", back, GUID{}));
  EXPECT_TRUE(Text(Orv::StringFromGUID(kGuid)) == Text(read) && ::IsEqualGUID(kGuid, back));
  ASSERT_TRUE(Orv::RegSetValueW(m_key, L"s", L"") && Orv::RegSetValueW(m_key, L"n", 0ul));  // empty text, zero
  EXPECT_TRUE(Orv::RegGetValueW(m_key, L"s", read, L"default") && read.empty());
  EXPECT_TRUE(Orv::RegGetValueW(m_key, L"n", number, 3ul) && number == 0);
  EXPECT_FALSE(Orv::RegSetValueW(m_key, L"null", static_cast<const wchar_t*>(nullptr)) ||
               Orv::RegSetValueW(nullptr, L"x", 1ul));
  EXPECT_TRUE(Orv::RegDeleteValueW(m_key, L"n") && !Orv::RegDeleteValueW(m_key, L"n"));
  EXPECT_FALSE(Orv::RegGetValueW(m_key, L"n", number, 3ul) || number != 3);
  EXPECT_FALSE(Orv::RegGetValueW(m_key, L"n", read, nullptr) || !read.empty());
  ASSERT_TRUE(Orv::RegSetValueW(m_key, L"s", L"CLSID"));
  EXPECT_FALSE(Orv::RegGetValueW(m_key, L"s", back, GUID{}) || !::IsEqualGUID(GUID{}, back));
}

// Enumeration lists what was written (names up to 200 characters); out of range fails cleanly. Keys
// open from the object's own handle; failures leave no key held; read-only keys refuse writes. A
// chain is deleted whole up to 32 levels; deeper chains are left in place entirely.
TEST_F(RegistryTest, EnumeratesOpensAndDeletesKeys) {
  std::wstring longName(200, L'k'), listed;
  Orv::tstring name(L"stale");
  unsigned long type = 0;
  ASSERT_TRUE(Orv::CRegKey().Create(m_key, longName.c_str()) && Orv::RegSetValueW(m_key, longName.c_str(), 1ul) &&
              Orv::RegSetValueW(m_key, L"v", L"x"));
  for (unsigned long i = 0; Orv::RegEnumKeyW(m_key, i, name); ++i) listed += Text(name) + L"|";
  EXPECT_TRUE(name.empty() && !Orv::RegEnumKeyW(nullptr, 0, name));
  for (unsigned long i = 0; Orv::RegEnumValueW(m_key, i, name, &type); ++i)
    listed += Text(name) + L":" + std::to_wstring(type) + L"|";
  EXPECT_EQ(longName + L"|" + longName + L":4|v:1|", listed);
  Orv::CRegKey key;
  ASSERT_TRUE(key.Create(m_key, L"one") && key.Create(key, L"two") && key.Open(m_key, L"one", true));
  EXPECT_TRUE(Exists(L"one\\two") && !Exists(L"two"));
  EXPECT_FALSE(Orv::RegSetValueW(key, L"ro", 1ul) || key.Open(key, L"absent", false) || static_cast<HKEY>(key) ||
               Orv::RegDeleteKeyW(m_key, L"absent"));
  for (int depth : {32, 33}) {
    std::wstring chain = L"chain";
    for (int level = 1; level < depth; ++level) chain += L"\\" + std::to_wstring(level);
    ASSERT_TRUE(Orv::CRegKey().Create(m_key, chain.c_str()) && Orv::CRegKey().Create(m_key, L"chain\\side"));
    EXPECT_EQ(depth <= 32, Orv::RegDeleteKeyW(m_key, L"chain")) << depth;
    EXPECT_EQ(depth > 32, Exists(chain)) << depth;
    ::RegDeleteTreeW(m_key, L"chain");
  }
}
