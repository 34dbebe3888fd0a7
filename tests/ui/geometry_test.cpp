// Points and rectangles, conversions, coordinate spaces, work areas, centring, sizing and moving.
#include <windows.h>

#include <gtest/gtest.h>

#include "orvutil/ui.h"
#include "ui_test_support.h"

namespace UiTests {
namespace {

using Point = Orv::tPoint<int>;
using Rect = Orv::tRect<int>;

TEST(Geometry, ArithmeticAndPackedCoordinates) {
  Rect rect(10, 20, 40, 60);
  EXPECT_EQ(Point(30, 40), rect.Size());
  EXPECT_EQ(Rect(Point(0, 25), Point(30, 65)), rect.Offset(Point(-10, 5)));
  EXPECT_TRUE(rect.Contains(Point(10, 20)) && !rect.Contains(Point(40, 30)));  // right edge excluded
  EXPECT_TRUE(Rect(5, 5, 5, 9).IsEmpty() && Rect(5, 9, 8, 2).IsEmpty() && !rect.IsEmpty());
  for (short x : {0, -5, -32768, 32767})  // signed 16-bit halves
    for (short y : {0, -300, 32767, -32768})
      EXPECT_EQ(Point(x, y), Orv::ToPoint(static_cast<long>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)))));
  EXPECT_EQ(Point(-70000, 80000), Orv::ToPoint(POINTL{-70000, 80000}));
  EXPECT_EQ(Rect(-1, 2, 3, 4), Orv::ToRect(Orv::ToRECT(Rect(-1, 2, 3, 4))));
}

// A bordered popup with a borderless child at (10, 20), 30 x 40.
class WindowSpaces : public ::testing::Test {
 protected:
  WindowSpaces()
      : m_parent(100, 50, 300, 200, WS_POPUP | WS_CAPTION | WS_THICKFRAME), m_child(10, 20, 30, 40, 0, m_parent) {}
  CPlainWindow m_parent;
  CPlainWindow m_child;
};

TEST_F(WindowSpaces, RectanglesAndConversionsInEachCoordinateSpace) {
  Rect parentWindow = Orv::GetWindowRect(m_parent), clientOnWindow = Orv::GetClientOnWindow(m_parent);
  Point origin = Orv::GetClientOnScreen(m_parent).TopLeft();
  EXPECT_EQ(Rect(100, 50, 400, 250), parentWindow);
  EXPECT_GT(clientOnWindow.top, 0);  // below the caption
  EXPECT_EQ(Orv::GetClientRect(m_parent).Size(), clientOnWindow.Size());
  EXPECT_EQ(clientOnWindow.TopLeft() + parentWindow.TopLeft(), origin);
  EXPECT_EQ(Rect(0, 0, 30, 40), Orv::GetClientRect(m_child));
  EXPECT_EQ(Rect(10, 20, 40, 60), Orv::GetWindowRectOnParentClient(m_child));
  EXPECT_EQ(Rect(10, 20, 40, 60).Offset(clientOnWindow.TopLeft()), Orv::GetWindowRectOnParent(m_child));
  EXPECT_EQ(Rect(10, 20, 40, 60).Offset(origin), Orv::GetWindowRect(m_child));
  EXPECT_EQ(parentWindow, Orv::GetWindowRectOnParent(m_parent));  // top-level windows: on the screen
  EXPECT_EQ(parentWindow, Orv::GetWindowRectOnParentClient(m_parent));
  EXPECT_EQ(origin + Point(1, 2), Orv::ClientToScreen(m_parent, Point(1, 2)));
  EXPECT_EQ(Rect(0, 0, 5, 6), Orv::ScreenToClient(m_parent, Rect(0, 0, 5, 6).Offset(origin)));
  EXPECT_EQ(Point(11, 21), Orv::ClientToClient(m_child, m_parent, Point(1, 1)));
  EXPECT_EQ(Rect(0, 0, 2, 2), Orv::ClientToClient(m_parent, m_child, Rect(10, 20, 12, 22)));
  HWND dead = reinterpret_cast<HWND>(0x7FFF0);  // a dead window leaves the input as it is
  EXPECT_EQ(Point(3, 4), Orv::ClientToClient(dead, m_parent, Point(3, 4)));
  EXPECT_EQ(Rect(1, 2, 3, 4), Orv::ScreenToClient(dead, Rect(1, 2, 3, 4)));
  EXPECT_EQ(Rect(), Orv::GetWindowRect(dead));
  EXPECT_EQ(Rect(), Orv::GetClientOnWindow(nullptr));
}

TEST(Geometry, WindowSizeFromClientSizeGivesTheRequestedClientArea) {
  HMENU menu = ::CreateMenu();
  ::AppendMenuW(menu, MF_STRING, 1, L"File");
  struct {
    DWORD style;
    bool withMenu;
  } const cases[] = {{WS_POPUP, false}, {WS_OVERLAPPEDWINDOW, false}, {WS_POPUP | WS_DLGFRAME, true}};
  for (auto const& c : cases) {
    CPlainWindow window(0, 0, 50, 50, c.style);
    if (c.withMenu) ::SetMenu(window, menu);
    Point client(230, 170);
    Point outer = Orv::WindowSizeFromClientSize(window, client);
    if (c.style != WS_POPUP) {
      EXPECT_GT(outer.y, client.y);
    }
    ::SetWindowPos(window, nullptr, 0, 0, outer.x, outer.y, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Orv::GetClientRect(window).Size(), client) << c.style;
    if (c.withMenu) ::SetMenu(window, nullptr);
  }
  ::DestroyMenu(menu);
  EXPECT_EQ(Point(5, 6), Orv::WindowSizeFromClientSize(nullptr, Point(5, 6)));
}

