// Cropping to the operation rectangle, enlarging the canvas and copying rectangles between images.
#include "platform/polyimage/polyimage_pvt.h"

namespace pip {
namespace {

// Copies a w x h block (pixels and, when both have one, the mask) between images of equal depth.
void CopyBlock(const Image& src, int sx, int sy, Image& dst, int dx, int dy, int w, int h) {
  size_t bytes = size_t(w) * src.channels;
  for (int y = 0; y < h; ++y) {
    std::memcpy(dst.Row(dy + y) + size_t(dx) * dst.channels, src.Row(sy + y) + size_t(sx) * src.channels, bytes);
    if (!src.alpha.empty() && !dst.alpha.empty())
      std::memcpy(dst.alpha.data() + size_t(dy + y) * dst.width + dx, src.alpha.data() + size_t(sy + y) * src.width + sx,
                  size_t(w));
  }
}

}  // namespace
}  // namespace pip

using namespace pip;

int cSetOpRectangle(int session, int left, int top, int right, int bottom, int) {
  Session* s = Find(session);
  if (!s) return 0;
  s->opRect = RECT{left, top, right, bottom};
  return 1;
}

int cOpCrop(int session) {
  return Guard("cOpCrop", [&] {
    Session* s = Find(session);
    if (!s || s->image.Empty()) return 0;
    Image& image = s->image;
    // A rectangle that runs past the image is cut to it.
    int64_t left = std::max<int64_t>(s->opRect.left, 0), top = std::max<int64_t>(s->opRect.top, 0);
    int64_t right = std::min<int64_t>(s->opRect.right, image.width - 1);
    int64_t bottom = std::min<int64_t>(s->opRect.bottom, image.height - 1);
    if (right < left || bottom < top) {
      Fail("cOpCrop", "the rectangle misses the image");
      return 0;
    }
    Image out;
    if (!Allocate(out, int(right - left + 1), int(bottom - top + 1), image.channels)) return 0;
    if (!image.alpha.empty()) out.alpha = Bytes(size_t(out.width) * out.height);
    CopyBlock(image, int(left), int(top), out, 0, 0, out.width, out.height);
    out.format = image.format;
    out.xDpi = image.xDpi;
    out.yDpi = image.yDpi;
    image = std::move(out);
    return 1;
  });
}

int cEnlargeImage(int session, int width, int height, int, COLORREF colour) {
  return Guard("cEnlargeImage", [&] {
    Session* s = Find(session);
    if (!s || s->image.Empty()) return 0;
    Image& image = s->image;
    width = std::max(width, image.width);
    height = std::max(height, image.height);
    if (width == image.width && height == image.height) return 1;
    Image out;
    if (!Allocate(out, width, height, image.channels)) return 0;
    Fill(out, colour);
    if (!image.alpha.empty()) {
      out.alpha = Bytes(size_t(width) * height);
      std::memset(out.alpha.data(), 255, out.alpha.size());  // the new border is solid colour
    }
    CopyBlock(image, 0, 0, out, (width - image.width) / 2, (height - image.height) / 2, image.width, image.height);
    out.format = image.format;
    out.xDpi = image.xDpi;
    out.yDpi = image.yDpi;
    image = std::move(out);
    return 1;
  });
}

int cCopyRectFrom(int dest, int x, int y, int width, int height, int source, int sourceX, int sourceY) {
  return Guard("cCopyRectFrom", [&] {
    Session* d = Find(dest);
    Session* s = Find(source);
    if (!d || !s || d->image.Empty() || s->image.Empty() || width <= 0 || height <= 0) return 0;
    if (d == s) return 0;
    if (d->image.channels != s->image.channels && !ToColour(d->image)) return 0;
    Image grey;
    const Image* src = &s->image;
    if (src->channels != d->image.channels) {
      grey = src->Clone();
      if (!ToColour(grey)) return 0;
      src = &grey;
    }
    // Clip against both images.
    int64_t sx = sourceX, sy = sourceY, dx = x, dy = y, w = width, h = height;
    if (sx < 0) dx -= sx, w += sx, sx = 0;
    if (sy < 0) dy -= sy, h += sy, sy = 0;
    if (dx < 0) sx -= dx, w += dx, dx = 0;
    if (dy < 0) sy -= dy, h += dy, dy = 0;
    w = std::min({w, int64_t(src->width) - sx, int64_t(d->image.width) - dx});
    h = std::min({h, int64_t(src->height) - sy, int64_t(d->image.height) - dy});
    if (w <= 0 || h <= 0) return 1;  // nothing overlaps: nothing to do
    CopyBlock(*src, int(sx), int(sy), d->image, int(dx), int(dy), int(w), int(h));
    return 1;
  });
}
