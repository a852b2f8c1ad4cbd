// Pixel effects the photobooth applies to its photos: green- or blue-screen replacement of the
// background, toned black and white, and an overlay picture over a whole photo.
#pragma once

#include "support/PipSession.h"

struct ViewSettings;

/// The keying values of the green-screen settings.
struct GreenScreenKey {
  BOOL enable = FALSE;
  BOOL blueScreen = FALSE;   // key on blue instead of green
  WORD threshold = 70;       // the key channel must be above it
  WORD redPercentage = 230;  // red bound as a ratio to the key channel, 8.8 fixed point
  WORD bluePercentage = 179; // the third channel's bound, 8.8 fixed point
};

/// The key of the view's settings.
GreenScreenKey GreenScreenKeyOf(const ViewSettings& settings);

/// True when the pixel (bytes blue, green, red) is background by the key.
bool IsKeyedPixel(const BYTE* bgr, const GreenScreenKey& key);

/// Replaces the keyed pixels of the photo with the background picture's pixels at the same place
/// (the picture stretched to the photo's size with resizeMode). Nothing when the key is off, the
/// path empty or the picture unloadable.
void ApplyGreenscreen(PipSession& image, const char* backgroundPath, const GreenScreenKey& key, int resizeMode);

/// Every pixel becomes the toning table's colour for its luma.
void ApplyMonochromeToning(PipSession& image);

/// The overlay (stretched to the photo's size with resizeMode when it differs) blended over the
/// photo at 0, 0 through its alpha mask. Nothing when either image is empty.
void MergeOverlay(PipSession& image, PipSession& overlay, int resizeMode);
