// HashWideString measures and hashes a wide C string in one call: its length and hash must equal
// wcslen and HashBytes over the characters for every start alignment and terminator position,
// including characters next to the terminator that look like zeros to a careless word test.
#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

#include "orvutil/foundation.h"

TEST(WideStringHash, LengthAndHashMatchWcslenAndHashBytes) {
  const wchar_t kAwkward[] = {0x0001, 0x0100, 0x8000, 0xFFFF, 0x7FFF, L'a'};
  std::vector<wchar_t> buffer(64);
  for (unsigned start = 0; start < 8; ++start) {
    for (unsigned length = 0; length < 20; ++length) {
      for (wchar_t neighbour : kAwkward) {
        for (unsigned i = 0; i < buffer.size(); ++i) buffer[i] = neighbour;
        for (unsigned i = 0; i < length; ++i) buffer[start + i] = static_cast<wchar_t>(kAwkward[(i + start) % 6]);
        buffer[start + length] = 0;
        const wchar_t* s = buffer.data() + start;
        size_t measured = 99;
        unsigned hash = Orv::HashWideString(s, measured);
        ASSERT_EQ(measured, std::wcslen(s)) << start << " " << length;
        EXPECT_EQ(hash, Orv::HashBytes(reinterpret_cast<const unsigned char*>(s), 2 * length));
        EXPECT_EQ(hash, Orv::HashFunc<wchar_t const*>(s));
      }
    }
  }
}

TEST(WideStringHash, NullIsTheEmptyString) {
  size_t length = 99;
  EXPECT_EQ(Orv::HashWideString(nullptr, length), 0x9E3779B9u);
  EXPECT_EQ(length, 0u);
}
