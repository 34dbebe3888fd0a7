// Geometry helpers: conversions between Win32 points and rectangles and tPoint<int>/tRect<int>,
// cursor positions, window rectangles in the different coordinate spaces, monitor work areas,
// centring and moving windows.
//
// The Win32 functions of the same names take output pointers; these return values. Functions that
// ask about a window that does not exist return an empty rectangle (or the input, for conversions).
// Windows belong to their thread; call the moving functions on it.
#pragma once

#include <windows.h>

#include "orvutil/export.h"
#include "orvutil/ui/coords.h"

namespace Orv {

// Conversions. The `long` forms split a packed message coordinate (lParam of mouse messages,
// GetMessagePos) into signed 16-bit x (low word) and y (high word).
inline tPoint<int> ToPoint(POINT const& point) {
  return tPoint<int>(point.x, point.y);
}
inline tPoint<int> ToPoint(POINTS const& point) {
  return tPoint<int>(point.x, point.y);
}
inline tPoint<int> ToPoint(POINTL const& point) {
  return tPoint<int>(point.x, point.y);
}
inline tPoint<int> ToPoint(long packed) {
  unsigned long bits = static_cast<unsigned long>(packed);
  return tPoint<int>(static_cast<short>(bits & 0xFFFF), static_cast<short>((bits >> 16) & 0xFFFF));
}
inline POINT ToPOINT(tPoint<int> const& point) {
  return POINT{point.x, point.y};
}
inline POINT ToPOINT(long packed) {
  return ToPOINT(ToPoint(packed));
}
inline tRect<int> ToRect(RECT const& rect) {
  return tRect<int>(rect.left, rect.top, rect.right, rect.bottom);
}
inline RECT ToRECT(tRect<int> const& rect) {
  return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

// Cursor and the windows under points.
ORV_API tPoint<int> GetMessageCursorPos();
// (0, 0) when the position cannot be read.
ORV_API tPoint<int> GetCursorPos();
ORV_API HWND WindowFromPoint(tPoint<int> const& point);
ORV_API HWND WindowFromCursor();

// Rectangles: the client area (origin 0, 0), the window on the screen, the client area relative to
// the window's top-left corner and on the screen, and the window relative to its parent's window
// rectangle or its parent's client area (the screen for top-level windows).
ORV_API tRect<int> GetClientRect(HWND hwnd);
ORV_API tRect<int> GetWindowRect(HWND hwnd);
ORV_API tRect<int> GetClientOnWindow(HWND hwnd);
ORV_API tRect<int> GetClientOnScreen(HWND hwnd);
ORV_API tRect<int> GetWindowRectOnParent(HWND hwnd);
ORV_API tRect<int> GetWindowRectOnParentClient(HWND hwnd);

// Coordinate conversions; a null window stands for the screen.
ORV_API tPoint<int> ClientToScreen(HWND hwnd, tPoint<int> const& point);
ORV_API tRect<int> ClientToScreen(HWND hwnd, tRect<int> const& rect);
ORV_API tPoint<int> ScreenToClient(HWND hwnd, tPoint<int> const& point);
ORV_API tRect<int> ScreenToClient(HWND hwnd, tRect<int> const& rect);
ORV_API tPoint<int> ClientToClient(HWND from, HWND to, tPoint<int> const& point);
ORV_API tRect<int> ClientToClient(HWND from, HWND to, tRect<int> const& rect);

// The outer size of hwnd for a client area of `size`, by its styles and menu; `size` itself when
// hwnd is null or the adjustment fails.
ORV_API tPoint<int> WindowSizeFromClientSize(HWND hwnd, tPoint<int> const& size);

// The work area of the monitor nearest the window, point or rectangle (the primary monitor's for a
// null window).
ORV_API tRect<int> GetWorkArea(HWND hwnd);
ORV_API tRect<int> GetWorkArea(tPoint<int> const& point);
ORV_API tRect<int> GetWorkArea(tRect<int> const& rect);

// Centres hwnd on parent's window rectangle, or on the primary work area when parent is null, keeps
// it inside the primary work area (its left and top edges win when it is larger) and moves it there
// with repainting. False when hwnd is null or the move fails.
ORV_API bool CenterWindow(HWND hwnd, HWND parent);
// Moves to a rectangle in the coordinates MoveWindow uses (the parent's client area for children).
ORV_API bool MoveWindow(HWND hwnd, tRect<int> const& rect, bool repaint);
// Adds the move to a DeferWindowPos batch (z-order and activation untouched); returns the batch
// handle to use next, null on failure (as DeferWindowPos).
ORV_API HDWP DeferMoveWindow(HDWP deferInfo, HWND hwnd, tRect<int> const& rect, bool repaint);

}  // namespace Orv
