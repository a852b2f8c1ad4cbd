// Drawing through the GDI layer: a DC on the image's own rows, and the image scaled into
// another DC (window, memory bitmap or printer) by our resampler, then blitted 1:1.
#include <cmath>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc_p.h"
#include "platform/polyimage/polyimage_pvt.h"

namespace pip {

void ReleaseSessionDC(Session& session) {
  if (session.dc) gdi_p::DestroyDC(session.dc);
  session.dc = nullptr;
}

namespace {

// Blits a top-down B,G,R image at x, y; DIB rows are padded to 4 bytes.
bool Blit(HDC dc, int x, int y, const Image& image) {
  size_t stride = (size_t(image.width) * 3 + 3) & ~size_t(3);
  const uint8_t* bits = image.pixels.data();
  Bytes padded;
  if (stride != image.Stride()) {
    padded = Bytes(stride * image.height);
    for (int row = 0; row < image.height; ++row) {
      std::memcpy(padded.data() + stride * row, image.Row(row), image.Stride());
      std::memset(padded.data() + stride * row + image.Stride(), 0, stride - image.Stride());
    }
    bits = padded.data();
  }
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return StretchDIBits(dc, x, y, image.width, image.height, 0, 0, image.width, image.height, bits, &info,
                       DIB_RGB_COLORS, SRCCOPY) > 0;
}

// Scales the source part (sx, sy, sw, sh) to dw x dh and draws it at x, y.
bool DrawPart(const Image& source, HDC dc, int sx, int sy, int sw, int sh, int x, int y, int dw, int dh, int quality) {
  if (sw <= 0 || sh <= 0 || !ValidSize(dw, dh)) return false;
  Image part;
  if (!Allocate(part, sw, sh, source.channels)) return false;
  for (int row = 0; row < sh; ++row)
    std::memcpy(part.Row(row), source.Row(sy + row) + size_t(sx) * source.channels, part.Stride());
  if (!ToColour(part)) return false;
  if (!ResizeImage(part, dw, dh, quality >= 6 ? PIP_RESAMPLE_HIGH : 1)) return false;
  return Blit(dc, x, y, part);
}

}  // namespace
}  // namespace pip

using namespace pip;

HDC cGetImageDC(int session) {
  HDC result = nullptr;
  Guard("cGetImageDC", [&] {
    Session* s = Find(session);
    if (!s || s->image.Empty() || s->dc || !ToColour(s->image)) return 0;
    s->dc = gdi_p::CreatePixelRowsDC(s->image.pixels.data(), s->image.width, s->image.height, int(s->image.Stride()), 24);
    result = s->dc;
    return result ? 1 : 0;
  });
  return result;
}

int cReleaseImageDC(int session, HDC dc) {
  Session* s = Find(session);
  if (!s || !dc || s->dc != dc) return 0;
  ReleaseSessionDC(*s);
  return 1;
}

int cDrawImage(int session, HDC dc, int left, int top, int right, int bottom, int, int, int, int quality) {
  return Guard("cDrawImage", [&] {
    Session* s = Find(session);
    if (!s || !dc || s->image.Empty() || s->dc) return 0;
    const Image& image = s->image;
    return DrawPart(image, dc, 0, 0, image.width, image.height, left, top, right - left + 1, bottom - top + 1, quality)
               ? 1
               : 0;
  });
}

int cDrawImageEx(int session, HDC dc, const RECT* box, int, BYTE, double zoom, double maxZoom, int quality, double, int,
                 int, int scrollX, int scrollY, int* drawnWidth, int* drawnHeight, double* zoomOut, int, int, int, int,
                 int) {
  return Guard("cDrawImageEx", [&] {
    if (drawnWidth) *drawnWidth = 0;
    if (drawnHeight) *drawnHeight = 0;
    Session* s = Find(session);
    if (!s || !dc || !box || s->image.Empty() || s->dc || !std::isfinite(zoom) || zoom <= 0) return 0;
    if (maxZoom > 0 && zoom > maxZoom) zoom = maxZoom;
    if (zoomOut) *zoomOut = zoom;
    const Image& image = s->image;
    int64_t boxWidth = int64_t(box->right) - box->left, boxHeight = int64_t(box->bottom) - box->top;
    if (boxWidth <= 0 || boxHeight <= 0) return 0;
    int sx = std::clamp(scrollX, 0, image.width - 1), sy = std::clamp(scrollY, 0, image.height - 1);
    // The source pixels that reach the box, and the device pixels they cover.
    int sw = int(std::min<double>(image.width - sx, std::ceil(boxWidth / zoom)));
    int sh = int(std::min<double>(image.height - sy, std::ceil(boxHeight / zoom)));
    int dw = int(std::clamp<int64_t>(std::llround(sw * zoom), 1, boxWidth));
    int dh = int(std::clamp<int64_t>(std::llround(sh * zoom), 1, boxHeight));
    if (!DrawPart(image, dc, sx, sy, std::max(sw, 1), std::max(sh, 1), box->left, box->top, dw, dh, quality)) return 0;
    if (drawnWidth) *drawnWidth = dw;
    if (drawnHeight) *drawnHeight = dh;
    return 1;
  });
}

int cPrintImage(int session, HDC dc, int x, int y, int width, int height, int, int, int, int) {
  return Guard("cPrintImage", [&] {
    Session* s = Find(session);
    if (!s || !dc || s->image.Empty() || s->dc) return 0;
    const Image& image = s->image;
    return DrawPart(image, dc, 0, 0, image.width, image.height, x, y, width, height, PIP_RESAMPLE_HIGH) ? 1 : 0;
  });
}
