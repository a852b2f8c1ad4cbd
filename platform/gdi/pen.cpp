// Pens: cosmetic (CreatePen) and geometric (ExtCreatePen) ones, and how Qt strokes them.
#include "platform/gdi/gdi_p.h"
#include "platform/gdi/objects.h"
#include "platform/win32/error.h"

using namespace gdi_p;

namespace gdi_p {

QPen ToQPen(const Pen& pen) {
  const DWORD style = pen.style & PS_STYLE_MASK;
  if (style == PS_NULL) return QPen(Qt::NoPen);
  const int width = pen.width > 1 ? pen.width : 1;
  QPen q(ToQColor(pen.color));
  q.setWidth(width);
  if (pen.extended && (pen.style & PS_GEOMETRIC)) {
    switch (pen.style & PS_ENDCAP_MASK) {
      case PS_ENDCAP_FLAT:
        q.setCapStyle(Qt::FlatCap);
        break;
      case PS_ENDCAP_SQUARE:
        q.setCapStyle(Qt::SquareCap);
        break;
      default:
        q.setCapStyle(Qt::RoundCap);
    }
    switch (pen.style & PS_JOIN_MASK) {
      case PS_JOIN_BEVEL:
        q.setJoinStyle(Qt::BevelJoin);
        break;
      case PS_JOIN_MITER:
        q.setJoinStyle(Qt::MiterJoin);
        break;
      default:
        q.setJoinStyle(Qt::RoundJoin);
    }
  } else if (width > 1) {
    q.setCapStyle(Qt::RoundCap);
    q.setJoinStyle(Qt::RoundJoin);
  } else {
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
  }
  // Dash patterns are in pen widths; thin pens get the longer dashes of screen pens.
  const qreal unit = width > 1 ? 1.0 : 3.0;
  switch (style) {
    case PS_DASH:
      q.setDashPattern({6 * unit, 2 * unit});
      break;
    case PS_DOT:
      q.setDashPattern({1 * unit, 1 * unit});
      break;
    case PS_DASHDOT:
      q.setDashPattern({3 * unit, 2 * unit, 1 * unit, 2 * unit});
      break;
    case PS_DASHDOTDOT:
      q.setDashPattern({3 * unit, 1 * unit, 1 * unit, 1 * unit, 1 * unit, 1 * unit});
      break;
    default:
      break;
  }
  return q;
}

bool ApplyPenAndBrush(DC& dc, QPainter& painter, bool withPen, bool withBrush) {
  QPen pen = withPen ? ToQPen(*dc.pen) : QPen(Qt::NoPen);
  QBrush brush = withBrush ? ToQBrush(*dc.brush) : QBrush(Qt::NoBrush);
  switch (dc.rop2) {
    case R2_NOP:
      return false;
    case R2_BLACK:
    case R2_WHITE: {
      const QColor c = dc.rop2 == R2_BLACK ? Qt::black : Qt::white;
      if (pen.style() != Qt::NoPen) pen.setColor(c);
      if (brush.style() != Qt::NoBrush) brush.setColor(c);
      break;
    }
    case R2_NOT:
      if (dc.image) painter.setCompositionMode(QPainter::RasterOp_NotDestination);
      break;
    case R2_XORPEN:
      if (dc.image) painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      break;
    default:
      break;
  }
  painter.setPen(pen);
  painter.setBrush(brush);
  return true;
}

}  // namespace gdi_p

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* pen = new Pen;
  pen->style = static_cast<DWORD>(style);
  pen->width = width < 0 ? 0 : width;
  pen->color = color;
  RegisterHandle(pen);
  return reinterpret_cast<HPEN>(pen);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles) {
  const bool geometric = (style & PS_GEOMETRIC) != 0;
  if (!brush || styleCount != 0 || styles || (style & PS_STYLE_MASK) > PS_INSIDEFRAME ||
      (!geometric && width != 1) || width > 0xFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* pen = new Pen;
  pen->style = style;
  pen->width = static_cast<int>(width);
  pen->color = brush->lbStyle == BS_NULL ? 0 : brush->lbColor;
  if (brush->lbStyle == BS_NULL) pen->style = (style & ~PS_STYLE_MASK) | PS_NULL;
  pen->extended = true;
  RegisterHandle(pen);
  return reinterpret_cast<HPEN>(pen);
}
