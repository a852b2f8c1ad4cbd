// Graphics on Qt: drawing on a DC goes through the DC's own painter (so GDI and GDI+ calls
// mix in order); drawing on an image paints its active frame for the length of one call.
#include "platform/gdiplus/graphics.h"

#include <QPainter>

#include "platform/gdi/dc_p.h"
#include "platform/gdi/gdi_p.h"
#include "platform/gdiplus/gdiplus_p.h"

namespace gdiplus_p {

struct GraphicsData {
  HDC hdc = nullptr;              // drawing on a DC ...
  ImageData* image = nullptr;     // ... or on an image, which outlives the Graphics
  HDC imageDc = nullptr;          // handed out by GetHDC on the image
  Gdiplus::Unit pageUnit = Gdiplus::UnitDisplay;
  Gdiplus::REAL pageScale = 1;
  Gdiplus::InterpolationMode interpolation = Gdiplus::InterpolationModeBilinear;
  Gdiplus::SmoothingMode smoothing = Gdiplus::SmoothingModeNone;
  Gdiplus::CompositingMode compositing = Gdiplus::CompositingModeSourceOver;
  Gdiplus::CompositingQuality quality = Gdiplus::CompositingQualityDefault;
  Gdiplus::PixelOffsetMode pixelOffset = Gdiplus::PixelOffsetModeDefault;
};

namespace {

using namespace Gdiplus;

// Device pixels per page unit; displays and images are 96 dots per inch.
qreal UnitFactor(Unit unit, qreal dpi) {
  switch (unit) {
    case UnitPoint: return dpi / 72.0;
    case UnitInch: return dpi;
    case UnitDocument: return dpi / 300.0;
    case UnitMillimeter: return dpi / 25.4;
    default: return 1.0;
  }
}

void Setup(const GraphicsData& g, QPainter& painter, qreal dpi, bool pageTransform) {
  if (pageTransform) {
    qreal f = UnitFactor(g.pageUnit, dpi) * g.pageScale;
    painter.setWorldTransform(QTransform::fromScale(f, f), true);
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform, g.interpolation != InterpolationModeNearestNeighbor);
  painter.setRenderHint(QPainter::Antialiasing,
                        g.smoothing == SmoothingModeAntiAlias || g.smoothing == SmoothingModeHighQuality);
  painter.setCompositionMode(g.compositing == CompositingModeSourceCopy ? QPainter::CompositionMode_Source
                                                                        : QPainter::CompositionMode_SourceOver);
}

// Runs `draw` with a painter on the target, set up for this Graphics.
template <typename F>
Status Paint(GraphicsData& g, bool pageTransform, F&& draw) {
  if (g.imageDc) return ObjectBusy;
  if (g.hdc) {
    gdi_p::DC* dc = gdi_p::DcFromHandle(g.hdc);
    if (!dc) return InvalidParameter;
    QPainter* painter = gdi_p::Painter(*dc);
    if (!painter) return GenericError;
    painter->save();
    Setup(g, *painter, dc->dpiX, pageTransform);
    draw(*painter);
    painter->restore();
    return Ok;
  }
  QImage* frame = g.image ? g.image->Frame() : nullptr;
  if (!frame || frame->format() == QImage::Format_Indexed8) return InvalidParameter;
  if (g.image->lock) return ObjectBusy;
  QPainter painter;
  if (!painter.begin(frame)) return GenericError;
  Setup(g, painter, 96, pageTransform);
  draw(painter);
  painter.end();
  return Ok;
}

}  // namespace
}  // namespace gdiplus_p

using namespace gdiplus_p;

