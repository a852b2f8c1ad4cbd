#include "printlayout/PhotoboothCustomLayoutBox.h"

#include <algorithm>
#include <cmath>

namespace {

const double kPi = 3.14159265358979323846;

int Trunc(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

int ClampToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, -2147483647LL - 1, 2147483647LL));
}

}  // namespace

LayoutEditBox StoredToEditBox(const PhotoboothCustomLayoutBox& stored, int photos) {
  LayoutEditBox edit;
  if (stored.image >= kQrCodeSelector)
    edit.image = photos + 1;
  else if (stored.image < 0 || stored.image > photos)
    edit.image = 0;
  else
    edit.image = stored.image;
  edit.rotation = stored.rotation / 10.0;
  edit.left = stored.left;
  edit.top = stored.top;
  edit.width = ClampToInt(std::max(0LL, static_cast<long long>(stored.right) - stored.left));
  edit.height = ClampToInt(std::max(0LL, static_cast<long long>(stored.bottom) - stored.top));
  if (edit.width > 0 && edit.height < 1)
    edit.height = ClampToInt((2LL * edit.width + 1) / 3);
  else if (edit.width <= 0 && edit.height > 0)
    edit.width = ClampToInt((3LL * edit.height + 1) / 2);
  return edit;
}

PhotoboothCustomLayoutBox EditToStoredBox(const LayoutEditBox& edit, int photos) {
  PhotoboothCustomLayoutBox stored;
  stored.image = edit.image <= photos ? edit.image : kQrCodeSelector;
  stored.rotation = StoredRotation(edit.rotation);
  stored.left = edit.left;
  stored.top = edit.top;
  stored.right = ClampToInt(static_cast<long long>(edit.left) + edit.width);
  stored.bottom = ClampToInt(static_cast<long long>(edit.top) + edit.height);
  return stored;
}

int StoredRotation(double degrees) {
  if (!std::isfinite(degrees)) return 0;
  // Any number of whole turns either way comes back into one turn first.
  double angle = std::fmod(degrees, 360.0);
  if (angle < 0) angle += 360.0;
  return Trunc(angle * 10.0 + 0.5) % 3600;
}

double NormaliseLayoutAngle(double degrees) {
  if (!std::isfinite(degrees)) return 0.0;
  return std::fmod(std::floor((degrees + 36000.0) * 2.0 + 0.5) * 0.5, 360.0);
}

LayoutBoxOutline OutlineFromCorners(const POINT corners[4]) {
  LayoutBoxOutline outline;
  for (int i = 0; i < 4; ++i) outline.corner[i] = corners[i];
  outline.corner[4] = corners[0];
  const POINT& p0 = corners[0];
  const POINT& p1 = corners[1];
  const POINT& p2 = corners[2];
  outline.centre = {ClampToInt((static_cast<long long>(p0.x) + p2.x) / 2),
                    ClampToInt((static_cast<long long>(p0.y) + p2.y) / 2)};
  const long long wx = static_cast<long long>(p1.x) - p0.x;
  const long long wy = static_cast<long long>(p1.y) - p0.y;
  outline.handle1 = {ClampToInt(outline.centre.x + wx * 20 / 200), ClampToInt(outline.centre.y + wy * 20 / 200)};
  outline.handle2 = {ClampToInt(outline.centre.x + wx * 80 / 200), ClampToInt(outline.centre.y + wy * 80 / 200)};
  return outline;
}

LayoutBoxOutline ComputeBoxOutline(int left, int top, int width, int height, double degrees) {
  const double a = degrees * kPi / 180.0;
  const double c = std::cos(a), s = std::sin(a);
  const long long wc = Trunc(width * c), ws = Trunc(width * s);
  const long long hc = Trunc(height * c), hs = Trunc(height * s);
  long long x[4] = {left, left + wc, left + wc - hs, left - hs};
  long long y[4] = {top, top + ws, top + ws + hc, top + hc};
  const long long dx = left - *std::min_element(x, x + 4);
  const long long dy = top - *std::min_element(y, y + 4);
  POINT corners[4];
  for (int i = 0; i < 4; ++i) corners[i] = {ClampToInt(x[i] + dx), ClampToInt(y[i] + dy)};
  return OutlineFromCorners(corners);
}

int PrinterToPreview(int value, int previewWidth, int pageWidth) {
  if (pageWidth == 0) return 0;
  const long long v = value, w = previewWidth, p = pageWidth;
  const long long scaled = v >= 0 ? (2 * v * w + p) / (2 * p) : (2 * v * w - p) / (2 * p);
  return ClampToInt(scaled);
}

LayoutBoxOutline OutlineToPreview(const LayoutBoxOutline& outline, int previewWidth, int pageWidth) {
  LayoutBoxOutline preview;
  auto convert = [&](const POINT& p) {
    return POINT{PrinterToPreview(p.x, previewWidth, pageWidth), PrinterToPreview(p.y, previewWidth, pageWidth)};
  };
  for (int i = 0; i < 5; ++i) preview.corner[i] = convert(outline.corner[i]);
  preview.centre = convert(outline.centre);
  preview.handle1 = convert(outline.handle1);
  preview.handle2 = convert(outline.handle2);
  return preview;
}

void ApplyDefaultBoxSize(LayoutEditBox& box, int photos, int pageWidth, int pageHeight, int aspectWidth,
                         int aspectHeight) {
  if (box.image <= 0 || (box.width > 10 && box.height > 10)) return;
  if (box.image > photos) {
    box.width = box.height = pageWidth / 4;
  } else {
    box.width = pageWidth / 3;
    box.height = aspectWidth ? ClampToInt(static_cast<long long>(box.width) * aspectHeight / aspectWidth) : 0;
  }
  box.rotation = 0.0;
  if (box.left <= 0 && box.top <= 0) {
    box.left = (pageWidth - box.width) / 2;
    box.top = (pageHeight - box.height) / 2;
  }
}
