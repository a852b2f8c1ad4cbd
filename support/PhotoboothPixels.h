// The photobooth's per-pixel work on raw 24-bit buffers (bytes blue, green, red; rows of
// width x 3 bytes without padding): background keying and toning in one pass.
#pragma once

#include <cstddef>

#include "platform/win32/windef.h"

/// The keying values of the green-screen settings.
struct GreenScreenKey {
  BOOL enable = FALSE;
  BOOL blueScreen = FALSE;    // key on blue instead of green
  WORD threshold = 70;        // the key channel must be above it
  WORD redPercentage = 230;   // red bound as a ratio to the key channel, 8.8 fixed point
  WORD bluePercentage = 179;  // the third channel's bound, 8.8 fixed point
};

/// True when the pixel (bytes blue, green, red) is background by the key; integers only.
inline bool IsKeyedPixel(const BYTE* bgr, const GreenScreenKey& key) {
  const unsigned k = key.blueScreen ? bgr[0] : bgr[1];
  const unsigned third = key.blueScreen ? bgr[1] : bgr[0];
  const unsigned red = bgr[2];
  return k > key.threshold && red * 256u < k * key.redPercentage && third * 256u < k * key.bluePercentage;
}

/// The toning table's index of a pixel: trunc(0.71516 G + 0.212671 R + 0.072169 B) as extended
/// precision gives it, & 255.
unsigned ToningLuma(BYTE blue, BYTE green, BYTE red);

/// One pass over the photo: keyed pixels (with `key`, when given) take the background's pixel at
/// the same place, then every pixel (with `toning`, when given: red, green, blue per luma)
/// becomes the table's colour for its luma. FALSE, with the photo unchanged, when a buffer is
/// not width x height x 3 bytes.
BOOL KeyAndTonePixels(BYTE* photo, size_t photoBytes, int width, int height, const GreenScreenKey* key,
                      const BYTE* background, size_t backgroundBytes, const BYTE (*toning)[3]);
