// Registry keys and typed values, checked against the raw Win32 registry functions on a private
// key under HKEY_CURRENT_USER\Software that each test creates and deletes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "orvutil/foundation.h"
#include "orvutil/system.h"

namespace {

constexpr GUID kGuid = {0x0123abcd, 0x4567, 0x89ef, {0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10}};
constexpr GUID kDefault = {0x11111111, 0x2222, 0x3333, {4, 4, 4, 4, 4, 4, 4, 4}};
constexpr GUID kZero = {};

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_path = L"Software\\OrvUtilTests-" + std::to_wstring(::GetCurrentProcessId());
    ASSERT_NE(nullptr, m_key.Create(HKEY_CURRENT_USER, m_path.c_str()));
  }
  void TearDown() override {
    m_key.Close();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    HKEY gone = nullptr;
    EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_READ, &gone));
  }
  void Raw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(m_key, name, 0, type, static_cast<const BYTE*>(data), bytes));
  }
  bool Exists(const std::wstring& sub) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(m_key, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
  }
  std::wstring m_path;
  Orv::CRegKey m_key;
};

}  // namespace

// Every type written by the library reads back through the library and through RegGetValueW.
TEST_F(RegistryTest, RoundTripsMatchTheSystemReader) {
  for (unsigned long number : {0ul, 1ul, 0x7FFFFFFFul, 0xFFFFFFFFul}) {
    ASSERT_TRUE(Orv::RegSetValueW(m_key, L"n", number));
    DWORD peer = 0;
    DWORD bytes = sizeof(peer);
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueW(m_key, nullptr, L"n", RRF_RT_REG_DWORD, nullptr, &peer, &bytes));
    unsigned long ours = 7;
    EXPECT_TRUE(Orv::RegGetValueW(m_key, L"n", ours, 3ul));
    EXPECT_EQ(peer, ours);
    EXPECT_EQ(number, ours);
  }
  for (const wchar_t* text : {L"", L"a", L"text with spaces", L"\x00e9\x4e2d\xd83d\xde00"}) {
    ASSERT_TRUE(Orv::RegSetValueW(m_key, L"s", text));
    wchar_t peer[64] = {};
    DWORD bytes = sizeof(peer);
    DWORD type = 0;
    ASSERT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(m_key, L"s", nullptr, &type, reinterpret_cast<BYTE*>(peer), &bytes));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(2 * std::wcslen(text) + 2, bytes);
    Orv::tstring ours;
    EXPECT_TRUE(Orv::RegGetValueW(m_key, L"s", ours, L"default"));
    EXPECT_EQ(std::wstring(peer), std::wstring(ours.c_str()));
  }
  const GUID guid = kGuid;
  ASSERT_TRUE(Orv::RegSetValueW(m_key, L"g", guid));
  Orv::tstring text;
  EXPECT_TRUE(Orv::RegGetValueW(m_key, L"g", text, nullptr));
  EXPECT_EQ(std::wstring(Orv::StringFromGUID(guid).c_str()), std::wstring(text.c_str()));
  GUID back = kZero;
  EXPECT_TRUE(Orv::RegGetValueW(m_key, L"g", back, kZero));
  EXPECT_TRUE(::IsEqualGUID(guid, back));
}

// Values that are missing, of another type or of a size that does not fit yield the default.
TEST_F(RegistryTest, UnfitValuesYieldTheDefault) {
  const wchar_t odd[] = L"abc";
  const wchar_t noNul[] = {L'x', L'y'};
  const wchar_t inner[] = L"ab\0cd";
  const BYTE three[] = {1, 2, 3};
  const DWORD number = 42;
  Raw(L"odd", REG_SZ, odd, 5);
  Raw(L"noNul", REG_SZ, noNul, sizeof(noNul));
  Raw(L"inner", REG_SZ, inner, sizeof(inner));
  Raw(L"empty", REG_SZ, L"", 0);
  Raw(L"three", REG_DWORD, three, sizeof(three));
  Raw(L"binary", REG_BINARY, &number, sizeof(number));
  Raw(L"number", REG_DWORD, &number, sizeof(number));
  Raw(L"textnum", REG_SZ, L"42", 6);
  Raw(L"badguid", REG_SZ, L"{nope}", 14);
  struct { const wchar_t* name; bool number; bool text; const wchar_t* textSeen; } const cases[] = {
      {L"missing", false, false, L"dflt"}, {L"odd", false, false, L"dflt"},   {L"noNul", false, true, L"xy"},
      {L"inner", false, true, L"ab"},      {L"empty", false, false, L"dflt"}, {L"three", false, false, L"dflt"},
      {L"binary", false, false, L"dflt"},  {L"number", true, false, L"dflt"}, {L"textnum", false, true, L"42"},
  };
  for (const auto& c : cases) {
    unsigned long n = 0;
    EXPECT_EQ(c.number, Orv::RegGetValueW(m_key, c.name, n, 99ul)) << c.name;
    EXPECT_EQ(c.number ? number : 99ul, n) << c.name;
    Orv::tstring s;
    EXPECT_EQ(c.text, Orv::RegGetValueW(m_key, c.name, s, L"dflt")) << c.name;
    EXPECT_EQ(std::wstring(c.textSeen), std::wstring(s.c_str())) << c.name;
    GUID g = kZero;
    EXPECT_FALSE(Orv::RegGetValueW(m_key, c.name, g, kDefault)) << c.name;
    EXPECT_TRUE(::IsEqualGUID(kDefault, g)) << c.name;
  }
  Orv::tstring s(L"old");
  EXPECT_FALSE(Orv::RegGetValueW(m_key, L"missing", s, nullptr));
  EXPECT_TRUE(s.empty());
  EXPECT_FALSE(Orv::RegSetValueW(m_key, L"null", static_cast<const wchar_t*>(nullptr)));
  EXPECT_FALSE(Orv::RegSetValueW(nullptr, L"x", 1ul));
  EXPECT_TRUE(Orv::RegDeleteValueW(m_key, L"number"));
  EXPECT_FALSE(Orv::RegDeleteValueW(m_key, L"number"));
}

