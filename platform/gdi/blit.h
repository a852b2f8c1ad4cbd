// Block transfers between DCs and from DIB memory. Negative sizes mirror the image.
#pragma once

#include "platform/gdi/types.h"

/// FALSE for a bad DC, a source without readable pixels or an unsupported raster op
/// (SRCCOPY, SRCPAINT, SRCAND, SRCINVERT, NOTSRCCOPY, DSTINVERT, PATCOPY, BLACKNESS, WHITENESS).
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop);
/// Scales with the destination's stretch mode (HALFTONE smooths).
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, int sWidth,
                int sHeight, DWORD rop);
/// Draws part of an 8-, 24- or 32-bit uncompressed DIB. For bottom-up DIBs (biHeight > 0) the
/// source origin (sx, sy) is the lower-left corner. Returns the number of scan lines drawn,
/// or 0 for a bad DC or a header it cannot read.
int StretchDIBits(HDC dc, int x, int y, int width, int height, int sx, int sy, int sWidth, int sHeight,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
