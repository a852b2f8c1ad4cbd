// The main view's display renderer: a JPEG held in memory to a screen bitmap fitted into a box,
// grey or toned, with the live-view crop shading, sharpened, colour-managed and rotated, its
// colours counted into the view's histogram. Pixel buffers here are 3 bytes a pixel, rows top
// first, no padding.
#pragma once

#include "platform/mfc/cstring.h"
#include "platform/mfc/gdiobjects.h"
#include "platform/win32/windef.h"
#include "support/Histogram.h"

/// JPEGs shorter than this go to the imaging library first (camera previews).
const DWORD kSmallJpegSize = 20480;

/// The libjpeg DCT-scaling divisor (1, 2, 4 or 8) for a width x height picture shown in a
/// targetWidth x targetHeight box: the smallest decode still at least the box.
int ChooseDctDivisor(int width, int height, int targetWidth, int targetHeight);

/// The colour-management settings a render uses, taken on the UI thread so that a render on
/// another thread does not read them while the colour dialog changes them.
struct DisplayColourProfiles {
  bool enabled = false;
  CString camera;
  CString monitor;
};

/// The program-wide colour-management settings as they stand.
DisplayColourProfiles CurrentDisplayColourProfiles();

/// A new screen-compatible bitmap of the JPEG; the caller deletes it. Angle 0, 90, 180 or 270;
/// sharpening 1..100 sharpens; grey mode 0 colour, 1 grey, 2 toned; a crop rectangle in 320 x 240
/// live-view coordinates shades what lies outside it (any negative value: no shading).
/// Throws the libjpeg message (CString) when the data does not decode; NULL when the bitmap
/// cannot be made. Colour management follows the given profiles, or the program's settings.
CBitmap* RenderJpegForDisplay(const BYTE* jpeg, DWORD size, CHistogram* histogram, int angle, int boxWidth,
                              int boxHeight, int sharpening, int greyMode, BOOL crop3x2, int cropLeft, int cropTop,
                              int cropRight, int cropBottom, const DisplayColourProfiles* profiles = nullptr);

/// Sharpens B,G,R (or R,G,B) pixels in place with a 3 x 3 kernel; strength 1..100, higher is milder.
void SharpenRgb24(BYTE* pixels, int width, int height, int strength);

/// Counts every pixel of the session's image into the histogram (not reset first).
void HistogramFromImage(int session, CHistogram* histogram);

/// Colour-corrects B,G,R pixels in place from the camera profile to the monitor profile named in
/// the settings; untouched when colour management is off or a profile does not open or is not RGB.
void ApplyDisplayColourManagement(BYTE* pixels, size_t pixelCount);
void ApplyDisplayColourManagement(BYTE* pixels, size_t pixelCount, const DisplayColourProfiles& profiles);
