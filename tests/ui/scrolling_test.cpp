// Scroll bars: scroll areas, clamping of every scroll code, invalidation and wheel accumulation.
#include "ui_test_support.h"

namespace UiTests {
namespace {

using Point = Orv::tPoint<int>;
using Rect = Orv::tRect<int>;

class Scrolling : public ::testing::Test {
 protected:
  Scrolling() : m_window(0, 0, 200, 150, WS_POPUP | WS_HSCROLL | WS_VSCROLL) {
    Orv::SetScrollArea(m_window, Rect(0, 0, 100, 200), Point(10, 20), true);
  }
  void SetPosition(int position) {
    for (int bar : {SB_HORZ, SB_VERT}) ::SetScrollPos(m_window, bar, position, FALSE);
  }
  CPlainWindow m_window;
};

// Vertical range 0..200 with page 20, horizontal 0..100 with page 10: positions stay within the
// minimum and the maximum minus the page (180 and 90), one short of the last position the system
// itself allows (maximum - page + 1).
TEST_F(Scrolling, EveryCodeMovesAndClampsToMinimumAndMaximumMinusPage) {
  struct { int start, code, expectedV, expectedH; } const cases[] = {
      {50, SB_LINEDOWN, 55, 55}, {50, SB_LINEUP, 45, 45}, {50, SB_PAGEDOWN, 80, 80}, {50, SB_PAGEUP, 20, 20},
      {180, SB_LINEDOWN, 180, 90}, {170, SB_PAGEDOWN, 180, 90}, {2, SB_LINEUP, 0, 0}, {10, SB_PAGEUP, 0, 0},
      {50, SB_TOP, 0, 0}, {50, SB_BOTTOM, 180, 90}, {181, SB_ENDSCROLL, 180, 90}, {50, 99, 50, 50}};
  SetPosition(1000);
  ASSERT_EQ(Point(91, 181), Orv::GetScrollPos(m_window));  // where the system itself stops
  for (auto const& c : cases) {
    SetPosition(c.start);
    EXPECT_EQ(Point(c.expectedH, c.expectedV), Point(Orv::HandleHScroll(m_window, c.code, 5, 30, false),
                                                     Orv::HandleVScroll(m_window, c.code, 5, 30, false)))
        << c.start << " code " << c.code;
    EXPECT_EQ(Point(c.expectedH, c.expectedV), Orv::GetScrollPos(m_window));
  }
  SetPosition(33);
  int track = Orv::GetThumbPos(m_window).y;
  EXPECT_EQ(track, Orv::HandleVScroll(m_window, SB_THUMBTRACK, 1, 1, false));
  EXPECT_EQ(track, Orv::HandleVScroll(m_window, SB_THUMBPOSITION, 1, 1, false));
  Orv::SetScrollArea(m_window, Rect(3, 5, 40, 50), Point(100, 100), false);  // a page larger than the range
  for (int code : {SB_LINEDOWN, SB_PAGEDOWN, SB_BOTTOM, SB_LINEUP})
    EXPECT_EQ(Point(3, 5), Point(Orv::HandleHScroll(m_window, code, 10, 10, false),
                                 Orv::HandleVScroll(m_window, code, 10, 10, false)));
  EXPECT_TRUE(Orv::GetScrollPos(nullptr) == Point() && Orv::GetThumbPos(nullptr) == Point());
  EXPECT_EQ(0, Orv::HandleVScroll(nullptr, SB_LINEDOWN, 1, 1, true));
}

// keepBars false disables the bars it does not need instead of hiding them; invalidation on request.
TEST_F(Scrolling, KeepBarsAndInvalidation) {
  ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
  for (bool invalidate : {false, true}) {
    ::ValidateRect(m_window, nullptr);
    Orv::HandleVScroll(m_window, SB_LINEDOWN, 1, 1, invalidate);
    EXPECT_EQ(invalidate, ::GetUpdateRect(m_window, nullptr, FALSE) != FALSE);
  }
  for (bool keepBars : {false, true}) {
    Orv::SetScrollArea(m_window, Rect(0, 0, 10, 10), Point(50, 50), keepBars);
    LONG_PTR bars = WS_VSCROLL | WS_HSCROLL;
    EXPECT_EQ(keepBars ? 0 : bars, ::GetWindowLongPtrW(m_window, GWL_STYLE) & bars);
  }
}

// Feeds wheel deltas and compares the posted scroll codes and the remainder with a model: one line
// per whole 120 in the accumulated delta, the rest kept.
TEST_F(Scrolling, WheelDeltasAccumulateIntoLineScrolls) {
  Point acc, model;
  for (short delta : {240, -119, -1, 100, 30, 120, -250, -7, 600}) {
    for (UINT msg : {WM_MOUSEWHEEL, WM_MOUSEHWHEEL, WM_KEYDOWN}) {
      Orv::HandleWheelScroll(m_window, msg, MAKEWPARAM(0, static_cast<WORD>(delta)), acc);
      bool vertical = msg == WM_MOUSEWHEEL;
      int& expected = vertical ? model.y : model.x;
      if (msg != WM_KEYDOWN) expected += delta;
      std::vector<WPARAM> codes, wanted;
      RemoveQueued(m_window, vertical ? WM_VSCROLL : WM_HSCROLL, &codes);
      for (; expected >= 120; expected -= 120) wanted.push_back(vertical ? SB_LINEUP : SB_LINERIGHT);
      for (; expected <= -120; expected += 120) wanted.push_back(vertical ? SB_LINEDOWN : SB_LINELEFT);
      EXPECT_EQ(wanted, codes) << delta;
      EXPECT_EQ(model, acc) << delta;
    }
  }
}

}  // namespace
}  // namespace UiTests
