// Solid brushes.
#include "platform/gdi/gdi_p.h"
#include "platform/gdi/objects.h"

using namespace gdi_p;

namespace gdi_p {

QBrush ToQBrush(const Brush& brush) {
  if (brush.style == BS_NULL) return QBrush(Qt::NoBrush);
  return QBrush(ToQColor(brush.color));
}

}  // namespace gdi_p

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* brush = new Brush;
  brush->color = color & 0x00FFFFFFu;
  RegisterHandle(brush);
  return reinterpret_cast<HBRUSH>(brush);
}
