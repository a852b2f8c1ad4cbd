// Text in the DC's selected font. Strings are in the system code page.
// A font's escapement (tenths of a degree, counter-clockwise) turns the text about its
// starting point; extents are always measured along the text.
#pragma once

#include "platform/gdi/types.h"

/// Draws with the top-left of the first character cell at (x, y). FALSE for a bad DC.
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
#define TextOut TextOutA
/// Returns the height of the text drawn (or measured with DT_CALCRECT, which also sets the
/// rectangle's right and bottom), or 0 on failure. A length of -1 means NUL-terminated.
int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format);
#define DrawText DrawTextA
/// Width of the string and height of the font's cell. FALSE for a bad DC.
BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size);
#define GetTextExtentPoint32 GetTextExtentPoint32A
#define GetTextExtentPoint GetTextExtentPoint32A
BOOL GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics);
#define GetTextMetrics GetTextMetricsA
