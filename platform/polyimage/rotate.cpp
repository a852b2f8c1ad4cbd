// Rotation: exact quarter turns and Exif orientations by pixel moves, any other angle by
// bilinear sampling onto a canvas that grows to hold the turned image.
#include <cmath>

#include "platform/polyimage/parallel.h"
#include "platform/polyimage/polyimage_pvt.h"

namespace pip {
namespace {

// Moves every pixel: dest(x', y') = src(map(x', y')). `transpose` swaps the axes first,
// then the flips apply to the destination axes.
Bytes Remap(const uint8_t* src, int w, int h, int channels, bool transpose, bool flipX, bool flipY) {
  int dw = transpose ? h : w, dh = transpose ? w : h;
  Bytes out(size_t(dw) * dh * channels);
  ParallelRows(dh, 64, [&](int begin, int end) {
    for (int y = begin; y < end; ++y) {
      int ty = flipY ? dh - 1 - y : y;
      uint8_t* d = out.data() + size_t(y) * dw * channels;
      for (int x = 0; x < dw; ++x, d += channels) {
        int tx = flipX ? dw - 1 - x : x;
        int sx = transpose ? ty : tx, sy = transpose ? tx : ty;
        const uint8_t* s = src + (size_t(sy) * w + sx) * channels;
        for (int c = 0; c < channels; ++c) d[c] = s[c];
      }
    }
  });
  return out;
}

bool Reorient(Image& image, bool transpose, bool flipX, bool flipY) {
  if (image.Empty()) return false;
  Bytes pixels = Remap(image.pixels.data(), image.width, image.height, image.channels, transpose, flipX, flipY);
  Bytes alpha;
  if (!image.alpha.empty()) alpha = Remap(image.alpha.data(), image.width, image.height, 1, transpose, flipX, flipY);
  image.pixels = std::move(pixels);
  image.alpha = std::move(alpha);
  if (transpose) std::swap(image.width, image.height), std::swap(image.xDpi, image.yDpi);
  return true;
}

template <int C>
void SampleRows(const Image& src, Image& dst, uint8_t* dstAlpha, const uint8_t background[3], double c, double s,
                int begin, int end) {
  const int w = src.width, h = src.height;
  const double cx = dst.width / 2.0, cy = dst.height / 2.0;
  const double sx0 = w / 2.0 - 0.5, sy0 = h / 2.0 - 0.5;
  const int64_t du = std::llround(c * 65536), dv = std::llround(-s * 65536);
  const uint8_t* alpha = src.alpha.empty() ? nullptr : src.alpha.data();
  for (int y = begin; y < end; ++y) {
    double dy = y + 0.5 - cy, dx = 0.5 - cx;
    int64_t u = std::llround((dx * c + dy * s + sx0) * 65536);
    int64_t v = std::llround((-dx * s + dy * c + sy0) * 65536);
    uint8_t* d = dst.Row(y);
    uint8_t* da = dstAlpha ? dstAlpha + size_t(y) * dst.width : nullptr;
    for (int x = 0; x < dst.width; ++x, u += du, v += dv, d += C) {
      // Inside when the sample point lies within the source pixels' extent.
      if (u < -32768 || v < -32768 || u >= (int64_t(w) << 16) - 32768 || v >= (int64_t(h) << 16) - 32768) {
        for (int k = 0; k < C; ++k) d[k] = background[k];
        if (da) da[x] = 0;
        continue;
      }
      int x0 = int(u >> 16), y0 = int(v >> 16);
      int fx = int((u >> 8) & 255), fy = int((v >> 8) & 255);
      int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
      x0 = std::max(x0, 0), y0 = std::max(y0, 0);
      const uint8_t* r0 = src.Row(y0);
      const uint8_t* r1 = src.Row(y1);
      for (int k = 0; k < C; ++k) {
        int top = r0[x0 * C + k] * (256 - fx) + r0[x1 * C + k] * fx;
        int bottom = r1[x0 * C + k] * (256 - fx) + r1[x1 * C + k] * fx;
        d[k] = uint8_t((top * (256 - fy) + bottom * fy + 32768) >> 16);
      }
      if (da) {
        const uint8_t* a0 = alpha ? alpha + size_t(y0) * w : nullptr;
        const uint8_t* a1 = alpha ? alpha + size_t(y1) * w : nullptr;
        if (!alpha) {
          da[x] = 255;
        } else {
          int top = a0[x0] * (256 - fx) + a0[x1] * fx, bottom = a1[x0] * (256 - fx) + a1[x1] * fx;
          da[x] = uint8_t((top * (256 - fy) + bottom * fy + 32768) >> 16);
        }
      }
    }
  }
}

bool RotateAny(Image& image, double degrees, COLORREF colour) {
  double radians = degrees * M_PI / 180.0;
  double c = std::cos(radians), s = std::sin(radians);
  double w = image.width, h = image.height;
  int64_t dw = std::llround(std::ceil(std::fabs(w * c) + std::fabs(h * s) - 1e-6));
  int64_t dh = std::llround(std::ceil(std::fabs(w * s) + std::fabs(h * c) - 1e-6));
  Image out;
  if (!Allocate(out, int(std::max<int64_t>(dw, 1)), int(std::max<int64_t>(dh, 1)), image.channels)) return false;
  // The turned-away corners must show as transparent when the image carries a mask.
  if (!image.alpha.empty()) out.alpha = Bytes(size_t(out.width) * out.height);
  uint8_t background[3] = {GetBValue(colour), GetGValue(colour), GetRValue(colour)};
  if (image.channels == 1) background[0] = uint8_t((background[2] * 77 + background[1] * 150 + background[0] * 29) >> 8);
  uint8_t* alpha = out.alpha.empty() ? nullptr : out.alpha.data();
  ParallelRows(out.height, 32, [&](int begin, int end) {
    if (image.channels == 3) SampleRows<3>(image, out, alpha, background, c, s, begin, end);
    else SampleRows<1>(image, out, alpha, background, c, s, begin, end);
  });
  out.format = image.format;
  out.xDpi = image.xDpi;
  out.yDpi = image.yDpi;
  image = std::move(out);
  return true;
}

}  // namespace

bool RotateQuarter(Image& image, int quarters) {
  switch (((quarters % 4) + 4) % 4) {
    case 0: return true;
    case 1: return Reorient(image, true, true, false);
    case 2: return Reorient(image, false, true, true);
    default: return Reorient(image, true, false, true);
  }
}

bool ApplyOrientation(Image& image, int orientation) {
  switch (orientation) {
    case 2: return Reorient(image, false, true, false);
    case 3: return Reorient(image, false, true, true);
    case 4: return Reorient(image, false, false, true);
    case 5: return Reorient(image, true, false, false);
    case 6: return Reorient(image, true, true, false);
    case 7: return Reorient(image, true, true, true);
    case 8: return Reorient(image, true, false, true);
    default: return true;
  }
}

}  // namespace pip

using namespace pip;

int cOpRotateFine(int session, double degrees) {
  return Guard("cOpRotateFine", [&] {
    Session* s = Find(session);
    if (!s || s->image.Empty() || !std::isfinite(degrees)) return 0;
    double turns = degrees / 90.0;
    if (std::fabs(turns - std::round(turns)) < 1e-9) {
      double whole = std::fmod(std::round(turns), 4.0);
      return RotateQuarter(s->image, int(whole)) ? 1 : 0;
    }
    return RotateAny(s->image, std::fmod(degrees, 360.0), s->background) ? 1 : 0;
  });
}
