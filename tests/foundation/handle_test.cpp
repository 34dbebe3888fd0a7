// tHandle: destroys what it owns exactly once (with a recording destroy function and with real
// event and font handles), leaves null alone, and hands ownership on by move and Detach.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "orvutil/foundation.h"

using Orv::tHandle;

namespace {

std::vector<void*> g_destroyed;
void RecordDestroy(void* handle) {
  g_destroyed.push_back(handle);
}

using RecordedHandle = tHandle<void*, void*, RecordDestroy>;
using KernelHandle = tHandle<void*, void*, Orv::MyDestroyHandle>;
using FontHandle = tHandle<void*, void*, Orv::MyDestroyFontHandle>;

void* Fake(int n) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(0x1000 + 4 * n));
}

bool IsOpen(HANDLE handle) {
  DWORD flags;
  return GetHandleInformation(handle, &flags) != FALSE;
}

class HandleTest : public ::testing::Test {
 protected:
  void SetUp() override { g_destroyed.clear(); }
};

}  // namespace

TEST_F(HandleTest, DestroysOnceOnDestruction) {
  { RecordedHandle handle(Fake(1)); }
  EXPECT_EQ(std::vector<void*>{Fake(1)}, g_destroyed);
}

TEST_F(HandleTest, NullIsNeverDestroyed) {
  {
    RecordedHandle handle;
    EXPECT_FALSE(handle.IsValid());
  }
  { RecordedHandle handle(nullptr); }
  EXPECT_TRUE(g_destroyed.empty());
}

TEST_F(HandleTest, ResetDestroysTheOldHandle) {
  RecordedHandle handle(Fake(1));
  handle.Reset(Fake(2));
  EXPECT_EQ(std::vector<void*>{Fake(1)}, g_destroyed);
  handle.Reset(Fake(2));  // the same handle again is kept, not destroyed
  EXPECT_EQ(1u, g_destroyed.size());
  handle.Reset();
  EXPECT_EQ((std::vector<void*>{Fake(1), Fake(2)}), g_destroyed);
  EXPECT_EQ(nullptr, handle.Get());
}

TEST_F(HandleTest, DetachAndMoveHandOwnershipOn) {
  {
    RecordedHandle a(Fake(3));
    EXPECT_EQ(Fake(3), a.Detach());
    EXPECT_FALSE(a.IsValid());
  }
  EXPECT_TRUE(g_destroyed.empty());
  {
    RecordedHandle a(Fake(4));
    RecordedHandle b(std::move(a));
    EXPECT_EQ(nullptr, a.Get());
    EXPECT_EQ(Fake(4), static_cast<void*>(b));
    RecordedHandle c(Fake(5));
    c = std::move(b);  // c's own handle goes first
    EXPECT_EQ(std::vector<void*>{Fake(5)}, g_destroyed);
  }
  EXPECT_EQ((std::vector<void*>{Fake(5), Fake(4)}), g_destroyed);
}

TEST_F(HandleTest, DestroysThroughTheVirtualDestructor) {
  RecordedHandle* handle = new RecordedHandle(Fake(6));
  struct Derived : RecordedHandle {
    using RecordedHandle::RecordedHandle;
  };
  RecordedHandle* derived = new Derived(Fake(7));
  delete handle;
  delete derived;
  EXPECT_EQ((std::vector<void*>{Fake(6), Fake(7)}), g_destroyed);
}

TEST(KernelHandle, ClosesARealEvent) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(nullptr, event);
  HANDLE keep = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &keep, 0, FALSE, DUPLICATE_SAME_ACCESS));
  {
    KernelHandle owner(event);
    EXPECT_TRUE(SetEvent(owner));
  }
  EXPECT_FALSE(IsOpen(event));
  // The event itself lives on through the other handle.
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(keep, 0));
  CloseHandle(keep);
}

TEST(KernelHandle, DestroyFunctionIgnoresNullAndInvalid) {
  Orv::MyDestroyHandle(nullptr);
  Orv::MyDestroyHandle(INVALID_HANDLE_VALUE);
  EXPECT_NE(nullptr, GetCurrentProcess());  // still usable: the pseudo-handle was not touched
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ASSERT_TRUE(IsOpen(event));
  Orv::MyDestroyHandle(event);
  EXPECT_FALSE(IsOpen(event));
}

TEST(FontHandle, RemovesAFontAddedFromMemory) {
  // The bytes of a font the system has: the file data of the default GUI font's face.
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(nullptr, dc);
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
  std::vector<unsigned char> data;
  if (size != GDI_ERROR && size > 0) {
    data.resize(size);
    if (GetFontData(dc, 0, 0, data.data(), size) != size) data.clear();
  }
  SelectObject(dc, oldFont);
  DeleteDC(dc);
  if (data.empty()) GTEST_SKIP() << "no font data available";

  DWORD fonts = 0;
  HANDLE added = AddFontMemResourceEx(data.data(), static_cast<DWORD>(data.size()), nullptr, &fonts);
  ASSERT_NE(nullptr, added);
  EXPECT_GE(fonts, 1u);
  { FontHandle owner(added); }
  Orv::MyDestroyFontHandle(nullptr);  // ignored
  // Some platforms (Wine) accept any handle here; then the removal cannot be observed.
  if (RemoveFontMemResourceEx(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FFF0001))))
    GTEST_SKIP() << "RemoveFontMemResourceEx does not report unknown handles here";
  EXPECT_FALSE(RemoveFontMemResourceEx(added));  // already removed by the owner
}
