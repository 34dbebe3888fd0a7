// Scroll-bar helpers: scroll areas, positions, scroll codes and wheel deltas.
#include <windows.h>

#include <climits>

#include "orvutil/ui/scrolling.h"

namespace Orv {

namespace {

constexpr int kWheelStep = WHEEL_DELTA;  // 120

void SetBarArea(HWND hwnd, int bar, int minimum, int maximum, int page, bool keepBars) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | (keepBars ? 0 : SIF_DISABLENOSCROLL);
  info.nMin = minimum;
  info.nMax = maximum;
  info.nPage = page > 0 ? static_cast<UINT>(page) : 0;
  ::SetScrollInfo(hwnd, bar, &info, TRUE);
}

bool ReadBar(HWND hwnd, int bar, SCROLLINFO& info) {
  info = SCROLLINFO{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  return hwnd && ::GetScrollInfo(hwnd, bar, &info);
}

long long TargetPosition(SCROLLINFO const& info, int code, int line, int page) {
  long long position = info.nPos;
  switch (code) {
    case SB_LINEUP:
      return position - line;
    case SB_LINEDOWN:
      return position + line;
    case SB_PAGEUP:
      return position - page;
    case SB_PAGEDOWN:
      return position + page;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      return info.nTrackPos;
    case SB_TOP:
      return info.nMin;
    case SB_BOTTOM:
      return info.nMax;
  }
  return position;
}

// Clamped to [minimum, maximum - page], the minimum winning when the page exceeds the range.
int HandleScroll(HWND hwnd, int bar, int code, int line, int page, bool invalidate) {
  SCROLLINFO info;
  if (!ReadBar(hwnd, bar, info)) return 0;
  long long position = TargetPosition(info, code, line, page);
  long long last = static_cast<long long>(info.nMax) - info.nPage;
  if (position > last) position = last;
  if (position < info.nMin) position = info.nMin;
  SCROLLINFO update = {};
  update.cbSize = sizeof(update);
  update.fMask = SIF_POS;
  update.nPos = static_cast<int>(position);
  ::SetScrollInfo(hwnd, bar, &update, TRUE);
  if (invalidate) ::InvalidateRect(hwnd, nullptr, TRUE);
  return update.nPos;
}

// Posts one scroll message per whole wheel step in `accumulator`, keeping the remainder (and the
// steps that could not be posted).
void DrainWheelSteps(HWND hwnd, UINT scrollMsg, WPARAM positiveCode, WPARAM negativeCode, int& accumulator) {
  while (accumulator >= kWheelStep && ::PostMessageW(hwnd, scrollMsg, positiveCode, 0)) accumulator -= kWheelStep;
  while (accumulator <= -kWheelStep && ::PostMessageW(hwnd, scrollMsg, negativeCode, 0)) accumulator += kWheelStep;
}

int AddSaturated(int value, int delta) {
  long long sum = static_cast<long long>(value) + delta;
  return sum > INT_MAX ? INT_MAX : sum < INT_MIN ? INT_MIN : static_cast<int>(sum);
}

}  // namespace

void SetScrollArea(HWND hwnd, tRect<int> const& range, tPoint<int> const& page, bool keepBars) {
  if (!hwnd) return;
  SetBarArea(hwnd, SB_HORZ, range.left, range.right, page.x, keepBars);
  SetBarArea(hwnd, SB_VERT, range.top, range.bottom, page.y, keepBars);
}

tPoint<int> GetScrollPos(HWND hwnd) {
  SCROLLINFO horizontal;
  SCROLLINFO vertical;
  return tPoint<int>(ReadBar(hwnd, SB_HORZ, horizontal) ? horizontal.nPos : 0,
                     ReadBar(hwnd, SB_VERT, vertical) ? vertical.nPos : 0);
}

tPoint<int> GetThumbPos(HWND hwnd) {
  SCROLLINFO horizontal;
  SCROLLINFO vertical;
  return tPoint<int>(ReadBar(hwnd, SB_HORZ, horizontal) ? horizontal.nTrackPos : 0,
                     ReadBar(hwnd, SB_VERT, vertical) ? vertical.nTrackPos : 0);
}

int HandleHScroll(HWND hwnd, int code, int line, int page, bool invalidate) {
  return HandleScroll(hwnd, SB_HORZ, code, line, page, invalidate);
}

int HandleVScroll(HWND hwnd, int code, int line, int page, bool invalidate) {
  return HandleScroll(hwnd, SB_VERT, code, line, page, invalidate);
}

void HandleWheelScroll(HWND hwnd, UINT msg, WPARAM wParam, tPoint<int>& accumulator) {
  int delta = GET_WHEEL_DELTA_WPARAM(wParam);
  if (msg == WM_MOUSEWHEEL) {
    accumulator.y = AddSaturated(accumulator.y, delta);
    DrainWheelSteps(hwnd, WM_VSCROLL, SB_LINEUP, SB_LINEDOWN, accumulator.y);
  } else if (msg == WM_MOUSEHWHEEL) {
    accumulator.x = AddSaturated(accumulator.x, delta);
    DrainWheelSteps(hwnd, WM_HSCROLL, SB_LINERIGHT, SB_LINELEFT, accumulator.x);
  }
}

}  // namespace Orv
