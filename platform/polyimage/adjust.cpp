// Pixel adjustments: grey scale, depth increase, sharpening and levels.
#include <cmath>

#include "platform/polyimage/parallel.h"
#include "platform/polyimage/polyimage_pvt.h"

using namespace pip;

int cOpGrayScale(int session) {
  return Guard("cOpGrayScale", [&] {
    Session* s = Find(session);
    if (!s || s->image.Empty()) return 0;
    Image& image = s->image;
    if (image.channels == 1) return 1;
    size_t count = size_t(image.width) * image.height;
    Bytes grey(count);
    const uint8_t* p = image.pixels.data();
    uint8_t* g = grey.data();
    for (size_t i = 0; i < count; ++i, p += 3) g[i] = uint8_t((p[0] * 29 + p[1] * 150 + p[2] * 77 + 128) >> 8);
    image.pixels = std::move(grey);
    image.channels = 1;
    return 1;
  });
}

int cOpIncreaseBitsPerPixel(int session, int bitsPerPixel) {
  return Guard("cOpIncreaseBitsPerPixel", [&] {
    Session* s = Find(session);
    if (!s || s->image.Empty() || bitsPerPixel != 24) return 0;
    return ToColour(s->image) ? 1 : 0;
  });
}

// Unsharp mask against a 3x3 box blur: out = p + k (p - blur), k up to 2 at amount 100.
int cOpSharpen(int session, int amount) {
  return Guard("cOpSharpen", [&] {
    Session* s = Find(session);
    if (!s || s->image.Empty() || amount < 1 || amount > 100) return 0;
    Image& image = s->image;
    const int w = image.width, h = image.height, c = image.channels;
    if (w < 3 || h < 3) return 1;
    const size_t stride = image.Stride();
    const int k = amount * 2 * 256 / 100;  // gain in 1/256
    Bytes out(image.pixels.size());
    const uint8_t* src = image.pixels.data();
    auto sharpen = [k](int p, int sum) {
      int v = p + (((p * 9 - sum) * k) / (9 * 256));
      return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    };
    ParallelRows(h, 32, [&](int begin, int end) {
      for (int y = begin; y < end; ++y) {
        const uint8_t* up = src + stride * size_t(y > 0 ? y - 1 : 0);
        const uint8_t* mid = src + stride * size_t(y);
        const uint8_t* down = src + stride * size_t(y < h - 1 ? y + 1 : h - 1);
        uint8_t* d = out.data() + stride * size_t(y);
        // Inner pixels: one straight loop over the row's bytes.
        for (size_t i = size_t(c); i + size_t(c) < stride; ++i) {
          int sum = up[i - c] + up[i] + up[i + c] + mid[i - c] + mid[i] + mid[i + c] + down[i - c] + down[i] +
                    down[i + c];
          d[i] = sharpen(mid[i], sum);
        }
        // First and last pixel repeat their edge.
        for (int x : {0, w - 1}) {
          int left = x > 0 ? x - 1 : 0, right = x < w - 1 ? x + 1 : w - 1;
          for (int ch = 0; ch < c; ++ch) {
            size_t l = size_t(left) * c + ch, m = size_t(x) * c + ch, r = size_t(right) * c + ch;
            int sum = up[l] + up[m] + up[r] + mid[l] + mid[m] + mid[r] + down[l] + down[m] + down[r];
            d[m] = sharpen(mid[m], sum);
          }
        }
      }
    });
    image.pixels = std::move(out);
    return 1;
  });
}

int cOpAdjustLevels(int session, int blackR, int middleR, int whiteR, int blackG, int middleG, int whiteG, int blackB,
                    int middleB, int whiteB) {
  return Guard("cOpAdjustLevels", [&] {
    Session* s = Find(session);
    if (!s || s->image.Empty()) return 0;
    int levels[3][3] = {{blackB, middleB, whiteB}, {blackG, middleG, whiteG}, {blackR, middleR, whiteR}};
    uint8_t table[3][256];
    for (int ch = 0; ch < 3; ++ch) {
      int black = std::clamp(levels[ch][0], 0, 254), white = std::clamp(levels[ch][2], black + 1, 255);
      int middle = std::clamp(levels[ch][1], black + 1, white - 1 > black ? white - 1 : black + 1);
      // The grey point maps to half level: output = t ^ gamma with t the black-to-white fraction.
      double mid = double(middle - black) / (white - black);
      double gamma = mid > 0 && mid < 1 ? std::log(0.5) / std::log(mid) : 1.0;
      for (int v = 0; v < 256; ++v) {
        double t = std::clamp(double(v - black) / (white - black), 0.0, 1.0);
        table[ch][v] = uint8_t(std::lround(255.0 * std::pow(t, gamma)));
      }
    }
    Image& image = s->image;
    size_t count = size_t(image.width) * image.height;
    uint8_t* p = image.pixels.data();
    if (image.channels == 1) {
      for (size_t i = 0; i < count; ++i) p[i] = table[1][p[i]];
      return 1;
    }
    for (size_t i = 0; i < count; ++i, p += 3) p[0] = table[0][p[0]], p[1] = table[1][p[1]], p[2] = table[2][p[2]];
    return 1;
  });
}
