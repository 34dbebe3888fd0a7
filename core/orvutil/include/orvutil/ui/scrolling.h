// Scroll-bar helpers for windows with standard scroll bars: setting the scroll area, reading
// positions, and handling WM_HSCROLL, WM_VSCROLL and the mouse wheels.
//
// Positions run from a bar's minimum to its maximum minus its page size (the minimum when the page
// is larger than the range). Call these on the thread that owns the window.
#pragma once

#include <windows.h>

#include "orvutil/export.h"
#include "orvutil/ui/coords.h"

namespace Orv {

// Sets the horizontal range range.left..range.right with page page.x and the vertical range
// range.top..range.bottom with page page.y. When keepBars is false, bars that are not needed are
// disabled rather than hidden. Negative pages count as 0.
ORV_API void SetScrollArea(HWND hwnd, tRect<int> const& range, tPoint<int> const& page, bool keepBars);
// Positions and thumb-track positions (x horizontal, y vertical); 0 where a bar has no information.
ORV_API tPoint<int> GetScrollPos(HWND hwnd);
ORV_API tPoint<int> GetThumbPos(HWND hwnd);

// Moves a bar by a scroll code (the low word of WM_HSCROLL/WM_VSCROLL's wParam): lines by `line`,
// pages by `page`, thumb codes to the track position, top/bottom to the range ends. Stores the
// clamped position, invalidates (erasing) the window when asked, and returns the new position (0
// when the bar has no information).
ORV_API int HandleHScroll(HWND hwnd, int code, int line, int page, bool invalidate);
ORV_API int HandleVScroll(HWND hwnd, int code, int line, int page, bool invalidate);

// Turns wheel deltas into posted line scrolls. WM_MOUSEWHEEL adds the delta to accumulator.y and
// posts one WM_VSCROLL line-up per 120 above zero, one line-down per 120 below; WM_MOUSEHWHEEL does
// the same on accumulator.x with WM_HSCROLL line-right (positive) and line-left (negative). The
// remainder stays in the accumulator, which the caller keeps per window. Other messages are ignored.
ORV_API void HandleWheelScroll(HWND hwnd, UINT msg, WPARAM wParam, tPoint<int>& accumulator);

}  // namespace Orv
