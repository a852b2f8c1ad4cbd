// Fonts travel in settings and layout files as the hexadecimal bytes of a LOGFONT.
#pragma once

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

/// 120 upper-case hex digits: the 60 bytes of the font in memory order.
CString LogFontToHex(const LOGFONTA& font);
/// Reads 120 digits (an 8-bit LOGFONT) or 184 digits (a wide LOGFONT, converted); returns false and
/// leaves the font unchanged for any other length or a pair that is not hexadecimal.
bool HexToLogFont(const char* hex, LOGFONTA& font);
