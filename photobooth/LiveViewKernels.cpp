#include "photobooth/LiveViewKernels.h"

#include <algorithm>
#include <cstring>

#include "camera/ViewfinderPixels.h"
#include "support/Toning.h"

LiveRect Band3to2(int width, int height) {
  if (width <= 0 || height <= 0) return {};
  int band = 2 * width / 3;
  if (band >= height) return {0, 0, width, height};
  return {0, (height - band) / 2, width, band};
}

void KeyRows(BYTE* bgr, const BYTE* background, size_t pixels, const GreenScreenKey& key) {
  if (!bgr || !background) return;
  for (size_t i = 0; i < pixels; ++i, bgr += 3, background += 3) {
    if (IsKeyedPixel(bgr, key)) {
      bgr[0] = background[0];
      bgr[1] = background[1];
      bgr[2] = background[2];
    }
  }
}

void BlendOverlay(BYTE* bgr, const OverlayPlanes& overlay, size_t pixels) {
  if (!bgr || !overlay.IsLoaded()) return;
  pixels = std::min(pixels, overlay.alpha.size());
  const BYTE* red = overlay.red.data();
  const BYTE* green = overlay.green.data();
  const BYTE* blue = overlay.blue.data();
  const BYTE* alpha = overlay.alpha.data();
  for (size_t i = 0; i < pixels; ++i, bgr += 3) {
    unsigned a = alpha[i];
    if (a == 0) continue;
    unsigned rest = 256 - a;
    bgr[0] = static_cast<BYTE>((blue[i] * a + bgr[0] * rest) >> 8);
    bgr[1] = static_cast<BYTE>((green[i] * a + bgr[1] * rest) >> 8);
    bgr[2] = static_cast<BYTE>((red[i] * a + bgr[2] * rest) >> 8);
  }
}

void GreyRows(BYTE* bgr, size_t pixels) {
  if (!bgr) return;
  for (size_t i = 0; i < pixels; ++i, bgr += 3) {
    BYTE grey = static_cast<BYTE>((unsigned(bgr[0]) + bgr[1] + bgr[2]) / 3);
    bgr[0] = bgr[1] = bgr[2] = grey;
  }
}

void ToneRows(BYTE* bgr, size_t pixels, const BYTE (*table)[3]) {
  if (!bgr || !table) return;
  for (size_t i = 0; i < pixels; ++i, bgr += 3) {
    double luma = 0.212671 * bgr[2] + 0.71516 * bgr[1] + 0.072169 * bgr[0];
    const BYTE* entry = table[static_cast<unsigned>(luma) & 255];
    bgr[0] = entry[2];
    bgr[1] = entry[1];
    bgr[2] = entry[0];
  }
}

void ApplyColourMode(BYTE* bgr, size_t pixels, int colourMode) {
  if (colourMode == 1) GreyRows(bgr, pixels);
  else if (colourMode == 2) ToneRows(bgr, pixels, g_toningTable);
}

LiveRect LiveViewSourceRect(int width, int height, double zoom, int evfCrop) {
  if (width <= 0 || height <= 0) return {};
  LiveRect rect{0, 0, width, height};
  if (zoom > 1) {
    RECT zoomed = ZoomSourceRect(width, height, zoom);  // left, top, width, height
    rect = {zoomed.left, zoomed.top, std::max(1, int(zoomed.right)), std::max(1, int(zoomed.bottom))};
  }
  if (evfCrop > 0 && evfCrop < rect.width) {
    rect.x += evfCrop / 2;
    rect.width -= evfCrop;
  }
  if (evfCrop > 0 && evfCrop < rect.height) {
    rect.y += evfCrop / 2;
    rect.height -= evfCrop;
  }
  return rect;
}

