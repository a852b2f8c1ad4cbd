// Lines and shapes with the selected pen and brush. Outlines cover the pixels from left/top
// to right-1/bottom-1, as on the platform.
#include <QPainterPath>
#include <QPolygonF>

#include "platform/gdi/draw.h"
#include "platform/gdi/gdi_p.h"

using namespace gdi_p;

namespace {

QRectF ShapeRect(int left, int top, int right, int bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  return QRectF(left, top, right - left - 1, bottom - top - 1);
}

bool HasPen(const DC& dc) { return (dc.pen->style & PS_STYLE_MASK) != PS_NULL; }

// A shape with a null pen loses its last row and column, like the platform's.
template <typename Draw>
BOOL DrawShape(HDC handle, Draw draw) {
  DC* dc = DcFromHandle(handle);
  if (!dc) return FALSE;
  QPainter* p = Painter(*dc);
  if (!p) return FALSE;
  if (!ApplyPenAndBrush(*dc, *p)) return TRUE;
  draw(*p, HasPen(*dc));
  return TRUE;
}

}  // namespace

BOOL MoveToEx(HDC handle, int x, int y, LPPOINT previous) {
  DC* dc = DcFromHandle(handle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->position;
  dc->position = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC handle, int x, int y) {
  DC* dc = DcFromHandle(handle);
  if (!dc) return FALSE;
  const POINT from = dc->position;
  dc->position = POINT{x, y};
  QPainter* p = Painter(*dc);
  if (!p) return FALSE;
  if (!ApplyPenAndBrush(*dc, *p, true, false)) return TRUE;
  // Qt's thin aliased lines already leave out the end point, as the platform's do.
  p->drawLine(QPoint(from.x, from.y), QPoint(x, y));
  return TRUE;
}

BOOL Polyline(HDC handle, const POINT* points, int count) {
  if (!points || count < 2) return FALSE;
  DC* dc = DcFromHandle(handle);
  if (!dc) return FALSE;
  const POINT saved = dc->position;
  MoveToEx(handle, points[0].x, points[0].y, nullptr);
  BOOL ok = TRUE;
  for (int i = 1; i < count && ok; ++i) ok = LineTo(handle, points[i].x, points[i].y);
  dc->position = saved;  // Polyline leaves the current position alone
  return ok;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  return DrawShape(dc, [&](QPainter& p, bool pen) {
    const QRectF r = ShapeRect(left, top, right, bottom);
    if (pen) {
      p.drawRect(r);
    } else {
      p.setPen(Qt::NoPen);
      p.drawRect(QRectF(r.left(), r.top(), r.width(), r.height()));
    }
  });
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  return DrawShape(dc, [&](QPainter& p, bool) {
    p.drawRoundedRect(ShapeRect(left, top, right, bottom), std::abs(ellipseWidth) / 2.0, std::abs(ellipseHeight) / 2.0);
  });
}

BOOL Polygon(HDC dc, const POINT* points, int count) {
  if (!points || count < 2) return FALSE;
  return DrawShape(dc, [&](QPainter& p, bool) {
    QPolygonF shape;
    for (int i = 0; i < count; ++i) shape << QPointF(points[i].x + 0.5, points[i].y + 0.5);
    p.drawPolygon(shape);
  });
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
  return DrawShape(dc, [&](QPainter& p, bool) { p.drawEllipse(ShapeRect(left, top, right, bottom)); });
}

int FillRect(HDC handle, const RECT* rect, HBRUSH hbrush) {
  DC* dc = DcFromHandle(handle);
  Brush* brush = BrushFromHandle(hbrush);
  if (!dc || !brush || !rect) return 0;
  QPainter* p = Painter(*dc);
  if (!p) return 0;
  if (rect->right > rect->left && rect->bottom > rect->top)
    p->fillRect(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top), ToQBrush(*brush));
  return 1;
}

int FrameRect(HDC handle, const RECT* rect, HBRUSH hbrush) {
  DC* dc = DcFromHandle(handle);
  Brush* brush = BrushFromHandle(hbrush);
  if (!dc || !brush || !rect) return 0;
  QPainter* p = Painter(*dc);
  if (!p) return 0;
  const int w = rect->right - rect->left, h = rect->bottom - rect->top;
  if (w <= 0 || h <= 0) return 1;
  const QBrush b = ToQBrush(*brush);
  p->fillRect(QRect(rect->left, rect->top, w, 1), b);
  p->fillRect(QRect(rect->left, rect->bottom - 1, w, 1), b);
  p->fillRect(QRect(rect->left, rect->top, 1, h), b);
  p->fillRect(QRect(rect->right - 1, rect->top, 1, h), b);
  return 1;
}

COLORREF GetPixel(HDC handle, int x, int y) {
  DC* dc = DcFromHandle(handle);
  if (!dc) return CLR_INVALID;
  const QSize size = SurfaceSize(*dc);
  if (x < 0 || y < 0 || x >= size.width() || y >= size.height()) return CLR_INVALID;
  QImage pixel = ReadableImage(*dc, QRect(x, y, 1, 1));
  if (pixel.isNull()) return CLR_INVALID;
  return FromQColor(pixel.pixelColor(0, 0));
}

COLORREF SetPixel(HDC handle, int x, int y, COLORREF color) {
  DC* dc = DcFromHandle(handle);
  if (!dc) return CLR_INVALID;
  QPainter* p = Painter(*dc);
  if (!p) return CLR_INVALID;
  p->fillRect(QRect(x, y, 1, 1), ToQColor(color));
  return color & 0x00FFFFFFu;
}
