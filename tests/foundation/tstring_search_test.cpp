// tstring: every search member at its boundaries, ordinal comparison and the string hash.
#include <gtest/gtest.h>

#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;

namespace {
const tstring::size_type npos = tstring::npos;
}

TEST(TStringFind, Character) {
  const tstring s(L"abcabc");
  EXPECT_EQ(s.find(L'a'), 0u);
  EXPECT_EQ(s.find(L'a', 1), 3u);
  EXPECT_EQ(s.find(L'c', 5), 5u);    // the last character
  EXPECT_EQ(s.find(L'a', 6), npos);  // pos at size
  EXPECT_EQ(s.find(L'a', 100), npos);
  EXPECT_EQ(s.find(L'z'), npos);
  EXPECT_EQ(tstring().find(L'a'), npos);
  const tstring zeros(L"ab\0c", 4);
  EXPECT_EQ(zeros.find(L'\0'), 2u);
  EXPECT_EQ(zeros.find(L'c'), 3u);
}

TEST(TStringFind, Pattern) {
  const tstring s(L"abcabcab");
  EXPECT_EQ(s.find(L"bc"), 1u);
  EXPECT_EQ(s.find(L"bc", 2), 4u);
  EXPECT_EQ(s.find(L"ab", 6), 6u);    // pos = size − n: found at the very end
  EXPECT_EQ(s.find(L"ab", 7), npos);  // pos beyond size − n
  EXPECT_EQ(s.find(L"abcx", 0, 3), 0u);
  EXPECT_EQ(s.find(tstring(L"cab")), 2u);
  EXPECT_EQ(s.find(tstring(L"cab"), 3), 5u);
  // An empty pattern is never found, whatever the position.
  EXPECT_EQ(s.find(L""), npos);
  EXPECT_EQ(s.find(tstring()), npos);
  EXPECT_EQ(s.find(L"abc", 0, 0), npos);
  // Longer than the string, or null.
  EXPECT_EQ(s.find(L"abcabcabc"), npos);
  EXPECT_EQ(tstring(L"ab").find(L"abc"), npos);
  EXPECT_EQ(s.find(static_cast<const wchar_t*>(nullptr)), npos);
  // A pattern with an embedded zero must match all its characters.
  const tstring zeros(L"a\0ba\0c", 6);
  EXPECT_EQ(zeros.find(L"a\0c", 0, 3), 3u);
  EXPECT_EQ(zeros.find(tstring(L"\0b", 2)), 1u);
}

TEST(TStringFind, Backward) {
  const tstring s(L"abcabcab");
  EXPECT_EQ(s.rfind(L'a'), 6u);
  EXPECT_EQ(s.rfind(L'a', 5), 3u);
  EXPECT_EQ(s.rfind(L'a', 0), 0u);
  EXPECT_EQ(s.rfind(L'c', 1), npos);
  EXPECT_EQ(s.rfind(L'b', 100), 7u);
  EXPECT_EQ(tstring().rfind(L'a'), npos);
  EXPECT_EQ(s.rfind(L"ab"), 6u);
  EXPECT_EQ(s.rfind(L"ab", 5), 3u);
  EXPECT_EQ(s.rfind(L"abc", 7), 3u);  // starts at most at size − n
  EXPECT_EQ(s.rfind(L"ab", 0), 0u);
  EXPECT_EQ(s.rfind(L"bc", 0), npos);
  EXPECT_EQ(s.rfind(tstring(L"ca")), 5u);
  EXPECT_EQ(s.rfind(L""), npos);
  EXPECT_EQ(s.rfind(tstring()), npos);
  EXPECT_EQ(s.rfind(L"abcabcabc"), npos);
  EXPECT_EQ(s.rfind(static_cast<const wchar_t*>(nullptr)), npos);
  EXPECT_EQ(tstring(L"abc").rfind(L"abc"), 0u);
}

TEST(TStringFind, FirstOfAndFirstNotOf) {
  const tstring s(L"a,b;c");
  EXPECT_EQ(s.find_first_of(L",;"), 1u);
  EXPECT_EQ(s.find_first_of(L",;", 2), 3u);
  EXPECT_EQ(s.find_first_of(L",;", 4), npos);
  EXPECT_EQ(s.find_first_of(L",;", 5), npos);
  EXPECT_EQ(s.find_first_of(L";,x", 0, 1), 3u);  // only the first character of the set
  EXPECT_EQ(s.find_first_of(L'c'), 4u);
  EXPECT_EQ(s.find_first_of(tstring(L"cb")), 2u);
  EXPECT_EQ(s.find_first_of(L""), npos);
  EXPECT_EQ(s.find_first_of(static_cast<const wchar_t*>(nullptr)), npos);
  EXPECT_EQ(s.find_first_not_of(L"a,"), 2u);
  EXPECT_EQ(s.find_first_not_of(L'a'), 1u);
  EXPECT_EQ(s.find_first_not_of(L"abc,;"), npos);
  EXPECT_EQ(s.find_first_not_of(tstring(L"a"), 3), 3u);
  EXPECT_EQ(s.find_first_not_of(L"x", 5), npos);
  EXPECT_EQ(s.find_first_not_of(L"", 2), 2u);  // every character is outside an empty set
}

