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
    EXPECT_EQ(Orv::HandleVScroll(m_window, c.code, 5, 30, false), c.expectedV) << c.start << " code " << c.code;
    EXPECT_EQ(Orv::HandleHScroll(m_window, c.code, 5, 30, false), c.expectedH) << c.start << " code " << c.code;
    EXPECT_EQ(Orv::GetScrollPos(m_window), Point(c.expectedH, c.expectedV));
  }
}

TEST_F(Scrolling, ThumbCodesTakeTheTrackPosition) {
  Orv::SetScrollArea(m_window, Rect(0, 0, 100, 200), Point(10, 20), true);
  SetPosition(m_window, SB_VERT, 33);
  int track = Orv::GetThumbPos(m_window).y;
  EXPECT_EQ(Orv::HandleVScroll(m_window, SB_THUMBTRACK, 1, 1, false), track);
  EXPECT_EQ(Orv::HandleVScroll(m_window, SB_THUMBPOSITION, 1, 1, false), track);
}

TEST_F(Scrolling, PageLargerThanTheRangeGivesTheMinimum) {
  Orv::SetScrollArea(m_window, Rect(3, 5, 40, 50), Point(100, 100), false);
  for (int code : {SB_LINEDOWN, SB_PAGEDOWN, SB_BOTTOM, SB_LINEUP}) {
    EXPECT_EQ(Orv::HandleVScroll(m_window, code, 10, 10, false), 5);
    EXPECT_EQ(Orv::HandleHScroll(m_window, code, 10, 10, false), 3);
  }
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
    EXPECT_EQ(::GetUpdateRect(m_window, nullptr, FALSE) != FALSE, invalidate);
  }
}

TEST(ScrollingWithoutWindow, NullWindowHasNoPositions) {
  EXPECT_EQ(Orv::GetScrollPos(nullptr), Point());
  EXPECT_EQ(Orv::GetThumbPos(nullptr), Point());
  EXPECT_EQ(Orv::HandleVScroll(nullptr, SB_LINEDOWN, 1, 1, true), 0);
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
  EXPECT_EQ(Wheel(m_window, WM_MOUSEWHEEL, 240, acc), Codes(2, SB_LINEUP));
  EXPECT_EQ(acc, Point());
  EXPECT_EQ(Wheel(m_window, WM_MOUSEWHEEL, -119, acc), Codes());
  EXPECT_EQ(acc, Point(0, -119));
  EXPECT_EQ(Wheel(m_window, WM_MOUSEWHEEL, -1, acc), Codes(1, SB_LINEDOWN));
  EXPECT_EQ(acc, Point());
  EXPECT_EQ(Wheel(m_window, WM_MOUSEWHEEL, 100, acc), Codes());
  EXPECT_EQ(Wheel(m_window, WM_MOUSEWHEEL, 30, acc), Codes(1, SB_LINEUP));
  EXPECT_EQ(acc, Point(0, 10));

  EXPECT_EQ(Wheel(m_window, WM_MOUSEHWHEEL, 120, acc), Codes(1, SB_LINERIGHT));
  EXPECT_EQ(Wheel(m_window, WM_MOUSEHWHEEL, -250, acc), Codes(2, SB_LINELEFT));
  EXPECT_EQ(acc, Point(-10, 10));
  EXPECT_EQ(Wheel(m_window, WM_KEYDOWN, 600, acc), Codes());
  EXPECT_EQ(acc, Point(-10, 10));
}

}  // namespace
}  // namespace UiTests
