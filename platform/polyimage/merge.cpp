// Drawing one image over another through the source's alpha mask and an overall opacity.
#include "platform/polyimage/parallel.h"
#include "platform/polyimage/polyimage_pvt.h"

namespace pip {
namespace {

inline uint8_t Blend(int over, int under, int a) { return uint8_t((over * a + under * (255 - a) + 127) / 255); }

}  // namespace
}  // namespace pip

using namespace pip;

int cMergeImage(int dest, int source, int x, int y, int opacity, int) {
  return Guard("cMergeImage", [&] {
    Session* d = Find(dest);
    Session* s = Find(source);
    if (!d || !s || d == s || d->image.Empty() || s->image.Empty()) return 0;
    opacity = std::clamp(opacity, 0, 255);
    Image& dst = d->image;
    const Image& src = s->image;
    if (src.channels == 3 && !ToColour(dst)) return 0;
    int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
    int64_t x1 = std::min<int64_t>(int64_t(x) + src.width, dst.width);
    int64_t y1 = std::min<int64_t>(int64_t(y) + src.height, dst.height);
    if (x1 <= x0 || y1 <= y0) return 1;  // lands outside: nothing to draw
    const int sc = src.channels, dc = dst.channels;
    const uint8_t* mask = src.alpha.empty() ? nullptr : src.alpha.data();
    ParallelRows(int(y1 - y0), 64, [&](int begin, int end) {
      for (int row = begin; row < end; ++row) {
        int ty = int(y0) + row, sy = ty - y;
        const uint8_t* sp = src.Row(sy) + size_t(x0 - x) * sc;
        const uint8_t* mp = mask ? mask + size_t(sy) * src.width + size_t(x0 - x) : nullptr;
        uint8_t* dp = dst.Row(ty) + size_t(x0) * dc;
        for (int64_t tx = x0; tx < x1; ++tx, sp += sc, dp += dc) {
          int a = mp ? (*mp++ * opacity + 127) / 255 : opacity;
          if (a == 0) continue;
          for (int ch = 0; ch < dc; ++ch) dp[ch] = a == 255 ? sp[sc == 1 ? 0 : ch] : Blend(sp[sc == 1 ? 0 : ch], dp[ch], a);
        }
      }
    });
    return 1;
  });
}
