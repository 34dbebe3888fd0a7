// Scroll bars: scroll areas, clamping of every scroll code, invalidation and wheel accumulation.
#include <windows.h>

#include <gtest/gtest.h>

#include "orvutil/ui.h"
#include "ui_test_support.h"

namespace UiTests {
namespace {

using Point = Orv::tPoint<int>;
using Rect = Orv::tRect<int>;

class Scrolling : public ::testing::Test {
 protected:
  Scrolling() : m_window(0, 0, 200, 150, WS_POPUP | WS_HSCROLL | WS_VSCROLL) {}
  CPlainWindow m_window;
};

void SetPosition(HWND hwnd, int bar, int position) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_POS;
  info.nPos = position;
  ::SetScrollInfo(hwnd, bar, &info, FALSE);
}

// Vertical range 0..200 with page 20 (last position 180), horizontal 0..100 with page 10 (last 90).
TEST_F(Scrolling, EveryCodeMovesAndClampsToMinimumAndMaximumMinusPage) {
  struct {
    int start;
    int code;
    int expectedV;
    int expectedH;
  } const cases[] = {
      {50, SB_LINEDOWN, 55, 55},   {50, SB_LINEUP, 45, 45},     {50, SB_PAGEDOWN, 80, 80},  {50, SB_PAGEUP, 20, 20},
      {180, SB_LINEDOWN, 180, 90}, {170, SB_PAGEDOWN, 180, 90}, {2, SB_LINEUP, 0, 0},       {10, SB_PAGEUP, 0, 0},
      {50, SB_TOP, 0, 0},          {50, SB_BOTTOM, 180, 90},    {50, SB_ENDSCROLL, 50, 50}, {50, 99, 50, 50},
  };
  Orv::SetScrollArea(m_window, Rect(0, 0, 100, 200), Point(10, 20), true);
  for (auto const& c : cases) {
    SetPosition(m_window, SB_VERT, c.start);
    SetPosition(m_window, SB_HORZ, c.start);
    EXPECT_EQ(c.expectedV, Orv::HandleVScroll(m_window, c.code, 5, 30, false)) << c.start << " code " << c.code;
    EXPECT_EQ(c.expectedH, Orv::HandleHScroll(m_window, c.code, 5, 30, false)) << c.start << " code " << c.code;
    EXPECT_EQ(Point(c.expectedH, c.expectedV), Orv::GetScrollPos(m_window));
  }
}

TEST_F(Scrolling, ThumbCodesTakeTheTrackPositionAndAPageLargerThanTheRangeTheMinimum) {
  Orv::SetScrollArea(m_window, Rect(0, 0, 100, 200), Point(10, 20), true);
  SetPosition(m_window, SB_VERT, 33);
  int track = Orv::GetThumbPos(m_window).y;
  EXPECT_EQ(track, Orv::HandleVScroll(m_window, SB_THUMBTRACK, 1, 1, false));
  EXPECT_EQ(track, Orv::HandleVScroll(m_window, SB_THUMBPOSITION, 1, 1, false));
  Orv::SetScrollArea(m_window, Rect(3, 5, 40, 50), Point(100, 100), false);
  for (int code : {SB_LINEDOWN, SB_PAGEDOWN, SB_BOTTOM, SB_LINEUP})
    EXPECT_EQ(Point(3, 5), Point(Orv::HandleHScroll(m_window, code, 10, 10, false), Orv::HandleVScroll(m_window, code, 10, 10, false)));
  EXPECT_EQ(Point(), Orv::GetScrollPos(nullptr));
  EXPECT_EQ(Point(), Orv::GetThumbPos(nullptr));
  EXPECT_EQ(0, Orv::HandleVScroll(nullptr, SB_LINEDOWN, 1, 1, true));
}

// keepBars false disables the bars it does not need instead of hiding them.
TEST_F(Scrolling, KeepBarsChoosesBetweenHidingAndDisabling) {
  Orv::SetScrollArea(m_window, Rect(0, 0, 10, 10), Point(50, 50), false);
  EXPECT_TRUE(::GetWindowLongPtrW(m_window, GWL_STYLE) & WS_VSCROLL);
  Orv::SetScrollArea(m_window, Rect(0, 0, 10, 10), Point(50, 50), true);
  EXPECT_FALSE(::GetWindowLongPtrW(m_window, GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(::GetWindowLongPtrW(m_window, GWL_STYLE) & WS_HSCROLL);
}

TEST_F(Scrolling, InvalidatesOnlyWhenAsked) {
  Orv::SetScrollArea(m_window, Rect(0, 0, 100, 200), Point(10, 20), true);
  ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
  for (bool invalidate : {false, true}) {
    ::ValidateRect(m_window, nullptr);
    Orv::HandleVScroll(m_window, SB_LINEDOWN, 1, 1, invalidate);
    EXPECT_EQ(invalidate, ::GetUpdateRect(m_window, nullptr, FALSE) != FALSE);
  }
}

// Feeds one wheel message and returns the scroll codes it posted.
std::vector<WPARAM> Wheel(HWND hwnd, UINT msg, short delta, Point& accumulator) {
  Orv::HandleWheelScroll(hwnd, msg, MAKEWPARAM(0, static_cast<WORD>(delta)), accumulator);
  std::vector<WPARAM> codes;
  RemoveQueued(hwnd, msg == WM_MOUSEHWHEEL ? WM_HSCROLL : WM_VSCROLL, &codes);
  return codes;
}

TEST_F(Scrolling, WheelDeltasAccumulateIntoLineScrolls) {
  using Codes = std::vector<WPARAM>;
  Point acc;
  EXPECT_EQ(Codes(2, SB_LINEUP), Wheel(m_window, WM_MOUSEWHEEL, 240, acc));
  EXPECT_EQ(Point(), acc);
  EXPECT_EQ(Codes(), Wheel(m_window, WM_MOUSEWHEEL, -119, acc));
  EXPECT_EQ(Point(0, -119), acc);
  EXPECT_EQ(Codes(1, SB_LINEDOWN), Wheel(m_window, WM_MOUSEWHEEL, -1, acc));
  EXPECT_EQ(Point(), acc);
  EXPECT_EQ(Codes(), Wheel(m_window, WM_MOUSEWHEEL, 100, acc));
  EXPECT_EQ(Codes(1, SB_LINEUP), Wheel(m_window, WM_MOUSEWHEEL, 30, acc));
  EXPECT_EQ(Point(0, 10), acc);

  EXPECT_EQ(Codes(1, SB_LINERIGHT), Wheel(m_window, WM_MOUSEHWHEEL, 120, acc));
  EXPECT_EQ(Codes(2, SB_LINELEFT), Wheel(m_window, WM_MOUSEHWHEEL, -250, acc));
  EXPECT_EQ(Point(-10, 10), acc);
  EXPECT_EQ(Codes(), Wheel(m_window, WM_KEYDOWN, 600, acc));
  EXPECT_EQ(Point(-10, 10), acc);
}

}  // namespace
}  // namespace UiTests
