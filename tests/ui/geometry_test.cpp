// Points and rectangles against the Win32 functions they stand for: conversions, coordinate
// spaces, work areas, window sizes, centring, moving and the cursor position. Scroll bars: scroll
// areas, clamping of every scroll code, invalidation and wheel accumulation.
#include <windowsx.h>

#include "ui_test_support.h"

namespace UiTests {
namespace {

using Point = Orv::tPoint<int>;
using Rect = Orv::tRect<int>;

// Packed message coordinates split as GET_X_LPARAM and GET_Y_LPARAM do; edges and emptiness. A
// bordered popup at (100, 50), 300 x 200, with a borderless 30 x 40 child at (10, 20) of its client
// area, against a small model built from the popup's client rectangle and client origin on the
// screen (all that its frame decides). A dead window leaves the input as it is.
TEST(Geometry, PointsRectanglesAndConversionsInEachCoordinateSpace) {
  for (LPARAM packed : {MAKELPARAM(-5, -300), MAKELPARAM(-32768, 32767), MAKELPARAM(32767, -32768)})
    EXPECT_EQ(Point(GET_X_LPARAM(packed), GET_Y_LPARAM(packed)), Orv::ToPoint(static_cast<long>(packed)));
  Rect rect(10, 20, 40, 60);
  EXPECT_TRUE(rect.Contains(Point(10, 20)) && !rect.Contains(Point(40, 30)) && rect.Size() == Point(30, 40));
  EXPECT_TRUE(Rect(5, 5, 5, 9).IsEmpty() && Rect(5, 9, 8, 2).IsEmpty() && !rect.IsEmpty());
  CPlainWindow parent(100, 50, 300, 200, WS_POPUP | WS_CAPTION | WS_THICKFRAME), child(10, 20, 30, 40, 0, parent);
  POINT origin = {0, 0};
  RECT client;
  ASSERT_TRUE(::ClientToScreen(parent, &origin) && ::GetClientRect(parent, &client));
  Point onScreen(origin.x, origin.y), frame = onScreen - Point(100, 50);
  Rect outer(100, 50, 400, 250), inner = Orv::ToRect(client);
  HWND dead = reinterpret_cast<HWND>(0x7FFF0);
  const std::pair<Rect, Rect> cases[] = {
      {inner, Orv::GetClientRect(parent)}, {inner.Offset(onScreen), Orv::GetClientOnScreen(parent)},
      {inner.Offset(frame), Orv::GetClientOnWindow(parent)}, {outer, Orv::GetWindowRectOnParent(parent)},
      {outer, Orv::GetWindowRectOnParentClient(parent)}, {rect.Offset(onScreen), Orv::GetClientOnScreen(child)},
      {Rect(0, 0, 30, 40), Orv::GetClientOnWindow(child)}, {rect.Offset(frame), Orv::GetWindowRectOnParent(child)},
      {rect, Orv::GetWindowRectOnParentClient(child)}, {Rect(), Orv::GetWindowRect(dead)},
      {Rect(0, 0, 2, 2), Orv::ClientToClient(parent, child, Rect(10, 20, 12, 22))},
      {Rect(1, 2, 3, 4), Orv::ScreenToClient(dead, Rect(1, 2, 3, 4))}, {Rect(), Orv::GetClientOnWindow(nullptr)}};
  for (auto const& c : cases) EXPECT_EQ(c.first, c.second) << &c - cases;
  EXPECT_EQ(onScreen + Point(11, 22), Orv::ClientToScreen(child, Point(1, 2)));
  EXPECT_EQ(Point(11, 21), Orv::ClientToClient(child, parent, Point(1, 1)));
  EXPECT_EQ(Point(3, 4), Orv::ClientToClient(dead, parent, Point(3, 4)));
}

// The window made that size gets the requested client area below its menu bar.
TEST(Geometry, WindowSizeFromClientSizeGivesTheRequestedClientArea) {
  CPlainWindow window(0, 0, 50, 50, WS_OVERLAPPEDWINDOW);
  HMENU menu = ::CreateMenu();  // destroyed with the window
  ASSERT_TRUE(::AppendMenuW(menu, MF_STRING, 1, L"File") && ::SetMenu(window, menu));
  Point outer = Orv::WindowSizeFromClientSize(window, Point(230, 170));
  ::SetWindowPos(window, nullptr, 0, 0, outer.x, outer.y, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(Point(230, 170), Orv::GetClientRect(window).Size());
  EXPECT_EQ(Point(5, 6), Orv::WindowSizeFromClientSize(nullptr, Point(5, 6)));
}

// Where a window of `size` ends up centred on a parent at `parent` (offsets from the primary work
// area W's top-left), or on W itself without parent: halves truncated toward zero, then kept
// inside W, its top-left winning. Then deferred moves, and the cursor.
TEST(Geometry, CenterWindowKeepsInsideThePrimaryWorkAreaAndMovesDefer) {
  Rect work = Orv::GetWorkArea(static_cast<HWND>(nullptr));
  Point w = work.TopLeft();
  struct { bool hasParent; Rect parent; Point size, expected; } const cases[] = {
      {true, Rect(300, 300, 400, 400), Point(201, 151), Point(250, 275)},
      {true, Rect(work.Width() - 50, 0, work.Width() + 50, 100), Point(60, 60), Point(work.Width() - 60, 20)},
      {false, Rect(), Point(work.Width() + 40, 30), Point(0, (work.Height() - 30) / 2)}};
  for (auto const& c : cases) {
    Rect at = c.parent.Offset(w);
    CPlainWindow parent(at.left, at.top, at.Width(), at.Height()), window(0, 0, c.size.x, c.size.y);
    ASSERT_TRUE(Orv::CenterWindow(window, c.hasParent ? static_cast<HWND>(parent) : nullptr));
    EXPECT_EQ(Rect(c.expected + w, c.expected + w + c.size), Orv::GetWindowRect(window)) << c.parent.left;
  }
  EXPECT_FALSE(Orv::CenterWindow(nullptr, nullptr));
  EXPECT_TRUE(work == Orv::GetWorkArea(w) && work == Orv::GetWorkArea(Rect(w, w + Point(10, 10))));
  CPlainWindow parent(work.left + 20, work.top + 30, 300, 200, WS_POPUP | WS_CAPTION), child(0, 0, 100, 50, 0, parent);
  EXPECT_TRUE(work == Orv::GetWorkArea(static_cast<HWND>(parent)) && Orv::CenterWindow(child, parent));
  EXPECT_EQ(w + Point(120, 105), Orv::GetWindowRect(child).TopLeft());  // on the parent's window rectangle
  Rect placed(w, w + Point(80, 60)), inParent(1, 2, 31, 42);
  HDWP batch = Orv::DeferMoveWindow(::BeginDeferWindowPos(2), child, inParent, false);
  ASSERT_TRUE(::EndDeferWindowPos(Orv::DeferMoveWindow(batch, parent, placed, true)));
  EXPECT_TRUE(placed == Orv::GetWindowRect(parent) && inParent == Orv::GetWindowRectOnParentClient(child));
  EXPECT_TRUE(::SetCursorPos(w.x + 5, w.y + 6) && Orv::GetCursorPos() == w + Point(5, 6));
}

// Vertical range 0..200 with page 20, horizontal 0..100 with page 10: positions stay within the
// minimum and the maximum minus the page (180 and 90), one short of the last position the system
// itself allows (maximum - page + 1); the thumb codes take the thumb's position. The window is
// invalidated on request. A page larger than the range leaves the minimum; keepBars false disables
// the bars it does not need instead of hiding them.
TEST(Scrolling, EveryCodeClampsAndWheelDeltasAccumulateIntoLineScrolls) {
  CPlainWindow window(0, 0, 200, 150, WS_POPUP | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL);
  Orv::SetScrollArea(window, Rect(0, 0, 100, 200), Point(10, 20), true);
  struct { int start, code, expectedV, expectedH; } const cases[] = {
      {50, SB_LINEDOWN, 55, 55},   {50, SB_LINEUP, 45, 45}, {50, SB_PAGEDOWN, 80, 80},   {50, SB_PAGEUP, 20, 20},
      {170, SB_PAGEDOWN, 180, 90}, {2, SB_LINEUP, 0, 0},    {50, SB_TOP, 0, 0},          {50, SB_BOTTOM, 180, 90},
      {181, SB_ENDSCROLL, 180, 90}, {50, 99, 50, 50},       {33, SB_THUMBTRACK, 33, 33},
      {34, SB_THUMBPOSITION, 34, 34}};
  for (auto const& c : cases) {
    bool invalidate = (&c - cases) % 2;
    for (int bar : {SB_HORZ, SB_VERT}) ::SetScrollPos(window, bar, c.start, FALSE);
    ::ValidateRect(window, nullptr);
    EXPECT_EQ(Point(c.expectedH, c.expectedV), Point(Orv::HandleHScroll(window, c.code, 5, 30, invalidate),
                                                     Orv::HandleVScroll(window, c.code, 5, 30, invalidate)))
        << c.start << " code " << c.code;
    EXPECT_EQ(Point(c.expectedH, c.expectedV), Orv::GetScrollPos(window));
    EXPECT_EQ(Orv::GetScrollPos(window), Orv::GetThumbPos(window));
    EXPECT_EQ(invalidate, ::GetUpdateRect(window, nullptr, FALSE) != FALSE) << c.code;
  }
  LONG_PTR bars = WS_VSCROLL | WS_HSCROLL;
  Orv::SetScrollArea(window, Rect(3, 5, 13, 15), Point(50, 50), false);
  EXPECT_EQ(Point(3, 5), Point(Orv::HandleHScroll(window, SB_BOTTOM, 10, 10, false),
                               Orv::HandleVScroll(window, SB_LINEDOWN, 10, 10, false)));
  EXPECT_EQ(bars, ::GetWindowLongPtrW(window, GWL_STYLE) & bars);
  Orv::SetScrollArea(window, Rect(0, 0, 10, 10), Point(50, 50), true);
  EXPECT_EQ(0, ::GetWindowLongPtrW(window, GWL_STYLE) & bars);
  // Wheel deltas against a model: one line per whole 120 in the accumulated delta, the rest kept.
  Point acc, model;
  for (short delta : {240, -119, -1, 100, 30, 120, -250, -7, 600}) {
    for (UINT msg : {WM_MOUSEWHEEL, WM_MOUSEHWHEEL}) {
      Orv::HandleWheelScroll(window, msg, MAKEWPARAM(0, static_cast<WORD>(delta)), acc);
      bool vertical = msg == WM_MOUSEWHEEL;
      int& expected = vertical ? model.y : model.x;
      expected += delta;
      std::vector<WPARAM> codes, wanted;
      RemoveQueued(window, vertical ? WM_VSCROLL : WM_HSCROLL, &codes);
      for (; expected >= 120; expected -= 120) wanted.push_back(vertical ? SB_LINEUP : SB_LINERIGHT);
      for (; expected <= -120; expected += 120) wanted.push_back(vertical ? SB_LINEDOWN : SB_LINELEFT);
      EXPECT_TRUE(wanted == codes && model == acc) << delta << " message " << msg;
    }
  }
}

}  // namespace
}  // namespace UiTests
