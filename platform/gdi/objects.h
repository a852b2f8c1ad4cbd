// GDI objects: pens, brushes, fonts, bitmaps and the stock set; selecting and deleting them.
// Every Create... returns NULL on failure; the caller owns the object and frees it with
// DeleteObject once no DC has it selected.
#pragma once

#include "platform/gdi/types.h"

HPEN CreatePen(int style, int width, COLORREF color);
/// Geometric pens (PS_GEOMETRIC) take the width and end cap; user styles are not supported.
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HFONT CreateFontIndirectA(const LOGFONTA* font);
#define CreateFontIndirect CreateFontIndirectA

/// A bitmap of 24 or 32 bits per pixel (other depths fail), zero-filled or from `bits`
/// (rows padded to 2 bytes, as the platform's device-dependent bitmaps are).
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
/// A 32-bit bitmap the size given, black; works whatever bitmap `dc` has selected.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
/// A DIB of 8, 24 or 32 bits per pixel whose rows (padded to 4 bytes; bottom-up when
/// biHeight > 0) are at *bits, owned by the bitmap. Returns NULL (and *bits = NULL) when the
/// header is not one of those.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
/// Copies `lines` rows from row `start` of the bitmap into `bits` as a 24- or 32-bit BI_RGB
/// DIB of the bitmap's width and height (top-down when biHeight < 0; rows padded to 4 bytes).
/// With `bits` NULL it only fills the header's size fields. Returns the rows copied, 0 on
/// failure (a bad handle, another size or depth).
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info, UINT usage);
/// Copies `lines` rows of a 24- or 32-bit BI_RGB DIB of the bitmap's size into the bitmap from
/// row `start`. Returns the rows copied, 0 on failure (a bad handle, another size or depth).
int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);

/// Stock objects are never freed; DeleteObject on them does nothing and returns TRUE.
HGDIOBJ GetStockObject(int index);
/// Returns the previously selected object of the same kind, or NULL when the object is bad,
/// a region (use SelectClipRgn) or a bitmap already selected into another DC.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
/// Returns FALSE for a bad handle and for an object still selected into a DC (it stays alive).
BOOL DeleteObject(HGDIOBJ object);
/// Fills a BITMAP, LOGFONTA, LOGBRUSH or (for pens) LOGBRUSH-like record; returns the bytes
/// written, or 0 for a bad handle or a short buffer. With buffer NULL returns the size needed.
int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
#define GetObject GetObjectA
/// OBJ_PEN, OBJ_BRUSH, ...; 0 for a bad handle.
DWORD GetObjectType(HGDIOBJ object);
