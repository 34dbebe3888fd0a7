// StringAllocator: size classes at their boundaries, independent buffers, balanced counts.
#include <gtest/gtest.h>

#include "orvutil/foundation.h"

using Orv::StringAllocator;

TEST(StringAllocator, SizeClassesHoldTheirWholeSizeAndCountsBalance) {
  struct Case {
    unsigned count;
    Orv::EStringSizeClass expected;
  } cases[] = {{0, Orv::eStringSize32},   {32, Orv::eStringSize32},   {33, Orv::eStringSize64},
               {64, Orv::eStringSize64},  {65, Orv::eStringSize128},  {128, Orv::eStringSize128},
               {129, Orv::eStringSize256}, {256, Orv::eStringSize256}, {257, Orv::eStringSizeHeap}};
  Orv::SStringAllocatorStats before = StringAllocator::GetStats();
  wchar_t* buffers[sizeof(cases) / sizeof(cases[0])];
  for (unsigned i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    buffers[i] = StringAllocator::NewPoolString(cases[i].count);
    ASSERT_NE(nullptr, buffers[i]);
    EXPECT_EQ(cases[i].expected, StringAllocator::GetSizeClass(buffers[i])) << cases[i].count;
    for (unsigned c = 0; c < cases[i].count; ++c) buffers[i][c] = static_cast<wchar_t>(i + 1);
  }
  EXPECT_EQ(before.references + 9, StringAllocator::GetStats().references);
  EXPECT_EQ(before.heapInUse + 1, StringAllocator::GetStats().heapInUse);
  for (unsigned i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    for (unsigned c = 0; c < cases[i].count; ++c) ASSERT_EQ(static_cast<wchar_t>(i + 1), buffers[i][c]);
    StringAllocator::DeletePoolString(buffers[i]);
  }
  StringAllocator::DeletePoolString(nullptr);
  Orv::SStringAllocatorStats after = StringAllocator::GetStats();
  EXPECT_EQ(before.references, after.references);
  EXPECT_EQ(before.heapInUse, after.heapInUse);
  for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(before.poolInUse[i], after.poolInUse[i]);
}
