// Pixel effects the photobooth applies to its photos: green- or blue-screen replacement of the
// background, toned black and white, an overlay picture over a whole photo, and the numbered
// placeholder boxes of a screen image.
#pragma once

#include "support/PhotoboothPixels.h"
#include "support/PipSession.h"

struct ViewSettings;

/// The key of the view's settings.
GreenScreenKey GreenScreenKeyOf(const ViewSettings& settings);

/// Replaces the keyed pixels of the photo with the background picture's pixels at the same place
/// (the picture stretched to the photo's size with resizeMode), and tones the result when
/// `tone` is set, in one pass. Nothing when the key is off, the path empty, the picture
/// unloadable or a pixel buffer of the wrong size.
void ApplyGreenscreen(PipSession& image, const char* backgroundPath, const GreenScreenKey& key, int resizeMode,
                      bool tone = false);

/// Every pixel becomes the toning table's colour for its luma.
void ApplyMonochromeToning(PipSession& image);

/// The overlay (stretched to the photo's size with resizeMode when it differs) blended over the
/// photo at 0, 0 through its alpha mask. Nothing when either image is empty.
void MergeOverlay(PipSession& image, PipSession& overlay, int resizeMode);

/// Where the placeholder boxes go and how many.
struct ThumbnailBoxes {
  BOOL enable = FALSE;
  int x = 0, y = 0;  // the first box; a negative x counts from the right edge
  int width = 0;
  int xSpacing = 0, ySpacing = 0;
  int count = 0;
  BOOL threeToTwo = FALSE;  // box height 2/3 of the width, else 3/4
};

/// The boxes of the view's settings.
ThumbnailBoxes ThumbnailBoxesOf(const ViewSettings& settings);

/// Grey boxes (RGB 65,65,65) numbered from 1 in Arial of half the box width, on the image.
void DrawThumbnailNumbers(PipSession& image, const ThumbnailBoxes& boxes);
