// Separable resampling in 14-bit fixed point: a vertical pass that runs over whole rows
// (vectorises) and a horizontal pass per row, both split over a few threads.
#include <cmath>

#include "platform/polyimage/parallel.h"
#include "platform/polyimage/polyimage_pvt.h"

namespace pip {
namespace {

constexpr int kShift = 14;
constexpr int kOne = 1 << kShift;

struct Weights {
  int taps = 0;
  std::vector<int> start;       // first source index per output index
  std::vector<int16_t> weight;  // taps per output index
};

double Triangle(double x) {
  x = std::fabs(x);
  return x < 1.0 ? 1.0 - x : 0.0;
}

double Lanczos3(double x) {
  x = std::fabs(x);
  if (x < 1e-8) return 1.0;
  if (x >= 3.0) return 0.0;
  double px = M_PI * x;
  return 3.0 * std::sin(px) * std::sin(px / 3.0) / (px * px);
}

Weights MakeWeights(int source, int dest, bool high) {
  Weights w;
  double scale = double(dest) / source;
  double stretch = scale < 1.0 ? 1.0 / scale : 1.0;  // widen the filter when reducing
  double support = (high ? 3.0 : 1.0) * stretch;
  w.taps = std::min(source, int(std::ceil(support)) * 2 + 1);
  w.start.resize(dest);
  w.weight.assign(size_t(dest) * w.taps, 0);
  std::vector<double> f(w.taps);
  for (int i = 0; i < dest; ++i) {
    double centre = (i + 0.5) / scale - 0.5;
    int first = int(std::floor(centre - support)) + 1;
    first = std::clamp(first, 0, source - w.taps);
    double sum = 0;
    for (int k = 0; k < w.taps; ++k) {
      double x = (first + k - centre) / stretch;
      f[k] = high ? Lanczos3(x) : Triangle(x);
      sum += f[k];
    }
    if (sum == 0) f[std::clamp(int(centre + 0.5) - first, 0, w.taps - 1)] = sum = 1;
    int16_t* out = &w.weight[size_t(i) * w.taps];
    int total = 0, biggest = 0;
    for (int k = 0; k < w.taps; ++k) {
      out[k] = int16_t(std::lround(f[k] / sum * kOne));
      total += out[k];
      if (out[k] > out[biggest]) biggest = k;
    }
    out[biggest] = int16_t(out[biggest] + kOne - total);  // exact unity gain
    w.start[i] = first;
  }
  return w;
}

inline uint8_t Clamp8(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

// Vertical: each destination row is a weighted sum of whole source rows.
void Vertical(const uint8_t* src, size_t stride, uint8_t* dst, const Weights& w, int rowBegin, int rowEnd) {
  constexpr size_t kChunk = 2048;
  alignas(32) int32_t acc[kChunk];
  for (int y = rowBegin; y < rowEnd; ++y) {
    const int16_t* wt = &w.weight[size_t(y) * w.taps];
    const uint8_t* first = src + stride * size_t(w.start[y]);
    uint8_t* out = dst + stride * size_t(y);
    for (size_t x0 = 0; x0 < stride; x0 += kChunk) {
      size_t n = std::min(kChunk, stride - x0);
      for (size_t i = 0; i < n; ++i) acc[i] = kOne / 2;
      for (int k = 0; k < w.taps; ++k) {
        int32_t c = wt[k];
        if (!c) continue;
        const uint8_t* row = first + stride * size_t(k) + x0;
        for (size_t i = 0; i < n; ++i) acc[i] += int32_t(row[i]) * c;
      }
      for (size_t i = 0; i < n; ++i) out[x0 + i] = Clamp8(acc[i] >> kShift);
    }
  }
}

template <int C>
void HorizontalRow(const uint8_t* src, uint8_t* dst, const Weights& w, int dest) {
  for (int x = 0; x < dest; ++x) {
    const int16_t* wt = &w.weight[size_t(x) * w.taps];
    const uint8_t* p = src + size_t(w.start[x]) * C;
    int32_t acc[C];
    for (int c = 0; c < C; ++c) acc[c] = kOne / 2;
    for (int k = 0; k < w.taps; ++k, p += C)
      for (int c = 0; c < C; ++c) acc[c] += int32_t(p[c]) * wt[k];
    for (int c = 0; c < C; ++c) dst[size_t(x) * C + c] = Clamp8(acc[c] >> kShift);
  }
}

void Horizontal(const uint8_t* src, size_t srcStride, uint8_t* dst, size_t dstStride, const Weights& w, int dest,
                int channels, int rowBegin, int rowEnd) {
  for (int y = rowBegin; y < rowEnd; ++y) {
    const uint8_t* s = src + srcStride * size_t(y);
    uint8_t* d = dst + dstStride * size_t(y);
    if (channels == 3) HorizontalRow<3>(s, d, w, dest);
    else HorizontalRow<1>(s, d, w, dest);
  }
}

// Resamples one plane set (pixels or mask) of `channels` bytes per pixel.
Bytes ResamplePlane(const uint8_t* src, int sw, int sh, int channels, int dw, int dh, bool high) {
  const uint8_t* rows = src;
  Bytes vertical;
  size_t stride = size_t(sw) * channels;
  if (dh != sh) {
    Weights wy = MakeWeights(sh, dh, high);
    vertical = Bytes(stride * dh);
    ParallelRows(dh, 32, [&](int a, int b) { Vertical(src, stride, vertical.data(), wy, a, b); });
    rows = vertical.data();
  }
  Bytes out(size_t(dw) * dh * channels);
  if (dw != sw) {
    Weights wx = MakeWeights(sw, dw, high);
    ParallelRows(dh, 32, [&](int a, int b) {
      Horizontal(rows, stride, out.data(), size_t(dw) * channels, wx, dw, channels, a, b);
    });
  } else {
    std::memcpy(out.data(), rows, out.size());
  }
  return out;
}

// Point sampling: each destination pixel takes the source pixel under its centre.
Bytes NearestPlane(const uint8_t* src, int sw, int sh, int channels, int dw, int dh) {
  Bytes out(size_t(dw) * dh * channels);
  std::vector<int> columns(dw);
  for (int x = 0; x < dw; ++x) columns[x] = std::min(sw - 1, int((int64_t(2 * x + 1) * sw) / (2 * dw)));
  ParallelRows(dh, 64, [&](int begin, int end) {
    for (int y = begin; y < end; ++y) {
      const uint8_t* row = src + size_t(std::min(sh - 1, int((int64_t(2 * y + 1) * sh) / (2 * dh)))) * sw * channels;
      uint8_t* d = out.data() + size_t(y) * dw * channels;
      for (int x = 0; x < dw; ++x, d += channels)
        for (int c = 0; c < channels; ++c) d[c] = row[size_t(columns[x]) * channels + c];
    }
  });
  return out;
}

}  // namespace

bool ResizeImage(Image& image, int width, int height, int quality) {
  if (image.Empty() || !ValidSize(width, height)) return false;
  if (width == image.width && height == image.height) return true;
  bool high = quality > PIP_RESAMPLE_FAST;
  auto plane = [&](const uint8_t* src, int channels) {
    if (quality < PIP_RESAMPLE_FAST) return NearestPlane(src, image.width, image.height, channels, width, height);
    return ResamplePlane(src, image.width, image.height, channels, width, height, high);
  };
  Bytes pixels = plane(image.pixels.data(), image.channels);
  Bytes alpha;
  if (!image.alpha.empty()) alpha = plane(image.alpha.data(), 1);
  image.pixels = std::move(pixels);
  image.alpha = std::move(alpha);
  image.width = width;
  image.height = height;
  return true;
}

}  // namespace pip

using namespace pip;

int cOpResize(int session, int width, int height, int quality, int, int) {
  return Guard("cOpResize", [&] {
    Session* s = Find(session);
    return s && ResizeImage(s->image, width, height, quality) ? 1 : 0;
  });
}

int cOpResizeEx(int session, int width, int height, int quality, int keepAspect) {
  return Guard("cOpResizeEx", [&] {
    Session* s = Find(session);
    if (!s || s->image.Empty() || width <= 0 || height <= 0) return 0;
    if (keepAspect) {
      double scale = std::min(double(width) / s->image.width, double(height) / s->image.height);
      width = std::clamp(int(std::lround(s->image.width * scale)), 1, width);
      height = std::clamp(int(std::lround(s->image.height * scale)), 1, height);
    }
    return ResizeImage(s->image, width, height, quality) ? 1 : 0;
  });
}
