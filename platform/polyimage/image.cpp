// The image buffer: allocation, fill, copy and grey-to-colour.
#include <sys/mman.h>

#include <cstdlib>

#include "platform/polyimage/polyimage_pvt.h"

namespace pip {

uint8_t* AllocatePixels(size_t n) {
  constexpr size_t kHuge = size_t(2) << 20;
  void* p = nullptr;
  if (n >= 2 * kHuge) {
    size_t rounded = (n + kHuge - 1) / kHuge * kHuge;
    p = std::aligned_alloc(kHuge, rounded);
    if (p) ::madvise(p, rounded, MADV_HUGEPAGE);
  } else {
    p = std::malloc(n);
  }
  if (!p) throw std::bad_alloc();
  return static_cast<uint8_t*>(p);
}

void FreePixels::operator()(uint8_t* p) const { std::free(p); }

bool ValidSize(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

bool Allocate(Image& image, int width, int height, int channels) {
  if (!ValidSize(width, height) || (channels != 1 && channels != 3)) return false;
  image.pixels = Bytes(size_t(width) * height * channels);
  image.alpha = Bytes();
  image.width = width;
  image.height = height;
  image.channels = channels;
  return true;
}

void Fill(Image& image, COLORREF colour) {
  uint8_t* p = image.pixels.data();
  size_t count = size_t(image.width) * image.height;
  if (image.channels == 1) {
    std::memset(p, (GetRValue(colour) * 77 + GetGValue(colour) * 150 + GetBValue(colour) * 29) >> 8, count);
    return;
  }
  const uint8_t b = GetBValue(colour), g = GetGValue(colour), r = GetRValue(colour);
  if (b == g && g == r) {
    std::memset(p, b, count * 3);
    return;
  }
  for (size_t i = 0; i < count; ++i, p += 3) {
    p[0] = b;
    p[1] = g;
    p[2] = r;
  }
}

Image Image::Clone() const {
  Image copy;
  copy.width = width;
  copy.height = height;
  copy.channels = channels;
  copy.pixels = pixels.Clone();
  copy.alpha = alpha.Clone();
  copy.format = format;
  copy.orientation = orientation;
  copy.xDpi = xDpi;
  copy.yDpi = yDpi;
  return copy;
}

bool ToColour(Image& image) {
  if (image.channels != 1) return true;
  Bytes colour(size_t(image.width) * image.height * 3);
  const uint8_t* g = image.pixels.data();
  uint8_t* c = colour.data();
  size_t count = size_t(image.width) * image.height;
  for (size_t i = 0; i < count; ++i) c[3 * i] = c[3 * i + 1] = c[3 * i + 2] = g[i];
  image.pixels = std::move(colour);
  image.channels = 3;
  return true;
}

}  // namespace pip
