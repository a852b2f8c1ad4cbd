// Lines, shapes, fills and single pixels, drawn with the DC's pen, brush and raster mode.
// Each returns FALSE (0) for a bad DC or when nothing can be drawn on its device.
#pragma once

#include "platform/gdi/types.h"

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous);
/// Draws from the current position up to, not including, (x, y), then moves there.
BOOL LineTo(HDC dc, int x, int y);
BOOL Polyline(HDC dc, const POINT* points, int count);
/// Outlines with the pen and fills with the brush; the right and bottom edges are excluded.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
/// A closed shape through the points, outlined with the pen and filled with the brush.
BOOL Polygon(HDC dc, const POINT* points, int count);
/// Fills without an outline. Returns 0 on failure.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
/// A one-pixel frame in the brush's colour. Returns 0 on failure.
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);

/// Returns CLR_INVALID outside the surface or on a device without readable pixels.
COLORREF GetPixel(HDC dc, int x, int y);
/// Returns the colour set, or (COLORREF)-1 on failure.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
