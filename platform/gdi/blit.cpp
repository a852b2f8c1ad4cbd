// BitBlt, StretchBlt and StretchDIBits. Sources are copied before drawing, so a DC may
// copy onto itself; a negative width or height on either side mirrors the image.
#if defined(__x86_64__)
#include <emmintrin.h>
#endif

#include <cstring>

#include "platform/gdi/blit.h"
#include "platform/gdi/gdi_p.h"
#include "platform/win32/error.h"

using namespace gdi_p;

namespace {

struct Span {
  int origin, size;
  bool flipped;
};

// A signed extent as a start and a positive size, noting whether it was reversed.
Span Normalise(int origin, int size) {
  if (size < 0) return Span{origin + size + 1, -size, true};
  return Span{origin, size, false};
}

bool SourceOp(DWORD rop, QPainter::CompositionMode& mode) {
  switch (rop) {
    case SRCCOPY:
      mode = QPainter::CompositionMode_Source;
      return true;
    case SRCPAINT:
      mode = QPainter::RasterOp_SourceOrDestination;
      return true;
    case SRCAND:
      mode = QPainter::RasterOp_SourceAndDestination;
      return true;
    case SRCINVERT:
      mode = QPainter::RasterOp_SourceXorDestination;
      return true;
    case NOTSRCCOPY:
      mode = QPainter::RasterOp_NotSource;
      return true;
    default:
      return false;
  }
}

// Raster ops that ignore the source.
bool FillOp(DC& dc, QPainter& p, DWORD rop, const QRect& target) {
  switch (rop) {
    case BLACKNESS:
      p.fillRect(target, Qt::black);
      return true;
    case WHITENESS:
      p.fillRect(target, Qt::white);
      return true;
    case PATCOPY:
      p.fillRect(target, ToQBrush(*dc.brush));
      return true;
    case DSTINVERT:
      if (!dc.image) return false;
      p.setCompositionMode(QPainter::RasterOp_NotDestination);
      p.fillRect(target, Qt::black);
      return true;
    default:
      return false;
  }
}

// A copy enlarged a whole number of times (a live picture shown at 2x) written pixel for pixel
// into the surface: the painter's general scaling costs several times as much. False when the
// case is not that plain (clipped, transformed, off the surface, another format); the painter
// draws it then.
bool CopyEnlarged(DC& dc, QPainter& p, const QImage& source, const Span& x, const Span& y) {
  if (!dc.image || p.hasClipping() || p.transform().type() > QTransform::TxTranslate) return false;
  QImage& target = *dc.image;
  const QImage::Format format = target.format();
  if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
       format != QImage::Format_ARGB32_Premultiplied) ||
      source.format() != QImage::Format_RGB32 || source.isNull() || !target.isDetached())
    return false;
  const int w = source.width(), h = source.height();
  if (x.size % w != 0 || y.size % h != 0) return false;
  const int kx = x.size / w, ky = y.size / h;
  if (kx < 2 || ky < 2) return false;
  const qreal shiftX = p.transform().dx(), shiftY = p.transform().dy();
  if (shiftX != qRound(shiftX) || shiftY != qRound(shiftY)) return false;
  const int left = x.origin + qRound(shiftX), top = y.origin + qRound(shiftY);
  if (left < 0 || top < 0 || left + x.size > target.width() || top + y.size > target.height()) return false;
  for (int row = 0; row < h; ++row) {
    const auto* from = reinterpret_cast<const quint32*>(source.constScanLine(row));
    auto* first = reinterpret_cast<quint32*>(target.scanLine(top + row * ky)) + left;
    if (kx == 2 && ky == 2) {
      // The common live-view case: both rows at once, two pixels a store, past the cache (the
      // surface is far larger than it and is read next by the window's repaint anyway).
      auto* second = reinterpret_cast<quint32*>(target.scanLine(top + row * ky + 1)) + left;
      for (int i = 0; i < w; ++i) {
        const quint64 pixel = from[i] | 0xFF000000u;
        const quint64 pair = pixel | pixel << 32;
#if defined(__x86_64__)
        _mm_stream_si64(reinterpret_cast<long long*>(first + 2 * i), static_cast<long long>(pair));
        _mm_stream_si64(reinterpret_cast<long long*>(second + 2 * i), static_cast<long long>(pair));
#else
        std::memcpy(first + 2 * i, &pair, sizeof pair);
        std::memcpy(second + 2 * i, &pair, sizeof pair);
#endif
      }
      continue;
    }
    for (int i = 0; i < w; ++i) {
      const quint32 pixel = from[i] | 0xFF000000u;
      for (int k = 0; k < kx; ++k) first[i * kx + k] = pixel;
    }
    for (int k = 1; k < ky; ++k)
      std::memcpy(reinterpret_cast<quint32*>(target.scanLine(top + row * ky + k)) + left, first,
                  size_t(x.size) * sizeof(quint32));
  }
#if defined(__x86_64__)
  _mm_sfence();  // the streamed rows are seen by the window's repaint on another thread
#endif
  return true;
}