namespace Gdiplus {

Graphics::Graphics(HDC hdc) : nativeGraphics(nullptr), lastResult(Ok) {
  nativeGraphics = new (std::nothrow) GraphicsData;
  if (!nativeGraphics) {
    SetStatus(OutOfMemory);
    return;
  }
  if (!gdi_p::DcFromHandle(hdc)) SetStatus(InvalidParameter);
  nativeGraphics->hdc = hdc;
}

Graphics::Graphics(Image* image) : nativeGraphics(nullptr), lastResult(Ok) {
  nativeGraphics = new (std::nothrow) GraphicsData;
  if (!nativeGraphics) {
    SetStatus(OutOfMemory);
    return;
  }
  QImage* frame = image && image->nativeImage ? image->nativeImage->Frame() : nullptr;
  // Qt, like the platform it stands in for, cannot draw on palette images.
  if (!frame || frame->format() == QImage::Format_Indexed8) {
    SetStatus(InvalidParameter);
    return;
  }
  nativeGraphics->image = image->nativeImage;
}

Graphics::~Graphics() {
  if (nativeGraphics && nativeGraphics->imageDc) ReleaseHDC(nativeGraphics->imageDc);
  delete nativeGraphics;
}

Graphics* Graphics::FromHDC(HDC hdc) { return new (std::nothrow) Graphics(hdc); }
Graphics* Graphics::FromImage(Image* image) { return new (std::nothrow) Graphics(image); }

Status Graphics::DrawImage(Image* image, INT x, INT y) {
  return DrawImage(image, REAL(x), REAL(y));
}

Status Graphics::DrawImage(Image* image, REAL x, REAL y) {
  QImage* source = image && image->nativeImage ? image->nativeImage->Frame() : nullptr;
  if (!source) return SetStatus(InvalidParameter);
  return DrawImage(image, RectF(x, y, REAL(source->width()), REAL(source->height())));
}

Status Graphics::DrawImage(Image* image, INT x, INT y, INT width, INT height) {
  return DrawImage(image, RectF(REAL(x), REAL(y), REAL(width), REAL(height)));
}

Status Graphics::DrawImage(Image* image, const Rect& destRect) {
  return DrawImage(image, destRect.X, destRect.Y, destRect.Width, destRect.Height);
}

Status Graphics::DrawImage(Image* image, REAL x, REAL y, REAL width, REAL height) {
  return DrawImage(image, RectF(x, y, width, height));
}

Status Graphics::DrawImage(Image* image, const RectF& destRect) {
  QImage* source = image && image->nativeImage ? image->nativeImage->Frame() : nullptr;
  if (!nativeGraphics || !source) return SetStatus(InvalidParameter);
  QImage pixels = *source;  // a shared copy: drawing an image onto itself reads the old pixels
  return SetStatus(Guard([&] {
    return Paint(*nativeGraphics, true, [&](QPainter& painter) {
      painter.drawImage(QRectF(destRect.X, destRect.Y, destRect.Width, destRect.Height), pixels);
    });
  }));
}

Status Graphics::DrawImage(Image* image, const Rect& destRect, INT srcx, INT srcy, INT srcwidth, INT srcheight,
                           Unit srcUnit) {
  QImage* source = image && image->nativeImage ? image->nativeImage->Frame() : nullptr;
  if (!nativeGraphics || !source || srcUnit != UnitPixel || srcwidth <= 0 || srcheight <= 0)
    return SetStatus(InvalidParameter);
  QImage pixels = *source;
  return SetStatus(Guard([&] {
    return Paint(*nativeGraphics, true, [&](QPainter& painter) {
      painter.drawImage(QRectF(destRect.X, destRect.Y, destRect.Width, destRect.Height), pixels,
                        QRectF(srcx, srcy, srcwidth, srcheight));
    });
  }));
}

Status Graphics::FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height) {
  if (!nativeGraphics || !brush || width < 0 || height < 0) return SetStatus(InvalidParameter);
  QColor color = QColor::fromRgba(brush->fillColor);
  return SetStatus(Guard([&] {
    return Paint(*nativeGraphics, true, [&](QPainter& painter) { painter.fillRect(QRectF(x, y, width, height), color); });
  }));
}

Status Graphics::FillRectangle(const Brush* brush, const Rect& rect) {
  return FillRectangle(brush, rect.X, rect.Y, rect.Width, rect.Height);
}

Status Graphics::Clear(const Color& color) {
  if (!nativeGraphics) return SetStatus(InvalidParameter);
  QColor fill = QColor::fromRgba(color.GetValue());
  return SetStatus(Guard([&] {
    return Paint(*nativeGraphics, false, [&](QPainter& painter) {
      painter.setWorldTransform(QTransform());
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      painter.fillRect(QRect(0, 0, painter.device()->width(), painter.device()->height()), fill);
    });
  }));
}

Status Graphics::SetPageUnit(Unit unit) {
  if (!nativeGraphics || unit < UnitDisplay || unit > UnitMillimeter) return SetStatus(InvalidParameter);
  nativeGraphics->pageUnit = unit;
  return Ok;
}

Unit Graphics::GetPageUnit() const { return nativeGraphics ? nativeGraphics->pageUnit : UnitDisplay; }

Status Graphics::SetPageScale(REAL scale) {
  if (!nativeGraphics || !(scale > 0) || scale > 1e9f) return SetStatus(InvalidParameter);
  nativeGraphics->pageScale = scale;
  return Ok;
}

