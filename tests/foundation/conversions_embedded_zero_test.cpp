// The byte converters keep what the given length says, embedded zero bytes included, and agree
// with each other on it; without a length they stop at the first zero.
#include <gtest/gtest.h>

#include <string>

#include "orvutil/foundation.h"
#include "tstring_print.h"

namespace {

// ASCII bytes widened one by one: what both code pages make of them.
std::wstring Widened(const std::string& bytes) {
  return std::wstring(bytes.begin(), bytes.end());
}

std::wstring Text(const Orv::tstring& s) {
  return std::wstring(s.c_str(), s.size());
}

}  // namespace

TEST(ConversionEmbeddedZero, ExplicitLengthKeepsEveryByte) {
  const std::string inputs[] = {std::string("ab\0cd", 5), std::string("a\0", 2), std::string("\0\0x", 3),
                                std::string("\0", 1), std::string("tail\0\0", 6)};
  for (const std::string& bytes : inputs) {
    unsigned length = static_cast<unsigned>(bytes.size());
    std::wstring expected = Widened(bytes);
    EXPECT_EQ(Text(Orv::StringFromACP(bytes.data(), length)), expected) << ::testing::PrintToString(expected);
    EXPECT_EQ(Text(Orv::StringFromUTF8(bytes.data(), length)), expected) << ::testing::PrintToString(expected);
    // Without a length both stop at the first zero.
    std::wstring head = expected.substr(0, expected.find(L'\0'));
    EXPECT_EQ(Text(Orv::StringFromACP(bytes.data())), head);
    EXPECT_EQ(Text(Orv::StringFromUTF8(bytes.data())), head);
  }
}
