// GDI objects and device contexts held by tHandle are deleted with their owner.
#include <windows.h>

#include <gtest/gtest.h>

#include "orvutil/foundation.h"
#include "orvutil/system.h"

namespace {

using GdiHandle = Orv::tHandle<void*, void*, Orv::MyDestroyGdiHandle>;
using DcHandle = Orv::tHandle<void*, void*, Orv::MyDestroyDcHandle>;

}  // namespace

TEST(GdiHandles, DeletedWithTheirOwner) {
  HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_NE(nullptr, brush);
  HDC dc = ::CreateCompatibleDC(nullptr);
  ASSERT_NE(nullptr, dc);
  {
    GdiHandle ownedBrush(brush);
    DcHandle ownedDc(dc);
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), ::GetObjectType(brush));
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(dc));
  }
  EXPECT_EQ(0u, ::GetObjectType(brush));
  EXPECT_EQ(0u, ::GetObjectType(dc));
}
