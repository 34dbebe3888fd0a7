// Window text, show/enable only on change, capture release, and the wait cursor.
#include <windows.h>

#include <gtest/gtest.h>

#include "orvutil/ui.h"
#include "ui_test_support.h"

namespace UiTests {
namespace {

TEST(WindowHelpers, WindowTextOfAnyLength) {
  CPlainWindow window(0, 0, 10, 10);
  EXPECT_EQ(Orv::GetWindowTextW(window), L"");
  Orv::tstring longText(1000, L'q');
  longText += L"\u00e9nd";
  for (Orv::tstring const& text : {Orv::tstring(L"a"), Orv::tstring(L"two words"), longText}) {
    ASSERT_TRUE(::SetWindowTextW(window, text.c_str()));
    EXPECT_EQ(Orv::GetWindowTextW(window), text);
  }
  EXPECT_EQ(Orv::GetWindowTextW(nullptr), L"");
  EXPECT_EQ(Orv::GetDialogItemText(nullptr, 1), L"");
  EXPECT_EQ(Orv::GetDialogItemText(window, 12345), L"");
}

TEST(WindowHelpers, DialogItemTextOfAChild) {
  CPlainWindow parent(0, 0, 100, 100);
  HWND child = ::CreateWindowExW(0, L"STATIC", L"child text", WS_CHILD, 0, 0, 10, 10, parent,
                                 reinterpret_cast<HMENU>(77), nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(Orv::GetDialogItemText(parent, 77), L"child text");
}

TEST(WindowHelpers, VisibilityAndEnablingChangeOnlyWhenDifferent) {
  CPlainWindow parent(0, 0, 100, 100);
  CPlainWindow child(0, 0, 10, 10, 0, parent);
  EXPECT_TRUE(Orv::EnsureWindowVisible(child, true));
  EXPECT_FALSE(Orv::EnsureWindowVisible(child, true));  // visible itself, though its parent is hidden
  EXPECT_FALSE(::IsWindowVisible(child));
  EXPECT_TRUE(Orv::EnsureWindowVisible(child, false));
  EXPECT_FALSE(::GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE);

  EXPECT_FALSE(Orv::EnsureWindowEnabled(child, true));
  EXPECT_TRUE(Orv::EnsureWindowEnabled(child, false));
  EXPECT_FALSE(::IsWindowEnabled(child));
  EXPECT_FALSE(Orv::EnsureWindowEnabled(child, false));
  EXPECT_TRUE(Orv::EnsureWindowEnabled(child, true));
  EXPECT_TRUE(::IsWindowEnabled(child));

  EXPECT_FALSE(Orv::EnsureWindowVisible(nullptr, true));
  EXPECT_FALSE(Orv::EnsureWindowEnabled(nullptr, false));
}

TEST(WindowHelpers, ReleaseCaptureOnlyForTheHolder) {
  CPlainWindow holder(0, 0, 10, 10);
  CPlainWindow other(0, 0, 10, 10);
  ::SetCapture(holder);
  ASSERT_EQ(::GetCapture(), static_cast<HWND>(holder));
  EXPECT_FALSE(Orv::ReleaseCapture(other));
  EXPECT_FALSE(Orv::ReleaseCapture(nullptr));
  EXPECT_EQ(::GetCapture(), static_cast<HWND>(holder));
  EXPECT_TRUE(Orv::ReleaseCapture(holder));
  EXPECT_EQ(::GetCapture(), nullptr);
}

// Posts WM_SETCURSOR to the window and pumps; whether the window got it.
bool SetCursorReachesWindow(CRecordingWindow& window) {
  size_t before = window.CountOf(WM_SETCURSOR);
  ::PostMessageW(window.GetHwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHwnd()), HTCLIENT);
  Pump();
  return window.CountOf(WM_SETCURSOR) > before;
}

TEST(WaitCursor, NestedObjectsKeepTheWaitCursorUntilTheOutermostEnds) {
  CRecordingWindow window;
  ASSERT_TRUE(window.CreateMessageWindow());
  HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
  HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
  ::SetCursor(arrow);
  EXPECT_EQ(Orv::CWaitCursor::GetDepth(), 0u);
  {
    Orv::CWaitCursor outer;
    EXPECT_EQ(::GetCursor(), wait);
    {
      Orv::CWaitCursor inner;
      EXPECT_EQ(Orv::CWaitCursor::GetDepth(), 2u);
    }
    EXPECT_EQ(Orv::CWaitCursor::GetDepth(), 1u);
    // The filter is still there: WM_SETCURSOR is answered with the wait cursor, not dispatched.
    ::SetCursor(arrow);
    EXPECT_FALSE(SetCursorReachesWindow(window));
    EXPECT_EQ(::GetCursor(), wait);
  }
  EXPECT_EQ(Orv::CWaitCursor::GetDepth(), 0u);
  EXPECT_TRUE(SetCursorReachesWindow(window));
}

}  // namespace
}  // namespace UiTests
