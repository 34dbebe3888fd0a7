// StringAllocator: size classes, headers, heap buffers and reference counting.
#include <gtest/gtest.h>

#include <cstring>

#include "orvutil/foundation.h"

using Orv::StringAllocator;

TEST(StringAllocator, SizeClassesByCharacterCount) {
  struct Case {
    unsigned count;
    Orv::EStringSizeClass expected;
  } cases[] = {{0, Orv::eStringSize32},     {1, Orv::eStringSize32},       {32, Orv::eStringSize32},
               {33, Orv::eStringSize64},    {64, Orv::eStringSize64},      {65, Orv::eStringSize128},
               {128, Orv::eStringSize128},  {129, Orv::eStringSize256},    {256, Orv::eStringSize256},
               {257, Orv::eStringSizeHeap}, {100000, Orv::eStringSizeHeap}};
  for (const Case& c : cases) {
    wchar_t* buffer = StringAllocator::NewPoolString(c.count);
    ASSERT_NE(buffer, nullptr) << c.count;
    EXPECT_EQ(StringAllocator::GetSizeClass(buffer), c.expected) << c.count;
    EXPECT_EQ(StringAllocator::SizeClassFor(c.count), c.expected) << c.count;
    StringAllocator::DeletePoolString(buffer);
  }
}

TEST(StringAllocator, BuffersHoldTheirWholeSizeIndependently) {
  const unsigned sizes[] = {32, 64, 128, 256, 1000};
  wchar_t* buffers[5];
  for (int i = 0; i < 5; ++i) {
    buffers[i] = StringAllocator::NewPoolString(sizes[i]);
    for (unsigned c = 0; c < sizes[i]; ++c) buffers[i][c] = static_cast<wchar_t>(i + 1);
  }
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(StringAllocator::GetSizeClass(buffers[i]), StringAllocator::SizeClassFor(sizes[i]));
    for (unsigned c = 0; c < sizes[i]; ++c) ASSERT_EQ(buffers[i][c], static_cast<wchar_t>(i + 1));
    StringAllocator::DeletePoolString(buffers[i]);
  }
}

TEST(StringAllocator, CountsBuffersPerClassAndOnTheHeap) {
  Orv::SStringAllocatorStats before = StringAllocator::GetStats();
  wchar_t* small = StringAllocator::NewPoolString(10);
  wchar_t* medium = StringAllocator::NewPoolString(100);
  wchar_t* large = StringAllocator::NewPoolString(300);
  Orv::SStringAllocatorStats during = StringAllocator::GetStats();
  EXPECT_EQ(during.references, before.references + 3);
  EXPECT_EQ(during.poolInUse[0], before.poolInUse[0] + 1);
  EXPECT_EQ(during.poolInUse[2], before.poolInUse[2] + 1);
  EXPECT_EQ(during.heapInUse, before.heapInUse + 1);
  EXPECT_EQ(during.heapAllocations, before.heapAllocations + 1);
  EXPECT_GE(during.heapPeak, during.heapInUse);
  StringAllocator::DeletePoolString(small);
  StringAllocator::DeletePoolString(medium);
  StringAllocator::DeletePoolString(large);
  Orv::SStringAllocatorStats after = StringAllocator::GetStats();
  EXPECT_EQ(after.references, before.references);
  EXPECT_EQ(after.poolInUse[0], before.poolInUse[0]);
  EXPECT_EQ(after.heapInUse, before.heapInUse);
}

TEST(StringAllocator, PooledBuffersAreReusedLastInFirstOut) {
  wchar_t* a = StringAllocator::NewPoolString(20);
  StringAllocator::DeletePoolString(a);
  wchar_t* b = StringAllocator::NewPoolString(30);
  EXPECT_EQ(a, b);
  StringAllocator::DeletePoolString(b);
}

TEST(StringAllocator, NullIsIgnored) {
  Orv::SStringAllocatorStats before = StringAllocator::GetStats();
  StringAllocator::DeletePoolString(nullptr);
  EXPECT_EQ(StringAllocator::GetStats().references, before.references);
}

TEST(StringAllocator, ServesCharacterArrays) {
  Orv::tVector<wchar_t, 1, 4, StringAllocator> text;
  const wchar_t* hello = L"hello, pooled world";
  text.Insert(0, hello, static_cast<unsigned>(wcslen(hello)));
  ASSERT_EQ(text.Count(), wcslen(hello));
  EXPECT_EQ(StringAllocator::GetSizeClass(text.Data()), Orv::eStringSize32);
  EXPECT_EQ(std::wmemcmp(text.Data(), hello, text.Count()), 0);
}
