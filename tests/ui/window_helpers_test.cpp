// Window text of any length, show/enable only on change, capture release, and the wait cursor.
#include "ui_test_support.h"

namespace UiTests {
namespace {

TEST(WindowHelpers, TextVisibilityEnablingAndCapture) {
  CPlainWindow parent(0, 0, 100, 100), other(0, 0, 10, 10);
  HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent, HMENU(77), nullptr, nullptr);
  for (Orv::tstring const& text : {Orv::tstring(L""), Orv::tstring(1000, L'q') + L"\u00e9nd"}) {
    ASSERT_TRUE(::SetWindowTextW(child, text.c_str()));
    EXPECT_TRUE(text == Orv::GetWindowTextW(child) && text == Orv::GetDialogItemText(parent, 77));
  }
  EXPECT_TRUE(Orv::GetWindowTextW(nullptr).empty() && Orv::GetDialogItemText(parent, 12345).empty());
  // Each call reports whether it changed anything; a child of a hidden parent is visible itself.
  struct { bool (*ensure)(HWND, bool); bool wanted, changed; } const calls[] = {
      {Orv::EnsureWindowVisible, true, true},  {Orv::EnsureWindowVisible, true, false},
      {Orv::EnsureWindowVisible, false, true}, {Orv::EnsureWindowEnabled, true, false},
      {Orv::EnsureWindowEnabled, false, true}, {Orv::EnsureWindowEnabled, false, false},
      {Orv::EnsureWindowEnabled, true, true}};
  for (auto const& c : calls) {
    EXPECT_EQ(c.changed, c.ensure(child, c.wanted)) << (&c - calls);
    EXPECT_FALSE(c.ensure(nullptr, c.wanted));
  }
  EXPECT_TRUE(::IsWindowEnabled(child) && !(::GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE));
  ::SetCapture(parent);
  EXPECT_FALSE(Orv::ReleaseCapture(other) || Orv::ReleaseCapture(nullptr) || ::GetCapture() != parent);
  EXPECT_TRUE(Orv::ReleaseCapture(parent) && !::GetCapture());
}

// While a wait cursor lives, WM_SETCURSOR is answered with it instead of reaching the window.
TEST(WaitCursor, NestedObjectsKeepTheWaitCursorUntilTheOutermostEnds) {
  CRecordingWindow window;
  ASSERT_TRUE(window.CreateMessageWindow());
  auto setCursorReachesWindow = [&] {
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    ::PostMessageW(window, WM_SETCURSOR, WPARAM(window.GetHwnd()), HTCLIENT);
    Pump();
    return window.CountOf(WM_SETCURSOR) > 0;
  };
  HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
  {
    Orv::CWaitCursor outer;
    EXPECT_EQ(wait, ::GetCursor());
    { Orv::CWaitCursor inner; }
    EXPECT_TRUE(Orv::CWaitCursor::GetDepth() == 1 && !setCursorReachesWindow() && ::GetCursor() == wait);
  }
  EXPECT_TRUE(Orv::CWaitCursor::GetDepth() == 0 && setCursorReachesWindow());
}

}  // namespace
}  // namespace UiTests
