// Bitmap: pixels made in memory or read from a file, single pixels, copies.
#include "platform/gdiplus/gdiplus_p.h"
#include "platform/gdiplus/image.h"

using namespace gdiplus_p;

namespace Gdiplus {

Bitmap::Bitmap(const WCHAR* filename, BOOL useEmbeddedColorManagement)
    : Image(filename, useEmbeddedColorManagement) {}

Bitmap::Bitmap(INT width, INT height, PixelFormat format) : Image() {
  if (!nativeImage) return;
  QImage::Format qtFormat = QtFormat(format);
  if (width <= 0 || height <= 0 || qtFormat == QImage::Format_Invalid) {
    SetStatus(InvalidParameter);
    return;
  }
  SetStatus(Guard([&] {
    QImage frame(width, height, qtFormat);
    if (frame.isNull()) return OutOfMemory;
    if (qtFormat == QImage::Format_Indexed8) frame.setColorTable(HalftonePalette());
    frame.fill(0);
    nativeImage->frames.push_back(std::move(frame));
    nativeImage->dimension = FrameDimensionPage;
    nativeImage->rawFormat = ImageFormatMemoryBMP;
    return Ok;
  }));
}

Bitmap* Bitmap::FromFile(const WCHAR* filename, BOOL useEmbeddedColorManagement) {
  try {
    return new Bitmap(filename, useEmbeddedColorManagement);
  } catch (...) {
    return nullptr;
  }
}

Bitmap* Bitmap::Clone(const Rect& rect, PixelFormat format) {
  return Clone(rect.X, rect.Y, rect.Width, rect.Height, format);
}

Bitmap* Bitmap::Clone(INT x, INT y, INT width, INT height, PixelFormat format) {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  QImage::Format qtFormat = QtFormat(format);
  if (!frame || qtFormat == QImage::Format_Invalid || x < 0 || y < 0 || width <= 0 || height <= 0 ||
      width > frame->width() - x || height > frame->height() - y) {
    SetStatus(InvalidParameter);
    return nullptr;
  }
  // Indexed frames keep their palette; other frames cannot become indexed without one.
  if (qtFormat == QImage::Format_Indexed8 && frame->format() != QImage::Format_Indexed8) {
    SetStatus(InvalidParameter);
    return nullptr;
  }
  Bitmap* copy = nullptr;
  SetStatus(Guard([&] {
    std::unique_ptr<Bitmap> result(new Bitmap());
    if (!result->nativeImage) return OutOfMemory;
    QImage part = ConvertTo(frame->copy(x, y, width, height), qtFormat);
    if (part.isNull()) return OutOfMemory;
    result->nativeImage->frames.push_back(std::move(part));
    result->nativeImage->dimension = FrameDimensionPage;
    result->nativeImage->rawFormat = ImageFormatMemoryBMP;
    result->nativeImage->properties = nativeImage->properties;
    copy = result.release();
    return Ok;
  }));
  return copy;
}

Image* Bitmap::Clone() {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  if (!frame) {
    SetStatus(InvalidParameter);
    return nullptr;
  }
  return Clone(0, 0, frame->width(), frame->height(), GdiplusFormat(*frame));
}

Status Bitmap::GetPixel(INT x, INT y, Color* color) {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  if (!frame || !color || x < 0 || y < 0 || x >= frame->width() || y >= frame->height())
    return SetStatus(InvalidParameter);
  if (frame->format() == QImage::Format_Indexed8) {
    int index = frame->constScanLine(y)[x];
    const QList<QRgb> table = frame->colorTable();
    *color = Color(index < table.size() ? ARGB(table[index]) : ARGB(0));
  } else {
    QRgb pixel = frame->pixel(x, y);
    if (frame->format() == QImage::Format_ARGB32_Premultiplied) pixel = qUnpremultiply(pixel);
    *color = Color(ARGB(pixel));
  }
  return SetStatus(Ok);
}

Status Bitmap::SetPixel(INT x, INT y, const Color& color) {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  if (!frame || x < 0 || y < 0 || x >= frame->width() || y >= frame->height() ||
      frame->format() == QImage::Format_Indexed8)
    return SetStatus(InvalidParameter);
  if (nativeImage->lock) return SetStatus(ObjectBusy);
  QRgb pixel = color.GetValue();
  if (frame->format() == QImage::Format_ARGB32_Premultiplied) pixel = qPremultiply(pixel);
  frame->setPixel(x, y, pixel);
  return SetStatus(Ok);
}

}  // namespace Gdiplus
