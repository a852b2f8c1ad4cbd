// The toning table: grey level to tinted colour, for the toned (monochrome) rendering of
// photos and frames. Rebuilt on the UI thread while readers may see a mix for one frame.
#pragma once

#include "platform/win32/windef.h"

/// Red, green, blue for each grey level 0..255.
extern BYTE g_toningTable[256][3];

/// Fills the toning table from a hue and saturation, both 0..1.
void BuildToningTable(double hue, double saturation);
/// Hue (fraction of the circle; -1 for none), saturation and lightness to three values of 0..scale.
void HslToRgb(double hue, double saturation, double lightness, int& r, int& g, int& b, double scale);
