// Window text of any length, show/enable only on change, capture release, and the wait cursor.
#include <windows.h>

#include <gtest/gtest.h>

#include "orvutil/ui.h"
#include "ui_test_support.h"

namespace UiTests {
namespace {

TEST(WindowHelpers, TextVisibilityEnablingAndCapture) {
  CPlainWindow parent(0, 0, 100, 100), other(0, 0, 10, 10);
  HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent, reinterpret_cast<HMENU>(77),
                                 nullptr, nullptr);
  for (Orv::tstring const& text : {Orv::tstring(L""), Orv::tstring(L"two words"), Orv::tstring(1000, L'q') + L"\u00e9nd"}) {
    ASSERT_TRUE(::SetWindowTextW(child, text.c_str()));
    EXPECT_EQ(text, Orv::GetWindowTextW(child));
    EXPECT_EQ(text, Orv::GetDialogItemText(parent, 77));
  }
  EXPECT_EQ(L"", Orv::GetWindowTextW(nullptr));
  EXPECT_EQ(L"", Orv::GetDialogItemText(parent, 12345));
  // Each call reports whether it changed anything; a child of a hidden parent is visible itself.
  const bool visibility[] = {true, true, false}, visibilityChanges[] = {true, false, true};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(visibilityChanges[i], Orv::EnsureWindowVisible(child, visibility[i]));
  EXPECT_FALSE(::GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE);
  const bool enabling[] = {true, false, false, true}, enablingChanges[] = {false, true, false, true};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(enablingChanges[i], Orv::EnsureWindowEnabled(child, enabling[i]));
  EXPECT_TRUE(::IsWindowEnabled(child));
  EXPECT_FALSE(Orv::EnsureWindowVisible(nullptr, true) || Orv::EnsureWindowEnabled(nullptr, false));
  ::SetCapture(parent);
  EXPECT_FALSE(Orv::ReleaseCapture(other) || Orv::ReleaseCapture(nullptr));
  EXPECT_EQ(static_cast<HWND>(parent), ::GetCapture());
  EXPECT_TRUE(Orv::ReleaseCapture(parent));
  EXPECT_EQ(nullptr, ::GetCapture());
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
  HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT), arrow = ::LoadCursorW(nullptr, IDC_ARROW);
  ::SetCursor(arrow);
  {
    Orv::CWaitCursor outer;
    EXPECT_EQ(wait, ::GetCursor());
    { Orv::CWaitCursor inner; }
    EXPECT_EQ(1u, Orv::CWaitCursor::GetDepth());
    ::SetCursor(arrow);  // WM_SETCURSOR is answered with the wait cursor, not dispatched
    EXPECT_FALSE(SetCursorReachesWindow(window));
    EXPECT_EQ(wait, ::GetCursor());
  }
  EXPECT_EQ(0u, Orv::CWaitCursor::GetDepth());
  EXPECT_TRUE(SetCursorReachesWindow(window));
}

}  // namespace
}  // namespace UiTests
