// Scroll bars: scroll areas, clamping of every scroll code, invalidation and wheel accumulation.
#include "ui_test_support.h"

namespace UiTests {
namespace {

using Point = Orv::tPoint<int>;
using Rect = Orv::tRect<int>;

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
  EXPECT_TRUE(Orv::GetScrollPos(nullptr) == Point() && Orv::GetThumbPos(nullptr) == Point() &&
              !Orv::HandleVScroll(nullptr, SB_LINEDOWN, 1, 1, true));
  LONG_PTR bars = WS_VSCROLL | WS_HSCROLL;
  Orv::SetScrollArea(window, Rect(3, 5, 13, 15), Point(50, 50), false);
  EXPECT_EQ(Point(3, 5), Point(Orv::HandleHScroll(window, SB_BOTTOM, 10, 10, false),
                               Orv::HandleVScroll(window, SB_LINEDOWN, 10, 10, false)));
  EXPECT_EQ(bars, ::GetWindowLongPtrW(window, GWL_STYLE) & bars);
  Orv::SetScrollArea(window, Rect(0, 0, 10, 10), Point(50, 50), true);
  EXPECT_EQ(0, ::GetWindowLongPtrW(window, GWL_STYLE) & bars);
  // Wheel deltas against a model: one line per whole 120 in the accumulated delta, the rest kept;
  // other messages change nothing.
  Point acc, model;
  for (short delta : {240, -119, -1, 100, 30, 120, -250, -7, 600}) {
    for (UINT msg : {WM_MOUSEWHEEL, WM_MOUSEHWHEEL, WM_KEYDOWN}) {
      Orv::HandleWheelScroll(window, msg, MAKEWPARAM(0, static_cast<WORD>(delta)), acc);
      bool vertical = msg == WM_MOUSEWHEEL;
      int& expected = vertical ? model.y : model.x;
      if (msg != WM_KEYDOWN) expected += delta;
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
