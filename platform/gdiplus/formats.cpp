// Pixel formats and their Qt storage: 24-bit frames are B,G,R bytes and 32-bit ones B,G,R,A,
// so locked rows can point straight into the QImage.
#include "platform/gdiplus/gdiplus_p.h"

namespace gdiplus_p {

using namespace Gdiplus;

QImage::Format QtFormat(PixelFormat format) {
  switch (format) {
    case PixelFormat8bppIndexed: return QImage::Format_Indexed8;
    case PixelFormat24bppRGB: return QImage::Format_BGR888;
    case PixelFormat32bppRGB: return QImage::Format_RGB32;
    case PixelFormat32bppARGB: return QImage::Format_ARGB32;
    case PixelFormat32bppPARGB: return QImage::Format_ARGB32_Premultiplied;
    default: return QImage::Format_Invalid;
  }
}

PixelFormat GdiplusFormat(const QImage& image) {
  switch (image.format()) {
    case QImage::Format_Indexed8: return PixelFormat8bppIndexed;
    case QImage::Format_BGR888: return PixelFormat24bppRGB;
    case QImage::Format_RGB32: return PixelFormat32bppRGB;
    case QImage::Format_ARGB32: return PixelFormat32bppARGB;
    case QImage::Format_ARGB32_Premultiplied: return PixelFormat32bppPARGB;
    default: return PixelFormatUndefined;
  }
}

QImage ToStorageFormat(const QImage& image) {
  if (image.isNull()) return image;
  switch (image.format()) {
    case QImage::Format_Indexed8:
    case QImage::Format_BGR888:
    case QImage::Format_ARGB32:
      return image;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
      return image.convertToFormat(QImage::Format_Indexed8);
    default:
      // Decoded files are 24-bit unless they carry alpha.
      return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_BGR888);
  }
}

QList<QRgb> HalftonePalette() {
  QList<QRgb> palette;
  palette.reserve(256);
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) palette.append(qRgb(r * 51, g * 51, b * 51));
  for (int i = 0; palette.size() < 256; ++i) {
    int level = 8 + i * 6;  // greys between the cube's own
    palette.append(qRgb(level, level, level));
  }
  return palette;
}

QImage ConvertTo(const QImage& image, QImage::Format format) {
  if (image.format() == format) return image;
  if (format == QImage::Format_Indexed8) {
    QList<QRgb> table = image.colorTable();
    if (table.isEmpty()) return image.convertToFormat(format);
    return image.convertToFormat(format, table);
  }
  return image.convertToFormat(format);
}

}  // namespace gdiplus_p
