// How the settings dialogs show a chosen font in their read-only font fields.
#pragma once

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

/// "<face>, <n> point" with ", bold" (weight 700) and ", italic"; the size comes from the height
/// at `screenDpiY` (-(height x 72 / dpi), rounded). A DPI of 0 or less counts as 96.
CString FormatFontDescription(const LOGFONTA& font, int screenDpiY);
/// The vertical pixels per inch of the screen (96 when there is none).
int ScreenDpiY();
