// Breaking caption text into lines that fit a pixel width.
#pragma once

#include "platform/mfc/collections.h"
#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

/// Appends the lines of the text wrapped to the width in the DC's current font; a width of 50 or
/// less adds the text unchanged, an empty text adds " ".
void WordWrapToWidth(HDC dc, const char* text, int width, CStringArray& lines);