// Placements relative to the primary work area W: where the window of `size` ends up when centred
// on a parent at `parent` (offsets from W's top-left), or on W itself without parent.
TEST(Geometry, CenterWindowCentresAndKeepsInsideThePrimaryWorkArea) {
  Rect work = Orv::GetWorkArea(static_cast<HWND>(nullptr));
  Point w = work.TopLeft();
  struct {
    bool hasParent;
    Rect parent;  // relative to the work area's top-left
    Point size;
    Point expected;  // top-left, relative to the work area's top-left
  } const cases[] = {
      {true, Rect(100, 100, 500, 400), Point(200, 100), Point(200, 200)},
      {true, Rect(100, 100, 501, 401), Point(200, 100), Point(200, 200)},  // halves truncated
      {true, Rect(300, 300, 400, 400), Point(201, 151), Point(250, 275)},  // toward zero: -50, -25
      {true, Rect(-400, -400, -300, -300), Point(40, 40), Point(0, 0)},    // pulled back in at the top left
      {true, Rect(work.Width() - 50, 0, work.Width() + 50, 100), Point(60, 60),
       Point(work.Width() - 60, 20)},  // pushed back from the right
      {false, Rect(), Point(100, 60), Point((work.Width() - 100) / 2, (work.Height() - 60) / 2)},
      {false, Rect(), Point(work.Width() + 40, 30), Point(0, (work.Height() - 30) / 2)},  // larger: left wins
  };
  for (auto const& c : cases) {
    Rect parentRect = c.parent.Offset(w);
    CPlainWindow parent(parentRect.left, parentRect.top, parentRect.Width(), parentRect.Height());
    CPlainWindow window(0, 0, c.size.x, c.size.y);
    ASSERT_TRUE(Orv::CenterWindow(window, c.hasParent ? static_cast<HWND>(parent) : nullptr));
    EXPECT_EQ(Orv::GetWindowRect(window), Rect(c.expected + w, c.expected + w + c.size))
        << c.parent.left << "," << c.parent.top;
  }
  EXPECT_FALSE(Orv::CenterWindow(nullptr, nullptr));
  EXPECT_EQ(work, Orv::GetWorkArea(work.TopLeft()));
  EXPECT_EQ(work, Orv::GetWorkArea(Rect(work.left, work.top, work.left + 10, work.top + 10)));
  CPlainWindow parent(work.left + 20, work.top + 30, 300, 200, WS_POPUP | WS_CAPTION);
  CPlainWindow child(0, 0, 100, 50, 0, parent);  // centred in its parent's client area
  EXPECT_EQ(work, Orv::GetWorkArea(static_cast<HWND>(parent)));
  ASSERT_TRUE(Orv::CenterWindow(child, parent));
  EXPECT_EQ(Point(work.left + 120, work.top + 105), Orv::GetWindowRect(child).TopLeft());
}

TEST(Geometry, MoveAndDeferredMove) {
  CPlainWindow first(0, 0, 10, 10);
  CPlainWindow second(0, 0, 10, 10);
  EXPECT_TRUE(Orv::MoveWindow(first, Rect(5, 6, 55, 46), false));
  EXPECT_EQ(Rect(5, 6, 55, 46), Orv::GetWindowRect(first));
  EXPECT_FALSE(Orv::MoveWindow(nullptr, Rect(5, 6, 55, 46), false));

  HDWP batch = ::BeginDeferWindowPos(2);
  batch = Orv::DeferMoveWindow(batch, first, Rect(1, 2, 3, 4), true);
  ASSERT_NE(batch, nullptr);
  batch = Orv::DeferMoveWindow(batch, second, Rect(10, 20, 30, 40), false);
  ASSERT_NE(batch, nullptr);
  EXPECT_TRUE(::EndDeferWindowPos(batch));
  EXPECT_EQ(Rect(1, 2, 3, 4), Orv::GetWindowRect(first));
  EXPECT_EQ(Rect(10, 20, 30, 40), Orv::GetWindowRect(second));
}

TEST(Geometry, CursorPositionsAndTheWindowUnderThem) {
  Rect work = Orv::GetWorkArea(static_cast<HWND>(nullptr));
  CPlainWindow window(work.left + 10, work.top + 10, 80, 60, WS_POPUP | SS_NOTIFY);  // hit-testable static
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  Point inside(work.left + 50, work.top + 40);
  EXPECT_EQ(Orv::WindowFromPoint(inside), static_cast<HWND>(window));
  ASSERT_TRUE(::SetCursorPos(inside.x, inside.y));
  EXPECT_EQ(Orv::GetCursorPos(), inside);
  EXPECT_EQ(Orv::WindowFromCursor(), static_cast<HWND>(window));
  // The position recorded with a message is the cursor's when it was posted.
  ::PostMessageW(window, WM_NULL, 0, 0);
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, window, WM_NULL, WM_NULL, PM_REMOVE));
  EXPECT_EQ(Orv::GetMessageCursorPos(), inside);
}

}  // namespace
}  // namespace UiTests