LiveRect CutToAspect(int width, int height, int aspectWidth, int aspectHeight) {
  if (width <= 0 || height <= 0) return {};
  if (aspectWidth <= 0 || aspectHeight <= 0) return {0, 0, width, height};
  const long long wide = static_cast<long long>(width) * aspectHeight;
  const long long tall = static_cast<long long>(height) * aspectWidth;
  if (wide > tall) {
    // Wider than the shape: the sides go.
    int cut = std::max(1, static_cast<int>((2LL * height * aspectWidth + aspectHeight) / (2LL * aspectHeight)));
    return {(width - cut) / 2, 0, cut, height};
  }
  int cut = std::max(1, static_cast<int>((2LL * width * aspectHeight + aspectWidth) / (2LL * aspectWidth)));
  return {0, (height - cut) / 2, width, cut};
}

LiveRect LiveViewDestRect(int sourceWidth, int sourceHeight, int maxHeight, int xOffset, int yOffset,
                          int clientWidth) {
  if (sourceWidth <= 0 || sourceHeight <= 0 || maxHeight <= 0) return {};
  LiveRect rect;
  rect.height = maxHeight;
  rect.width = static_cast<int>(static_cast<long long>(sourceWidth) * maxHeight / sourceHeight);
  rect.y = yOffset;
  rect.x = xOffset >= 0 && xOffset < clientWidth - 50 ? xOffset : (clientWidth - rect.width) / 2;
  return rect;
}

void MirrorRows(BYTE* bgr, int width, int height, size_t stride) {
  if (!bgr || width <= 1 || height <= 0) return;
  if (stride == 0) stride = static_cast<size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    BYTE* left = bgr + stride * y;
    BYTE* right = left + static_cast<size_t>(width - 1) * 3;
    for (; left < right; left += 3, right -= 3) {
      std::swap(left[0], right[0]);
      std::swap(left[1], right[1]);
      std::swap(left[2], right[2]);
    }
  }
}

int DibStride(int width) { return width > 0 ? (width * 3 + 3) & ~3 : 0; }

bool CopyPaddedRows(const BYTE* bgr, int frameWidth, int frameHeight, const LiveRect& rect, std::vector<BYTE>& out) {
  if (!bgr || rect.width <= 0 || rect.height <= 0 || rect.x < 0 || rect.y < 0 || rect.x + rect.width > frameWidth ||
      rect.y + rect.height > frameHeight)
    return false;
  const size_t stride = static_cast<size_t>(DibStride(rect.width));
  out.assign(stride * rect.height, 0);
  for (int y = 0; y < rect.height; ++y)
    std::memcpy(&out[stride * y], bgr + (static_cast<size_t>(rect.y + y) * frameWidth + rect.x) * 3,
                static_cast<size_t>(rect.width) * 3);
  return true;
}

bool CopyRows32(const BYTE* bgr, int frameWidth, int frameHeight, const LiveRect& rect, bool mirror,
                std::vector<BYTE>& out) {
  if (!bgr || rect.width <= 0 || rect.height <= 0 || rect.x < 0 || rect.y < 0 || rect.x + rect.width > frameWidth ||
      rect.y + rect.height > frameHeight)
    return false;
  const size_t rowBytes = static_cast<size_t>(rect.width) * 4;
  out.resize(rowBytes * rect.height);  // no clearing: every byte is written below
  for (int y = 0; y < rect.height; ++y) {
    const BYTE* in = bgr + (static_cast<size_t>(rect.y + y) * frameWidth + rect.x) * 3;
    BYTE* row = out.data() + rowBytes * y;
    if (mirror) {
      BYTE* to = row + rowBytes - 4;
      for (int x = 0; x < rect.width; ++x, in += 3, to -= 4) {
        to[0] = in[0];
        to[1] = in[1];
        to[2] = in[2];
        to[3] = 0xFF;
      }
    } else {
      BYTE* to = row;
      for (int x = 0; x < rect.width; ++x, in += 3, to += 4) {
        to[0] = in[0];
        to[1] = in[1];
        to[2] = in[2];
        to[3] = 0xFF;
      }
    }
  }
  return true;
}
