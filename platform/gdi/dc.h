// Device contexts: memory DCs, their drawing state and their capabilities.
// A DC belongs to the thread drawing with it; GDI objects may be shared between DCs.
#pragma once

#include "platform/gdi/types.h"

/// A memory DC compatible with the screen (NULL) or with `dc`; it starts with a 1x1 bitmap
/// selected. Returns NULL on failure; free it with DeleteDC.
HDC CreateCompatibleDC(HDC dc);
/// Frees a DC made by CreateCompatibleDC or CreateDC; objects selected into it stay alive.
/// Returns FALSE for a handle that is not a DC.
BOOL DeleteDC(HDC dc);

/// Returns 0 for an unknown index or a bad handle. Screen-like DCs report 96 dpi.
int GetDeviceCaps(HDC dc, int index);

/// Each returns the previous value, or 0 (CLR_INVALID for colours) for a bad handle.
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);

/// Makes pending drawing visible in the pixels of DIB sections; always TRUE.
BOOL GdiFlush();
