// Regions and clipping. Region results: ERROR (0), NULLREGION, SIMPLEREGION, COMPLEXREGION.
#pragma once

#include "platform/gdi/types.h"

/// Returns NULL on failure; the caller frees it with DeleteObject.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
/// `dest` receives src1 op src2 (src2 unused for RGN_COPY); all must be regions.
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
BOOL PtInRegion(HRGN region, int x, int y);
int GetRgnBox(HRGN region, LPRECT rect);

/// A copy of `region` becomes the DC's clip region; NULL removes clipping.
int SelectClipRgn(HDC dc, HRGN region);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
/// The bounding box of the clip region (the whole surface without one).
int GetClipBox(HDC dc, LPRECT rect);
