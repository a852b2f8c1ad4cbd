// CPoint, CSize and CRect: the point, size and rectangle classes over POINT, SIZE and RECT.
#pragma once

#include <algorithm>
#include <utility>

#include "platform/win32/windef.h"

class CSize : public SIZE {
 public:
  CSize() : SIZE{0, 0} {}
  CSize(int x, int y) : SIZE{x, y} {}
  CSize(SIZE size) : SIZE(size) {}
  bool operator==(const SIZE& other) const { return cx == other.cx && cy == other.cy; }
  bool operator!=(const SIZE& other) const { return !(*this == other); }
};

class CPoint : public POINT {
 public:
  CPoint() : POINT{0, 0} {}
  CPoint(int x, int y) : POINT{x, y} {}
  CPoint(POINT point) : POINT(point) {}
  /// From a mouse message's lParam (signed 16-bit coordinates).
  explicit CPoint(LPARAM lParam) : POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)} {}
  void Offset(int dx, int dy) { x += dx, y += dy; }
  bool operator==(const POINT& other) const { return x == other.x && y == other.y; }
  bool operator!=(const POINT& other) const { return !(*this == other); }
  CPoint operator+(const POINT& other) const { return CPoint(x + other.x, y + other.y); }
  CPoint operator-(const POINT& other) const { return CPoint(x - other.x, y - other.y); }
  CPoint& operator+=(const POINT& other) { x += other.x, y += other.y; return *this; }
  CPoint& operator-=(const POINT& other) { x -= other.x, y -= other.y; return *this; }
};

class CRect : public RECT {
 public:
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  CRect(const RECT& rect) : RECT(rect) {}
  CRect(const RECT* rect) : RECT(rect ? *rect : RECT{0, 0, 0, 0}) {}
  CRect(POINT topLeft, SIZE size) : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint& TopLeft() { return *reinterpret_cast<CPoint*>(&left); }
  CPoint& BottomRight() { return *reinterpret_cast<CPoint*>(&right); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool PtInRect(POINT point) const { return point.x >= left && point.x < right && point.y >= top && point.y < bottom; }
  void SetRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
  void SetRectEmpty() { SetRect(0, 0, 0, 0); }
  void OffsetRect(int dx, int dy) { left += dx, right += dx, top += dy, bottom += dy; }
  void OffsetRect(POINT point) { OffsetRect(point.x, point.y); }
  void InflateRect(int dx, int dy) { left -= dx, right += dx, top -= dy, bottom += dy; }
  void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  void NormalizeRect() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
  }
  /// FALSE (and an empty rectangle) when they do not overlap.
  BOOL IntersectRect(LPCRECT a, LPCRECT b) {
    SetRect(std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
            std::min(a->bottom, b->bottom));
    if (IsRectEmpty()) {
      SetRectEmpty();
      return FALSE;
    }
    return TRUE;
  }
  BOOL UnionRect(LPCRECT a, LPCRECT b) {
    SetRect(std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
            std::max(a->bottom, b->bottom));
    return !IsRectEmpty();
  }
  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }
  bool operator==(const RECT& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
  bool operator!=(const RECT& other) const { return !(*this == other); }
};
