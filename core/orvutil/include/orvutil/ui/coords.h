// Points and rectangles of the window helpers: tPoint<T> (x, y) and tRect<T> (left, top, right,
// bottom, the right and bottom edges excluded as in Win32). The library uses them with T = int.
//
// Plain values; no shared state.
#pragma once

namespace Orv {

template <typename T>
struct tPoint {
  constexpr tPoint() : x(), y() {}
  constexpr tPoint(T x, T y) : x(x), y(y) {}

  constexpr bool operator==(tPoint const& other) const { return x == other.x && y == other.y; }
  constexpr bool operator!=(tPoint const& other) const { return !(*this == other); }
  constexpr tPoint operator+(tPoint const& other) const { return tPoint(x + other.x, y + other.y); }
  constexpr tPoint operator-(tPoint const& other) const { return tPoint(x - other.x, y - other.y); }

  T x;
  T y;
};

template <typename T>
struct tRect {
  constexpr tRect() : left(), top(), right(), bottom() {}
  constexpr tRect(T left, T top, T right, T bottom) : left(left), top(top), right(right), bottom(bottom) {}
  constexpr tRect(tPoint<T> const& topLeft, tPoint<T> const& bottomRight)
      : left(topLeft.x), top(topLeft.y), right(bottomRight.x), bottom(bottomRight.y) {}

  constexpr T Width() const { return right - left; }
  constexpr T Height() const { return bottom - top; }
  constexpr tPoint<T> TopLeft() const { return tPoint<T>(left, top); }
  constexpr tPoint<T> BottomRight() const { return tPoint<T>(right, bottom); }
  constexpr tPoint<T> Size() const { return tPoint<T>(Width(), Height()); }
  // True when the rectangle covers no point (right <= left or bottom <= top).
  constexpr bool IsEmpty() const { return !(left < right && top < bottom); }
  constexpr bool Contains(tPoint<T> const& point) const {
    return left <= point.x && point.x < right && top <= point.y && point.y < bottom;
  }
  constexpr tRect Offset(tPoint<T> const& by) const {
    return tRect(left + by.x, top + by.y, right + by.x, bottom + by.y);
  }

  constexpr bool operator==(tRect const& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
  constexpr bool operator!=(tRect const& other) const { return !(*this == other); }

  T left;
  T top;
  T right;
  T bottom;
};

}  // namespace Orv
