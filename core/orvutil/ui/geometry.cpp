// Geometry helpers: cursor positions, window rectangles and coordinate spaces, work areas,
// centring and moving windows.
#include <windows.h>

#include <climits>

#include "orvutil/ui/geometry.h"

namespace Orv {

namespace {

// right - left without overflow, limited to the int range.
int Extent(int from, int to) {
  long long extent = static_cast<long long>(to) - from;
  if (extent > INT_MAX) return INT_MAX;
  if (extent < INT_MIN) return INT_MIN;
  return static_cast<int>(extent);
}

bool IsAnyWindow(HWND hwnd) {
  return hwnd && ::IsWindow(hwnd);
}

// The parent whose client area positions the window, or null for a top-level window.
HWND PositioningParent(HWND hwnd) {
  if (!(::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) return nullptr;
  return ::GetAncestor(hwnd, GA_PARENT);
}

tRect<int> WorkAreaOf(HMONITOR monitor) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (monitor && ::GetMonitorInfoW(monitor, &info)) return ToRect(info.rcWork);
  RECT area;
  if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return ToRect(area);
  return tRect<int>();
}

tRect<int> PrimaryWorkArea() {
  return WorkAreaOf(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

// The start of an extent of `size` centred on [from, to), the halved offset truncated toward zero,
// then moved back inside [areaFrom, areaTo) with the start winning.
long long CenteredStart(int from, int to, int size, tRect<int> const& area, bool horizontal) {
  long long start = from + (static_cast<long long>(to) - from - size) / 2;
  long long areaFrom = horizontal ? area.left : area.top;
  long long areaTo = horizontal ? area.right : area.bottom;
  if (start + size > areaTo) start = areaTo - size;
  if (start < areaFrom) start = areaFrom;
  return start;
}

}  // namespace

tPoint<int> GetMessageCursorPos() {
  return ToPoint(static_cast<long>(::GetMessagePos()));
}

tPoint<int> GetCursorPos() {
  POINT position;
  return ::GetCursorPos(&position) ? ToPoint(position) : tPoint<int>();
}

HWND WindowFromPoint(tPoint<int> const& point) {
  return ::WindowFromPoint(ToPOINT(point));
}

HWND WindowFromCursor() {
  return WindowFromPoint(GetCursorPos());
}

tRect<int> GetClientRect(HWND hwnd) {
  RECT rect;
  return hwnd && ::GetClientRect(hwnd, &rect) ? ToRect(rect) : tRect<int>();
}

tRect<int> GetWindowRect(HWND hwnd) {
  RECT rect;
  return hwnd && ::GetWindowRect(hwnd, &rect) ? ToRect(rect) : tRect<int>();
}

tRect<int> GetClientOnScreen(HWND hwnd) {
  if (!IsAnyWindow(hwnd)) return tRect<int>();
  return ClientToScreen(hwnd, GetClientRect(hwnd));
}

tRect<int> GetClientOnWindow(HWND hwnd) {
  if (!IsAnyWindow(hwnd)) return tRect<int>();
  tPoint<int> origin = GetWindowRect(hwnd).TopLeft();
  return GetClientOnScreen(hwnd).Offset(tPoint<int>() - origin);
}

tRect<int> GetWindowRectOnParent(HWND hwnd) {
  if (!IsAnyWindow(hwnd)) return tRect<int>();
  tRect<int> window = GetWindowRect(hwnd);
  HWND parent = PositioningParent(hwnd);
  return parent ? window.Offset(tPoint<int>() - GetWindowRect(parent).TopLeft()) : window;
}

tRect<int> GetWindowRectOnParentClient(HWND hwnd) {
  if (!IsAnyWindow(hwnd)) return tRect<int>();
  tRect<int> window = GetWindowRect(hwnd);
  HWND parent = PositioningParent(hwnd);
  return parent ? ScreenToClient(parent, window) : window;
}

tPoint<int> ClientToClient(HWND from, HWND to, tPoint<int> const& point) {
  if ((from && !::IsWindow(from)) || (to && !::IsWindow(to))) return point;
  POINT mapped = ToPOINT(point);
  ::MapWindowPoints(from, to, &mapped, 1);
  return ToPoint(mapped);
}

// Two points make MapWindowPoints treat the rectangle as one and keep left < right in mirrored
// windows.
tRect<int> ClientToClient(HWND from, HWND to, tRect<int> const& rect) {
  if ((from && !::IsWindow(from)) || (to && !::IsWindow(to))) return rect;
  RECT mapped = ToRECT(rect);
  ::MapWindowPoints(from, to, reinterpret_cast<POINT*>(&mapped), 2);
  return ToRect(mapped);
}

tPoint<int> ClientToScreen(HWND hwnd, tPoint<int> const& point) {
  return ClientToClient(hwnd, nullptr, point);
}

tRect<int> ClientToScreen(HWND hwnd, tRect<int> const& rect) {
  return ClientToClient(hwnd, nullptr, rect);
}

tPoint<int> ScreenToClient(HWND hwnd, tPoint<int> const& point) {
  return ClientToClient(nullptr, hwnd, point);
}

tRect<int> ScreenToClient(HWND hwnd, tRect<int> const& rect) {
  return ClientToClient(nullptr, hwnd, rect);
}

// Child windows have no menu (GetMenu would return their identifier).
tPoint<int> WindowSizeFromClientSize(HWND hwnd, tPoint<int> const& size) {
  if (!IsAnyWindow(hwnd)) return size;
  LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  LONG_PTR exStyle = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  BOOL hasMenu = !(style & WS_CHILD) && ::GetMenu(hwnd);
  RECT rect = {0, 0, size.x, size.y};
  if (!::AdjustWindowRectEx(&rect, static_cast<DWORD>(style), hasMenu, static_cast<DWORD>(exStyle))) return size;
  return tPoint<int>(Extent(rect.left, rect.right), Extent(rect.top, rect.bottom));
}

tRect<int> GetWorkArea(HWND hwnd) {
  return hwnd ? WorkAreaOf(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST)) : PrimaryWorkArea();
}

tRect<int> GetWorkArea(tPoint<int> const& point) {
  return WorkAreaOf(::MonitorFromPoint(ToPOINT(point), MONITOR_DEFAULTTONEAREST));
}

tRect<int> GetWorkArea(tRect<int> const& rect) {
  RECT area = ToRECT(rect);
  return WorkAreaOf(::MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST));
}

// Positions are worked out on the screen; a child window is then placed in its parent's client
// coordinates, which is what MoveWindow expects of it.
bool CenterWindow(HWND hwnd, HWND parent) {
  if (!IsAnyWindow(hwnd)) return false;
  tRect<int> window = GetWindowRect(hwnd);
  tRect<int> primary = PrimaryWorkArea();
  tRect<int> around = IsAnyWindow(parent) ? GetWindowRect(parent) : primary;
  int width = Extent(window.left, window.right);
  int height = Extent(window.top, window.bottom);
  long long left = CenteredStart(around.left, around.right, width, primary, true);
  long long top = CenteredStart(around.top, around.bottom, height, primary, false);
  tRect<int> target(static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
                    static_cast<int>(top + height));
  if (HWND positioning = PositioningParent(hwnd)) target = ScreenToClient(positioning, target);
  return MoveWindow(hwnd, target, true);
}

bool MoveWindow(HWND hwnd, tRect<int> const& rect, bool repaint) {
  if (!hwnd) return false;
  return ::MoveWindow(hwnd, rect.left, rect.top, Extent(rect.left, rect.right), Extent(rect.top, rect.bottom),
                      repaint) != FALSE;
}

HDWP DeferMoveWindow(HDWP deferInfo, HWND hwnd, tRect<int> const& rect, bool repaint) {
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW);
  return ::DeferWindowPos(deferInfo, hwnd, nullptr, rect.left, rect.top, Extent(rect.left, rect.right),
                          Extent(rect.top, rect.bottom), flags);
}

}  // namespace Orv