TEST(TStringFind, LastOfAndLastNotOf) {
  const tstring s(L"axbyc");
  EXPECT_EQ(s.find_last_of(L"xy"), 3u);
  EXPECT_EQ(s.find_last_of(tstring(L"xy")), 3u);
  EXPECT_EQ(s.find_last_of(L"xy", 2), 1u);
  EXPECT_EQ(s.find_last_of(L"xy", 0), npos);
  EXPECT_EQ(s.find_last_of(L"c", 100), 4u);
  EXPECT_EQ(s.find_last_of(L'a'), 0u);
  EXPECT_EQ(s.find_last_of(L""), npos);
  EXPECT_EQ(tstring().find_last_of(L"xy"), npos);
  EXPECT_EQ(s.find_last_not_of(L"cy"), 2u);
  EXPECT_EQ(s.find_last_not_of(L'c'), 3u);
  EXPECT_EQ(s.find_last_not_of(tstring(L"abcxy")), npos);
  EXPECT_EQ(s.find_last_not_of(L"a", 0), npos);
  EXPECT_EQ(s.find_last_not_of(L"x", 1), 0u);
}

TEST(TStringCompare, PrefixesAndOrder) {
  const tstring ab(L"ab"), abc(L"abc"), abd(L"abd");
  EXPECT_LT(ab.compare(abc), 0);
  EXPECT_GT(abc.compare(ab), 0);
  EXPECT_LT(abc.compare(abd), 0);
  EXPECT_EQ(abc.compare(tstring(L"abc")), 0);
  EXPECT_TRUE(ab < abc);
  EXPECT_TRUE(abc > ab);
  EXPECT_TRUE(ab <= abc && abc >= ab && ab != abc);
  EXPECT_TRUE(tstring() < ab);
  // Ordinal by code unit: no case folding, high code units above ASCII.
  EXPECT_LT(tstring(L"B").compare(L"a"), 0);
  EXPECT_GT(tstring(L"\xE9").compare(L"z"), 0);
  EXPECT_GT(tstring(L"\xFFFF").compare(L"\x7FFF"), 0);
}

TEST(TStringCompare, SelfAndSharedCopies) {
  const tstring a(L"some text");
  const tstring b(a);
  EXPECT_EQ(a.compare(a), 0);
  EXPECT_EQ(a.compare(b), 0);
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a != b);
  EXPECT_TRUE(a <= b && a >= b);
}

TEST(TStringCompare, EmbeddedZerosAreCharacters) {
  const tstring a(L"a\0b", 3), c(L"a\0c", 3), shortOne(L"a", 1), zeroEnd(L"a\0", 2);
  EXPECT_LT(a.compare(c), 0);
  EXPECT_FALSE(a == c);
  EXPECT_GT(zeroEnd.compare(shortOne), 0);
  EXPECT_FALSE(zeroEnd == shortOne);
  EXPECT_EQ(a.compare(tstring(L"a\0b", 3)), 0);
  // A character pointer ends at its terminator.
  EXPECT_GT(a.compare(L"a"), 0);
  EXPECT_TRUE(shortOne == L"a\0zzz");
}

TEST(TStringCompare, PointerCharacterAndRangeForms) {
  const tstring s(L"hello world");
  EXPECT_EQ(s.compare(L"hello world"), 0);
  EXPECT_GT(s.compare(L"hello"), 0);
  EXPECT_EQ(s.compare(L"hello world!!", 11), 0);
  EXPECT_GT(s.compare(static_cast<const wchar_t*>(nullptr)), 0);
  EXPECT_EQ(tstring().compare(static_cast<const wchar_t*>(nullptr)), 0);
  EXPECT_EQ(s.compare(6, 5, L"world"), 0);
  EXPECT_EQ(s.compare(6, npos, L"worldwide", 5), 0);
  EXPECT_LT(s.compare(0, 4, L"hello"), 0);
  EXPECT_EQ(s.compare(6, 5, tstring(L"world")), 0);
  EXPECT_EQ(s.compare(0, 5, tstring(L"say hello"), 4, npos), 0);
  EXPECT_GT(s.compare(0, 5, tstring(L"say hello"), 4, 3), 0);
  EXPECT_EQ(s.compare(50, 2, L""), 0);  // a position beyond the end is the empty tail

  const tstring x(L"x");
  EXPECT_TRUE(x == L'x');
  EXPECT_TRUE(x < L'y' && x > L'w' && x != L'y');
  EXPECT_TRUE(tstring(L"xa") > L'x');
  EXPECT_TRUE(tstring() < L'x');
  EXPECT_TRUE(L"x" == x);
  EXPECT_TRUE(L"w" < x && L"y" > x && L"xx" >= x && L"" <= x && L"y" != x);
}

TEST(TStringHash, HashesSizeBytesOfTheCharacters) {
  const tstring s(L"abcdef");
  EXPECT_EQ(Orv::HashFunc(s), Orv::HashBytes(reinterpret_cast<const unsigned char*>(s.c_str()), 6));
  EXPECT_NE(Orv::HashFunc(s), Orv::HashBytes(reinterpret_cast<const unsigned char*>(s.c_str()), 12));
  EXPECT_EQ(Orv::HashFunc(tstring()), 0x9E3779B9u);
  // Only the first half of the bytes count: the same first three characters, the same hash.
  EXPECT_EQ(Orv::HashFunc(tstring(L"abcXYZ")), Orv::HashFunc(s));
  EXPECT_NE(Orv::HashFunc(tstring(L"abXdef")), Orv::HashFunc(s));
  // Equal strings in different records hash alike.
  tstring other(L"abc");
  other += L"def";
  EXPECT_NE(other.data(), s.data());
  EXPECT_EQ(Orv::HashFunc(other), Orv::HashFunc(s));
  EXPECT_EQ(Orv::CompareFunc(other, s), 0);
  EXPECT_EQ(Orv::CompareFunc(tstring(L"a"), s), -1);
  EXPECT_EQ(Orv::CompareFunc(s, tstring(L"a")), 1);
  EXPECT_TRUE(Orv::LessThanFunc(tstring(L"a"), s));
}