REAL Graphics::GetPageScale() const { return nativeGraphics ? nativeGraphics->pageScale : 1; }

Status Graphics::SetInterpolationMode(InterpolationMode mode) {
  if (!nativeGraphics || mode < InterpolationModeDefault || mode > InterpolationModeHighQualityBicubic)
    return SetStatus(InvalidParameter);
  // Default and low quality are bilinear, high quality bicubic: Qt scales smoothly for all.
  nativeGraphics->interpolation = mode == InterpolationModeDefault || mode == InterpolationModeLowQuality
                                      ? InterpolationModeBilinear
                                      : mode == InterpolationModeHighQuality ? InterpolationModeHighQualityBicubic
                                                                             : mode;
  return Ok;
}

InterpolationMode Graphics::GetInterpolationMode() const {
  return nativeGraphics ? nativeGraphics->interpolation : InterpolationModeInvalid;
}

Status Graphics::SetSmoothingMode(SmoothingMode mode) {
  if (!nativeGraphics || mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias) return SetStatus(InvalidParameter);
  nativeGraphics->smoothing = mode == SmoothingModeDefault || mode == SmoothingModeHighSpeed ? SmoothingModeNone : mode;
  return Ok;
}

SmoothingMode Graphics::GetSmoothingMode() const {
  return nativeGraphics ? nativeGraphics->smoothing : SmoothingModeInvalid;
}

Status Graphics::SetCompositingMode(CompositingMode mode) {
  if (!nativeGraphics || (mode != CompositingModeSourceOver && mode != CompositingModeSourceCopy))
    return SetStatus(InvalidParameter);
  nativeGraphics->compositing = mode;
  return Ok;
}

CompositingMode Graphics::GetCompositingMode() const {
  return nativeGraphics ? nativeGraphics->compositing : CompositingModeSourceOver;
}

Status Graphics::SetCompositingQuality(CompositingQuality quality) {
  if (!nativeGraphics || quality < CompositingQualityDefault || quality > CompositingQualityAssumeLinear)
    return SetStatus(InvalidParameter);
  nativeGraphics->quality = quality;  // Qt blends one way; kept for the caller to read back
  return Ok;
}

CompositingQuality Graphics::GetCompositingQuality() const {
  return nativeGraphics ? nativeGraphics->quality : CompositingQualityInvalid;
}

Status Graphics::SetPixelOffsetMode(PixelOffsetMode mode) {
  if (!nativeGraphics || mode < PixelOffsetModeDefault || mode > PixelOffsetModeHalf) return SetStatus(InvalidParameter);
  nativeGraphics->pixelOffset = mode;  // Qt samples pixel centres in every mode
  return Ok;
}

PixelOffsetMode Graphics::GetPixelOffsetMode() const {
  return nativeGraphics ? nativeGraphics->pixelOffset : PixelOffsetModeInvalid;
}

HDC Graphics::GetHDC() {
  if (!nativeGraphics) return SetStatus(InvalidParameter), nullptr;
  GraphicsData& g = *nativeGraphics;
  if (g.hdc) return g.hdc;
  if (g.imageDc) return SetStatus(ObjectBusy), nullptr;
  QImage* frame = g.image ? g.image->Frame() : nullptr;
  if (!frame || frame->format() == QImage::Format_Indexed8) return SetStatus(InvalidParameter), nullptr;
  if (g.image->lock) return SetStatus(ObjectBusy), nullptr;
  uchar* bits = frame->bits();
  HDC dc = bits ? gdi_p::CreatePixelRowsDC(bits, frame->width(), frame->height(), int(frame->bytesPerLine()),
                                           frame->depth())
                : nullptr;
  if (!dc) return SetStatus(OutOfMemory), nullptr;
  g.imageDc = dc;
  ++g.image->hdcCount;
  return dc;
}

void Graphics::ReleaseHDC(HDC hdc) {
  if (!nativeGraphics || !hdc || hdc != nativeGraphics->imageDc) return;
  gdi_p::DestroyDC(hdc);
  nativeGraphics->imageDc = nullptr;
  --nativeGraphics->image->hdcCount;
}

Status Graphics::GetLastStatus() const {
  Status status = lastResult;
  lastResult = Ok;
  return status;
}

Status Graphics::SetStatus(Status status) const {
  if (status != Ok) lastResult = status;
  return status;
}

}  // namespace Gdiplus
