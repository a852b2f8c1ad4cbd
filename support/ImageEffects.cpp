// Pixel effects of the display renderer: the 3 x 3 sharpen and histogram counting of a session.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/polyimage/polyimage.h"
#include "support/JpegDisplay.h"

void SharpenRgb24(BYTE* pixels, int width, int height, int strength) {
  if (!pixels || width <= 0 || height <= 0) return;
  const int centre = (100 - strength) / 2 + 13;
  int divisor = std::abs(centre - 4 * 1 - 4 * 2);
  if (divisor < 1) divisor = 1;
  const size_t stride = size_t(width) * 3;
  std::vector<BYTE> src(pixels, pixels + stride * height);
  for (int y = 0; y < height; ++y) {
    const BYTE* up = &src[size_t(y > 0 ? y - 1 : y) * stride];
    const BYTE* mid = &src[size_t(y) * stride];
    const BYTE* down = &src[size_t(y + 1 < height ? y + 1 : y) * stride];
    bool hasUp = y > 0, hasDown = y + 1 < height;
    BYTE* out = pixels + size_t(y) * stride;
    // Inside rows: every neighbour exists, so the plain kernel runs without edge tests.
    if (hasUp && hasDown && width > 2) {
      for (size_t i = 3; i < stride - 3; ++i) {
        int corners = up[i - 3] + up[i + 3] + down[i - 3] + down[i + 3];
        int edges = up[i] + down[i] + mid[i - 3] + mid[i + 3];
        int v = (centre * mid[i] - corners - 2 * edges) / divisor;
        out[i] = BYTE(v < 0 ? 0 : v > 255 ? 255 : v);
      }
    }
    for (int x = 0; x < width; ++x) {
      if (hasUp && hasDown && width > 2 && x > 0 && x + 1 < width) x = width - 1;
      bool hasLeft = x > 0, hasRight = x + 1 < width;
      int l = (x - 1) * 3, c = x * 3, r = (x + 1) * 3;
      for (int k = 0; k < 3; ++k) {
        int self = mid[c + k];
        // Neighbours outside the picture count as the centre pixel.
        auto at = [&](const BYTE* row, bool rowIn, int col, bool colIn) {
          return rowIn && colIn ? row[col + k] : self;
        };
        int corners = at(up, hasUp, l, hasLeft) + at(up, hasUp, r, hasRight) + at(down, hasDown, l, hasLeft) +
                      at(down, hasDown, r, hasRight);
        int edges = at(up, hasUp, c, true) + at(down, hasDown, c, true) + at(mid, true, l, hasLeft) +
                    at(mid, true, r, hasRight);
        int v = (centre * self - corners - 2 * edges) / divisor;
        out[c + k] = BYTE(v < 0 ? 0 : v > 255 ? 255 : v);
      }
    }
  }
}

void HistogramFromImage(int session, CHistogram* histogram) {
  if (!histogram) return;
  DWORD width = 0, height = 0;
  BYTE bits = 0;
  if (!cGetImageInfo(session, &width, &height, &bits, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)) return;
  if (bits == 24) {
    PolyArray pixels;
    if (cGetImage16(session, &pixels) && pixels.Size() >= size_t(width) * height * 3) {
      const BYTE* p = pixels.Data();
      for (size_t i = 0, n = size_t(width) * height; i < n; ++i, p += 3) histogram->AddPixel(p[2], p[1], p[0]);
      return;
    }
  }
  for (DWORD y = 0; y < height; ++y)
    for (DWORD x = 0; x < width; ++x) {
      COLORREF colour = 0;
      if (cGetPixelColor(session, int(x), int(y), &colour))
        histogram->AddPixel(GetRValue(colour), GetGValue(colour), GetBValue(colour));
    }
}
