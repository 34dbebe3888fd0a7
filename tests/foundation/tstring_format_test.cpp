// tstring: formatting with the Windows wide rules and the size limits of the result.
#include <gtest/gtest.h>

#include <cstdarg>

#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;

namespace {

// Formats `count` characters of x through %s.
bool FormatRun(tstring& target, unsigned count) {
  tstring run(count, L'x');
  return target.format(L"%s", run.c_str());
}

tstring FormatWithList(const wchar_t* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  tstring result = tstring::format_new_v(fmt, args);
  va_end(args);
  return result;
}

bool FormatInto(tstring& target, const wchar_t* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  bool formatted = target.format_v(fmt, args);
  va_end(args);
  return formatted;
}

}  // namespace

TEST(TStringFormat, WindowsWideRules) {
  tstring s;
  EXPECT_TRUE(s.format(L"%s=%d", L"wide", 42));  // %s takes a wide string
  EXPECT_EQ(s, L"wide=42");
  EXPECT_TRUE(s.format(L"%hs|%ls|%c|%04x|%.2f", "narrow", L"long", L'W', 0xAB, 1.5));
  EXPECT_EQ(s, L"narrow|long|W|00ab|1.50");
  EXPECT_TRUE(s.format(L"%I64d %u%%", static_cast<long long>(-1234567890123LL), 7u));
  EXPECT_EQ(s, L"-1234567890123 7%");
  EXPECT_EQ(tstring::format_new(L"[%5s]", L"ab"), L"[   ab]");
  EXPECT_EQ(FormatWithList(L"%d-%d", 1, 2), L"1-2");
  EXPECT_TRUE(FormatInto(s, L"%s%s", L"a", L"b"));
  EXPECT_EQ(s, L"ab");
}

TEST(TStringFormat, NullOrEmptyFormatGivesTheEmptyString) {
  tstring s(L"old contents");
  EXPECT_TRUE(s.format(nullptr));
  EXPECT_TRUE(s.empty());
  s = L"old";
  EXPECT_TRUE(s.format(L""));
  EXPECT_EQ(s.data(), tstring::GetEmptyString()->Data());
}

TEST(TStringFormat, ResultsUpTo65535Characters) {
  for (unsigned count : {1023u, 1024u, 1025u, 2047u, 2048u, 40000u, 65535u}) {
    tstring s(L"previous");
    ASSERT_TRUE(FormatRun(s, count)) << count;
    EXPECT_EQ(s.size(), count);
    EXPECT_EQ(s.find_first_not_of(L'x'), tstring::npos) << count;
    EXPECT_EQ(s.c_str()[count], L'\0');
  }
}

TEST(TStringFormat, LongerResultsFailAndLeaveTheStringEmpty) {
  for (unsigned count : {65536u, 65537u, 100000u}) {
    tstring s(L"previous");
    EXPECT_FALSE(FormatRun(s, count)) << count;
    EXPECT_TRUE(s.empty()) << count;
  }
  tstring big(70000, L'y');
  EXPECT_TRUE(tstring::format_new(L"%s", big.c_str()).empty());
  EXPECT_EQ(tstring::format_new(L"%s", big.substr(0, 65535).c_str()).size(), 65535u);
  // The limit is on the result, not on one argument.
  tstring half(32768, L'h');
  EXPECT_TRUE(tstring::format_new(L"%s%s", half.c_str(), half.c_str()).empty());
  EXPECT_EQ(tstring::format_new(L"%s%s", half.c_str(), half.c_str() + 1).size(), 65535u);
}