// Draws `source` (already cut to the source rectangle) into the destination span.
bool DrawSource(DC& dc, QImage source, const Span& x, const Span& y, bool flipX, bool flipY, DWORD rop) {
  QPainter::CompositionMode mode;
  if (!SourceOp(rop, mode)) return false;
  QPainter* p = Painter(dc);
  if (!p) return false;
  if (!flipX && !flipY && rop == SRCCOPY && CopyEnlarged(dc, *p, source, x, y)) return true;
  if (flipX || flipY) source = source.mirrored(flipX, flipY);
  // Raster operations exist only on pixel devices; elsewhere the source is simply painted.
  if (dc.image) p->setCompositionMode(mode);
  p->setRenderHint(QPainter::SmoothPixmapTransform, dc.stretchMode == HALFTONE);
  p->drawImage(QRectF(x.origin, y.origin, x.size, y.size), source);
  return true;
}

}  // namespace

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, int sWidth, int sHeight,
                DWORD rop) {
  DC* dc = DcFromHandle(dest);
  if (!dc) return FALSE;
  const Span dx = Normalise(x, width), dy = Normalise(y, height);
  if (dx.size == 0 || dy.size == 0) return TRUE;
  QPainter::CompositionMode unused;
  if (!SourceOp(rop, unused)) {
    QPainter* p = Painter(*dc);
    return p && FillOp(*dc, *p, rop, QRect(dx.origin, dy.origin, dx.size, dy.size));
  }
  DC* src = DcFromHandle(source);
  if (!src) return FALSE;
  const Span sxs = Normalise(sx, sWidth), sys = Normalise(sy, sHeight);
  if (sxs.size == 0 || sys.size == 0) return TRUE;
  const QRect part(sxs.origin, sys.origin, sxs.size, sys.size);
  const bool flipX = dx.flipped != sxs.flipped, flipY = dy.flipped != sys.flipped;
  // An unscaled, unmirrored copy from another surface is drawn straight from the source's
  // pixels: a full-screen picture then costs one copy, not two.
  if (src != dc && src->device != dc->device && src->image && !src->image->isNull() &&
      !(src->bitmap && src->bitmap->bottomUp) && !flipX && !flipY && dx.size == sxs.size && dy.size == sys.size &&
      src->image->rect().contains(part)) {
    QPainter::CompositionMode mode;
    if (!SourceOp(rop, mode)) return FALSE;
    QPainter* p = Painter(*dc);
    if (!p) return FALSE;
    if (dc->image) p->setCompositionMode(mode);
    p->drawImage(QPoint(dx.origin, dy.origin), *src->image, part);
    return TRUE;
  }
  QImage image = ReadableImage(*src, part);
  if (image.isNull()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return DrawSource(*dc, image, dx, dy, flipX, flipY, rop);
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop) {
  return StretchBlt(dest, x, y, width, height, source, sx, sy, width, height, rop);
}

int StretchDIBits(HDC handle, int x, int y, int width, int height, int sx, int sy, int sWidth, int sHeight,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  DC* dc = DcFromHandle(handle);
  if (!dc) return 0;
  if (!bits || !info || usage != DIB_RGB_COLORS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const long long w = h.biWidth;
  const long long rows = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
  const int bpp = h.biBitCount;
  const long long stride = (w * bpp + 31) / 32 * 4;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || w <= 0 || rows <= 0 || w > 0x10000 || rows > 0x10000 ||
      h.biPlanes != 1 || (bpp != 8 && bpp != 24 && bpp != 32) || h.biCompression != BI_RGB ||
      (h.biSizeImage != 0 && h.biSizeImage < stride * rows)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const bool bottomUp = h.biHeight > 0;
  const QImage::Format format =
      bpp == 8 ? QImage::Format_Indexed8 : bpp == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32;
  // A view of the rows in memory order; bottom-up DIBs are upside down in it.
  QImage memory(static_cast<const uchar*>(bits), int(w), int(rows), qsizetype(stride), format);
  if (bpp == 8) {
    const DWORD colours = h.biClrUsed == 0 || h.biClrUsed > 256 ? 256 : h.biClrUsed;
    QList<QRgb> table;
    for (DWORD i = 0; i < colours; ++i)
      table.append(qRgb(info->bmiColors[i].rgbRed, info->bmiColors[i].rgbGreen, info->bmiColors[i].rgbBlue));
    while (table.size() < 256) table.append(qRgb(0, 0, 0));
    memory.setColorTable(table);
  }

  const Span dx = Normalise(x, width), dy = Normalise(y, height);
  const Span sxs = Normalise(sx, sWidth), sys = Normalise(sy, sHeight);
  if (dx.size == 0 || dy.size == 0 || sxs.size == 0 || sys.size == 0) return 0;
  // For a bottom-up DIB, sy counts from the bottom row, which is also where its memory starts.
  const QRect part(sxs.origin, sys.origin, sxs.size, sys.size);
  const QRect valid = part.intersected(memory.rect());
  if (valid.isEmpty()) return 0;
  const bool flipX = dx.flipped != sxs.flipped, flipY = (dy.flipped != sys.flipped) != bottomUp;
  // The whole DIB converts straight from the caller's rows, without a copy first.
  QImage source = (part == memory.rect() ? memory : memory.copy(part)).convertToFormat(QImage::Format_RGB32);
  if (!DrawSource(*dc, source, dx, dy, flipX, flipY, rop)) return 0;
  return valid.height();
}
