// Points and rectangles, conversions, coordinate spaces, work areas, centring, sizing and moving.
#include <windows.h>

#include <gtest/gtest.h>

#include "orvutil/ui.h"
#include "ui_test_support.h"

namespace UiTests {
namespace {

using Point = Orv::tPoint<int>;
using Rect = Orv::tRect<int>;

TEST(Coords, PointAndRectArithmetic) {
  Rect rect(10, 20, 40, 60);
  EXPECT_EQ(rect.Size(), Point(30, 40));
  EXPECT_EQ(rect.TopLeft() + Point(1, 2) - Point(2, 4), Point(9, 18));
  EXPECT_EQ(rect.Offset(Point(-10, 5)), Rect(Point(0, 25), Point(30, 65)));
  EXPECT_TRUE(rect.Contains(Point(10, 20)));
  EXPECT_FALSE(rect.Contains(Point(40, 30)));  // right edge excluded
  EXPECT_FALSE(rect.IsEmpty());
  EXPECT_TRUE(Rect(5, 5, 5, 9).IsEmpty());
  EXPECT_TRUE(Rect(5, 9, 8, 2).IsEmpty());
}

TEST(Geometry, PackedCoordinatesSplitIntoSigned16BitHalves) {
  struct {
    short x;
    short y;
  } const cases[] = {{0, 0}, {-5, -300}, {-32768, 32767}, {32767, -1}, {123, -32768}};
  for (auto const& c : cases) {
    long packed = static_cast<long>(MAKELONG(static_cast<WORD>(c.x), static_cast<WORD>(c.y)));
    EXPECT_EQ(Orv::ToPoint(packed), Point(c.x, c.y));
    POINT point = Orv::ToPOINT(packed);
    EXPECT_EQ(point.x, c.x);
    EXPECT_EQ(point.y, c.y);
  }
  EXPECT_EQ(Orv::ToPoint(POINTS{-7, 8}), Point(-7, 8));
  EXPECT_EQ(Orv::ToPoint(POINTL{-70000, 80000}), Point(-70000, 80000));
  EXPECT_EQ(Orv::ToPoint(Orv::ToPOINT(Point(-1, 2))), Point(-1, 2));
  EXPECT_EQ(Orv::ToRect(Orv::ToRECT(Rect(-1, 2, 3, 4))), Rect(-1, 2, 3, 4));
}

// A bordered popup with a borderless child at (10, 20), 30 x 40.
class WindowSpaces : public ::testing::Test {
 protected:
  WindowSpaces()
      : m_parent(100, 50, 300, 200, WS_POPUP | WS_CAPTION | WS_THICKFRAME), m_child(10, 20, 30, 40, 0, m_parent) {}
  CPlainWindow m_parent;
  CPlainWindow m_child;
};

TEST_F(WindowSpaces, RectanglesInEachCoordinateSpace) {
  Rect parentWindow = Orv::GetWindowRect(m_parent);
  EXPECT_EQ(parentWindow, Rect(100, 50, 400, 250));
  Rect clientOnWindow = Orv::GetClientOnWindow(m_parent);
  EXPECT_GT(clientOnWindow.top, 0);  // below the caption
  EXPECT_EQ(clientOnWindow.Size(), Orv::GetClientRect(m_parent).Size());
  EXPECT_EQ(Orv::GetClientOnScreen(m_parent), clientOnWindow.Offset(parentWindow.TopLeft()));

  EXPECT_EQ(Orv::GetClientRect(m_child), Rect(0, 0, 30, 40));
  EXPECT_EQ(Orv::GetWindowRectOnParentClient(m_child), Rect(10, 20, 40, 60));
  EXPECT_EQ(Orv::GetWindowRectOnParent(m_child), Rect(10, 20, 40, 60).Offset(clientOnWindow.TopLeft()));
  EXPECT_EQ(Orv::GetWindowRect(m_child), Rect(10, 20, 40, 60).Offset(Orv::GetClientOnScreen(m_parent).TopLeft()));
  // Top-level windows are placed on the screen.
  EXPECT_EQ(Orv::GetWindowRectOnParent(m_parent), parentWindow);
  EXPECT_EQ(Orv::GetWindowRectOnParentClient(m_parent), parentWindow);
}

TEST_F(WindowSpaces, PointAndRectConversionsBetweenSpaces) {
  Point origin = Orv::GetClientOnScreen(m_parent).TopLeft();
  EXPECT_EQ(Orv::ClientToScreen(m_parent, Point(1, 2)), origin + Point(1, 2));
  EXPECT_EQ(Orv::ScreenToClient(m_parent, origin), Point());
  EXPECT_EQ(Orv::ClientToScreen(m_parent, Rect(0, 0, 5, 6)), Rect(0, 0, 5, 6).Offset(origin));
  EXPECT_EQ(Orv::ScreenToClient(m_parent, Rect(0, 0, 5, 6).Offset(origin)), Rect(0, 0, 5, 6));
  EXPECT_EQ(Orv::ClientToClient(m_child, m_parent, Point(1, 1)), Point(11, 21));
  EXPECT_EQ(Orv::ClientToClient(m_parent, m_child, Rect(10, 20, 12, 22)), Rect(0, 0, 2, 2));
  // Null is the screen; a dead window leaves the input as it is.
  EXPECT_EQ(Orv::ClientToScreen(nullptr, Point(3, 4)), Point(3, 4));
  HWND dead = reinterpret_cast<HWND>(0x7FFF0);
  EXPECT_EQ(Orv::ClientToClient(dead, m_parent, Point(3, 4)), Point(3, 4));
  EXPECT_EQ(Orv::ScreenToClient(dead, Rect(1, 2, 3, 4)), Rect(1, 2, 3, 4));
  EXPECT_EQ(Orv::GetWindowRect(dead), Rect());
  EXPECT_EQ(Orv::GetClientOnWindow(nullptr), Rect());
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
  EXPECT_EQ(Orv::WindowSizeFromClientSize(nullptr, Point(5, 6)), Point(5, 6));
}

TEST(Geometry, WorkAreasOfThePrimaryMonitor) {
  Rect primary = Orv::GetWorkArea(static_cast<HWND>(nullptr));
  ASSERT_FALSE(primary.IsEmpty());
  EXPECT_EQ(Orv::GetWorkArea(primary.TopLeft()), primary);
  EXPECT_EQ(Orv::GetWorkArea(Rect(primary.left, primary.top, primary.left + 10, primary.top + 10)), primary);
  CPlainWindow window(primary.left + 5, primary.top + 5, 20, 20);
  EXPECT_EQ(Orv::GetWorkArea(static_cast<HWND>(window)), primary);
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
}

TEST(Geometry, CenterWindowPlacesChildrenInTheirParentsClientArea) {
  Rect work = Orv::GetWorkArea(static_cast<HWND>(nullptr));
  CPlainWindow parent(work.left + 20, work.top + 30, 300, 200, WS_POPUP | WS_CAPTION);
  CPlainWindow child(0, 0, 100, 50, 0, parent);
  ASSERT_TRUE(Orv::CenterWindow(child, parent));
  Point expected = Point(work.left + 20 + 100, work.top + 30 + 75);
  EXPECT_EQ(Orv::GetWindowRect(child).TopLeft(), expected);
}

TEST(Geometry, MoveAndDeferredMove) {
  CPlainWindow first(0, 0, 10, 10);
  CPlainWindow second(0, 0, 10, 10);
  EXPECT_TRUE(Orv::MoveWindow(first, Rect(5, 6, 55, 46), false));
  EXPECT_EQ(Orv::GetWindowRect(first), Rect(5, 6, 55, 46));
  EXPECT_FALSE(Orv::MoveWindow(nullptr, Rect(5, 6, 55, 46), false));

  HDWP batch = ::BeginDeferWindowPos(2);
  batch = Orv::DeferMoveWindow(batch, first, Rect(1, 2, 3, 4), true);
  ASSERT_NE(batch, nullptr);
  batch = Orv::DeferMoveWindow(batch, second, Rect(10, 20, 30, 40), false);
  ASSERT_NE(batch, nullptr);
  EXPECT_TRUE(::EndDeferWindowPos(batch));
  EXPECT_EQ(Orv::GetWindowRect(first), Rect(1, 2, 3, 4));
  EXPECT_EQ(Orv::GetWindowRect(second), Rect(10, 20, 30, 40));
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
