// Environment variables: one by one, all at once and expanded, across the buffer sizes.
#include <gtest/gtest.h>

#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;

namespace {

// Sets a variable for the life of the object and removes it afterwards.
class CScopedVariable {
 public:
  CScopedVariable(const wchar_t* name, const wchar_t* value) : m_name(name) {
    m_set = ::SetEnvironmentVariableW(name, value) != FALSE;
  }
  ~CScopedVariable() { ::SetEnvironmentVariableW(m_name.c_str(), nullptr); }
  bool IsSet() const { return m_set; }

 private:
  tstring m_name;
  bool m_set;
};

// A value of `length` characters that is different at every position.
tstring MakeValue(unsigned length) {
  tstring value;
  for (unsigned i = 0; i < length; ++i) value += static_cast<wchar_t>(L'a' + i % 26);
  return value;
}

}  // namespace

TEST(PathsEnvironment, RoundTrip) {
  CScopedVariable variable(L"ORV_PATHS_TEST_VAR", L"value one");
  ASSERT_TRUE(variable.IsSet());
  EXPECT_EQ(Orv::GetEnvironmentVariableW(L"ORV_PATHS_TEST_VAR"), L"value one");
  EXPECT_EQ(Orv::GetEnvironmentVariableW(L"orv_paths_test_var"), L"value one");  // names ignore case

  Orv::tMap<tstring, tstring> all;
  Orv::GetEnvironmentVariables(all);
  const tstring* found = all.FindValue(tstring(L"ORV_PATHS_TEST_VAR"));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(*found, L"value one");

  EXPECT_EQ(Orv::ExpandEnvironmentVariables(L"<%ORV_PATHS_TEST_VAR%>"), L"<value one>");
  EXPECT_EQ(Orv::ExpandEnvironmentVariables(L"%ORV_PATHS_TEST_VAR%%ORV_PATHS_TEST_VAR%"), L"value onevalue one");
}

TEST(PathsEnvironment, MissingVariables) {
  ::SetEnvironmentVariableW(L"ORV_PATHS_NO_SUCH_VAR", nullptr);
  EXPECT_EQ(Orv::GetEnvironmentVariableW(L"ORV_PATHS_NO_SUCH_VAR"), L"");
  EXPECT_EQ(Orv::GetEnvironmentVariableW(nullptr), L"");
  EXPECT_EQ(Orv::GetEnvironmentVariableW(L""), L"");
  EXPECT_EQ(Orv::ExpandEnvironmentVariables(L"a%ORV_PATHS_NO_SUCH_VAR%b"), L"a%ORV_PATHS_NO_SUCH_VAR%b");
  EXPECT_EQ(Orv::ExpandEnvironmentVariables(nullptr), L"");
  EXPECT_EQ(Orv::ExpandEnvironmentVariables(L""), L"");
  EXPECT_EQ(Orv::ExpandEnvironmentVariables(L"no variables"), L"no variables");
  Orv::tMap<tstring, tstring> all;
  Orv::GetEnvironmentVariables(all);
  EXPECT_EQ(all.FindValue(tstring(L"ORV_PATHS_NO_SUCH_VAR")), nullptr);
}

TEST(PathsEnvironment, ValuesWithEqualsSigns) {
  CScopedVariable variable(L"ORV_PATHS_EQ", L"a=b=c");
  ASSERT_TRUE(variable.IsSet());
  Orv::tMap<tstring, tstring> all;
  Orv::GetEnvironmentVariables(all);
  const tstring* found = all.FindValue(tstring(L"ORV_PATHS_EQ"));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(*found, L"a=b=c");
}

// Per-drive directories are kept as entries named "=X:", as GetEnvironmentVariableW knows them.
TEST(PathsEnvironment, HiddenDriveEntries) {
  CScopedVariable variable(L"=Q:", L"Q:\\some dir");
  ASSERT_TRUE(variable.IsSet());
  Orv::tMap<tstring, tstring> all;
  Orv::GetEnvironmentVariables(all);
  const tstring* found = all.FindValue(tstring(L"=Q:"));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(*found, L"Q:\\some dir");
  EXPECT_EQ(Orv::GetEnvironmentVariableW(L"=Q:"), L"Q:\\some dir");
  EXPECT_EQ(all.FindValue(tstring(L"")), nullptr);  // no entry loses its name
}

TEST(PathsEnvironment, MapHoldsExactlyTheEnvironment) {
  Orv::tMap<tstring, tstring> all;
  all.Insert(tstring(L"ORV_PATHS_STALE_KEY"), tstring(L"stale"));
  Orv::GetEnvironmentVariables(all);
  EXPECT_EQ(all.FindValue(tstring(L"ORV_PATHS_STALE_KEY")), nullptr);
  ASSERT_GT(all.Count(), 0u);
  for (const auto& item : all) {
    EXPECT_EQ(Orv::GetEnvironmentVariableW(item.Key().c_str()), item.Value()) << item.Key().c_str();
  }
  // Filling again gives the same map.
  Orv::tMap<tstring, tstring> again;
  Orv::GetEnvironmentVariables(again);
  EXPECT_EQ(again.Count(), all.Count());
}

// Lengths around the first buffer of 256 characters, and far beyond it.
TEST(PathsEnvironment, LongValues) {
  const unsigned lengths[] = {1, 254, 255, 256, 257, 258, 1000, 20000};
  for (unsigned length : lengths) {
    tstring value = MakeValue(length);
    CScopedVariable variable(L"ORV_PATHS_LONG", value.c_str());
    ASSERT_TRUE(variable.IsSet());
    EXPECT_EQ(Orv::GetEnvironmentVariableW(L"ORV_PATHS_LONG"), value) << length;
    EXPECT_EQ(Orv::ExpandEnvironmentVariables(L"%ORV_PATHS_LONG%"), value) << length;
    EXPECT_EQ(Orv::ExpandEnvironmentVariables(L"x%ORV_PATHS_LONG%"), L"x" + value) << length;
    // Text longer than the first buffer without any variable in it.
    EXPECT_EQ(Orv::ExpandEnvironmentVariables(value.c_str()), value) << length;
    Orv::tMap<tstring, tstring> all;
    Orv::GetEnvironmentVariables(all);
    const tstring* found = all.FindValue(tstring(L"ORV_PATHS_LONG"));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, value) << length;
  }
}
