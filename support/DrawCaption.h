// One caption of a print layout drawn into a device context, or only measured. The caller
// selects the text colour and background mode first.
#pragma once

#include "platform/gdi/wingdi.h"
#include "platform/win32/windef.h"

/// Draws the text at the anchor x, y (alignment 0 left, 1 centred, 2 right) in the font, whose
/// escapement and orientation hold 3600 minus the angle in tenths of a degree. With corners
/// non-NULL nothing is drawn and corners[0..7] receive the block's four corners as x, y pairs.
/// maxLines >= 1 drops the wrapped lines beyond it; maxWidth <= 50 does not wrap.
void DrawCaption(HDC dc, int x, int y, const char* text, int alignment, LOGFONTA font, int* corners, int maxLines,
                 int maxWidth);
