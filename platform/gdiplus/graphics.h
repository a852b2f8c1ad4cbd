// GDI+ drawing: a Graphics on a device context (window, memory bitmap) or on an image, with
// source-over compositing, page units and scale, and the quality settings of scaling.
#pragma once

#include "platform/gdiplus/image.h"
#include "platform/gdiplus/types.h"

namespace gdiplus_p {
struct GraphicsData;
}

namespace Gdiplus {

class Brush {
 public:
  virtual ~Brush() = default;

 protected:
  explicit Brush(ARGB color) : fillColor(color) {}
  ARGB fillColor;

  friend class Graphics;
};

class SolidBrush : public Brush {
 public:
  explicit SolidBrush(const Color& color) : Brush(color.GetValue()) {}
  Status GetColor(Color* out) const {
    if (!out) return InvalidParameter;
    *out = Color(fillColor);
    return Ok;
  }
  Status SetColor(const Color& color) {
    fillColor = color.GetValue();
    return Ok;
  }
};

class Graphics {
 public:
  /// Draws on the DC's current surface, mixed with the DC's own drawing in call order.
  explicit Graphics(HDC hdc);
  /// Draws on the active frame of the image; InvalidParameter for indexed images.
  explicit Graphics(Image* image);
  ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  /// A new Graphics; the caller owns it. Never null: check GetLastStatus().
  static Graphics* FromHDC(HDC hdc);
  static Graphics* FromImage(Image* image);

  /// At the image's own pixel size.
  Status DrawImage(Image* image, INT x, INT y);
  Status DrawImage(Image* image, REAL x, REAL y);
  /// Scaled into the destination rectangle (page units).
  Status DrawImage(Image* image, INT x, INT y, INT width, INT height);
  Status DrawImage(Image* image, const Rect& destRect);
  Status DrawImage(Image* image, REAL x, REAL y, REAL width, REAL height);
  Status DrawImage(Image* image, const RectF& destRect);
  /// Part of the image (source in pixels: UnitPixel only) scaled into the destination.
  Status DrawImage(Image* image, const Rect& destRect, INT srcx, INT srcy, INT srcwidth, INT srcheight,
                   Unit srcUnit);

  Status FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height);
  Status FillRectangle(const Brush* brush, const Rect& rect);
  /// Fills the whole surface with the colour (alpha included), ignoring the page transform.
  Status Clear(const Color& color);

  Status SetPageUnit(Unit unit);
  Unit GetPageUnit() const;
  /// Page units are multiplied by the scale: 0.5 draws at half size.
  Status SetPageScale(REAL scale);
  REAL GetPageScale() const;

  Status SetInterpolationMode(InterpolationMode mode);
  InterpolationMode GetInterpolationMode() const;
  Status SetSmoothingMode(SmoothingMode mode);
  SmoothingMode GetSmoothingMode() const;
  Status SetCompositingMode(CompositingMode mode);
  CompositingMode GetCompositingMode() const;
  Status SetCompositingQuality(CompositingQuality quality);
  CompositingQuality GetCompositingQuality() const;
  Status SetPixelOffsetMode(PixelOffsetMode mode);
  PixelOffsetMode GetPixelOffsetMode() const;

  /// A GDI DC on the same pixels (24- and 32-bit images, or the DC itself); release it with
  /// ReleaseHDC before drawing through the Graphics again. NULL on failure.
  HDC GetHDC();
  void ReleaseHDC(HDC hdc);

  /// The result of the last call, which is then reset to Ok.
  Status GetLastStatus() const;

 private:
  Status SetStatus(Status status) const;

  gdiplus_p::GraphicsData* nativeGraphics;
  mutable Status lastResult;
};

}  // namespace Gdiplus