// Enumeration agrees with a set built from the names written; out-of-range indexes fail cleanly.
TEST_F(RegistryTest, EnumerationListsWhatWasWritten) {
  const std::wstring longName(200, L'k');
  const std::wstring keys[] = {L"a", L"bb", longName};
  for (const auto& k : keys) {
    Orv::CRegKey sub;
    ASSERT_NE(nullptr, sub.Create(m_key, k.c_str()));
  }
  ASSERT_TRUE(Orv::RegSetValueW(m_key, longName.c_str(), 1ul));
  ASSERT_TRUE(Orv::RegSetValueW(m_key, L"v", L"x"));
  std::wstring seenKeys;
  Orv::tstring name;
  unsigned long i = 0;
  for (; Orv::RegEnumKeyW(m_key, i, name); ++i) seenKeys += std::wstring(name.c_str()) + L"|";
  EXPECT_EQ(3u, i);
  EXPECT_TRUE(name.empty());
  EXPECT_EQ(L"a|bb|" + longName + L"|", seenKeys);
  unsigned long types[2] = {};
  std::wstring seenValues;
  for (i = 0; Orv::RegEnumValueW(m_key, i, name, i < 2 ? &types[i] : nullptr); ++i)
    seenValues += std::wstring(name.c_str()) + L"|";
  EXPECT_EQ(2u, i);
  EXPECT_EQ(longName + L"|v|", seenValues);
  EXPECT_EQ(static_cast<unsigned long>(REG_DWORD), types[0]);
  EXPECT_EQ(static_cast<unsigned long>(REG_SZ), types[1]);
  EXPECT_FALSE(Orv::RegEnumKeyW(nullptr, 0, name));
}

// Opening and creating through the object's own key descends from it; failures leave no key held.
TEST_F(RegistryTest, KeysOpenFromTheirOwnHandle) {
  Orv::CRegKey key;
  ASSERT_NE(nullptr, key.Create(m_key, L"one"));
  ASSERT_NE(nullptr, key.Create(key, L"two"));
  ASSERT_TRUE(Orv::RegSetValueW(key, L"v", 5ul));
  EXPECT_TRUE(Exists(L"one\\two"));
  EXPECT_FALSE(Exists(L"two"));
  ASSERT_NE(nullptr, key.Open(m_key, L"one", true));
  EXPECT_FALSE(Orv::RegSetValueW(key, L"ro", 1ul));
  EXPECT_EQ(nullptr, key.Open(key, L"absent", false));
  EXPECT_EQ(nullptr, static_cast<HKEY>(key));
  EXPECT_EQ(nullptr, key.Create(nullptr, L"x"));
}

// A deep chain is deleted whole up to 32 levels; at 40 levels nothing below level 32 is touched.
TEST_F(RegistryTest, DeletesSubtreesWithinTheDepthLimit) {
  struct { int depth; bool deleted; } const cases[] = {{1, true}, {32, true}, {33, false}, {40, false}};
  for (const auto& c : cases) {
    std::wstring chain = L"chain";
    for (int level = 1; level < c.depth; ++level) chain += L"\\" + std::to_wstring(level);
    Orv::CRegKey leaf;
    ASSERT_NE(nullptr, leaf.Create(m_key, chain.c_str())) << c.depth;
    ASSERT_TRUE(Orv::RegSetValueW(leaf, L"v", 1ul));
    leaf.Close();
    Orv::CRegKey side;
    ASSERT_NE(nullptr, side.Create(m_key, L"chain\\side"));
    side.Close();
    EXPECT_EQ(c.deleted, Orv::RegDeleteKeyW(m_key, L"chain")) << c.depth;
    EXPECT_EQ(!c.deleted, Exists(chain)) << c.depth;
    EXPECT_EQ(!c.deleted, Exists(L"chain")) << c.depth;
    ::RegDeleteTreeW(m_key, L"chain");
  }
  EXPECT_FALSE(Orv::RegDeleteKeyW(m_key, L"absent"));
}
