// Environment variables one by one, all at once and expanded, against the system's own answers,
// across the first buffer size.
#include <gtest/gtest.h>

#include <string>

#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;

TEST(Environment, ValuesOfEveryLengthOneByOneExpandedAndAllAtOnce) {
  ::SetEnvironmentVariableW(L"=Q:", L"Q:\\some dir");  // a name that starts with =
  for (unsigned length : {1u, 255u, 256u, 257u, 20000u}) {
    std::wstring value(length, L'=');
    for (unsigned i = 0; i < length; i += 2) value[i] = static_cast<wchar_t>(L'a' + i % 26);
    ::SetEnvironmentVariableW(L"ORV_ENV_TEST", value.c_str());
    EXPECT_EQ(tstring(value.c_str()), Orv::GetEnvironmentVariableW(L"orv_env_test")) << length;
    EXPECT_EQ(tstring((L"x" + value + L"y").c_str()), Orv::ExpandEnvironmentVariables(L"x%ORV_ENV_TEST%y"));
    EXPECT_EQ(tstring(value.c_str()), Orv::ExpandEnvironmentVariables(value.c_str()));
    Orv::tMap<tstring, tstring> all;
    all.Insert(tstring(L"ORV_ENV_STALE"), tstring(L"stale"));
    Orv::GetEnvironmentVariables(all);
    EXPECT_TRUE(!all.FindValue(tstring(L"ORV_ENV_STALE")) && !all.FindValue(tstring(L"")));
    EXPECT_NE(nullptr, all.FindValue(tstring(L"ORV_ENV_TEST")));  // its value: checked with the others below
    for (const auto& item : all) EXPECT_EQ(Orv::GetEnvironmentVariableW(item.Key().c_str()), item.Value());
  }
  ::SetEnvironmentVariableW(L"ORV_ENV_TEST", nullptr);
  ::SetEnvironmentVariableW(L"=Q:", nullptr);
  EXPECT_EQ(L"", Orv::GetEnvironmentVariableW(L"ORV_ENV_MISSING"));
  EXPECT_EQ(L"", Orv::GetEnvironmentVariableW(nullptr));
  EXPECT_EQ(L"a%ORV_ENV_MISSING%b", Orv::ExpandEnvironmentVariables(L"a%ORV_ENV_MISSING%b"));
  EXPECT_EQ(L"", Orv::ExpandEnvironmentVariables(nullptr));
}
