// Regions and the DC's clip region.
#include "platform/gdi/gdi_p.h"
#include "platform/gdi/region.h"
#include "platform/win32/error.h"

using namespace gdi_p;

namespace {

QRect ToQRect(int left, int top, int right, int bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  return QRect(left, top, right - left, bottom - top);
}

int Complexity(const QRegion& region) {
  if (region.isEmpty()) return NULLREGION;
  return region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

HRGN NewRegion(const QRegion& shape) {
  auto* region = new Region;
  region->region = shape;
  RegisterHandle(region);
  return reinterpret_cast<HRGN>(region);
}

// The clip region a DC has now: its own, or the whole surface.
QRegion CurrentClip(const DC& dc) {
  if (dc.clip) return *dc.clip;
  const QSize size = SurfaceSize(dc);
  return QRegion(0, 0, size.width(), size.height());
}

int SetClip(DC& dc, const QRegion& clip) {
  dc.clip = clip;
  return Complexity(clip);
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) { return NewRegion(QRegion(ToQRect(left, top, right, bottom))); }

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) return nullptr;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  return NewRegion(QRegion(ToQRect(left, top, right, bottom), QRegion::Ellipse));
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  Region* d = RegionFromHandle(dest);
  Region* a = RegionFromHandle(src1);
  Region* b = mode == RGN_COPY ? a : RegionFromHandle(src2);
  if (!d || !a || !b) return ERROR;
  switch (mode) {
    case RGN_AND:
      d->region = a->region.intersected(b->region);
      break;
    case RGN_OR:
      d->region = a->region.united(b->region);
      break;
    case RGN_XOR:
      d->region = a->region.xored(b->region);
      break;
    case RGN_DIFF:
      d->region = a->region.subtracted(b->region);
      break;
    case RGN_COPY:
      d->region = a->region;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return ERROR;
  }
  return Complexity(d->region);
}

BOOL PtInRegion(HRGN handle, int x, int y) {
  Region* r = RegionFromHandle(handle);
  return r && r->region.contains(QPoint(x, y));
}

int GetRgnBox(HRGN handle, LPRECT rect) {
  Region* r = RegionFromHandle(handle);
  if (!r || !rect) return ERROR;
  const QRect box = r->region.boundingRect();
  *rect = RECT{box.left(), box.top(), box.left() + box.width(), box.top() + box.height()};
  return Complexity(r->region);
}

int SelectClipRgn(HDC handle, HRGN region) {
  DC* dc = DcFromHandle(handle);
  if (!dc) return ERROR;
  if (!region) {
    dc->clip.reset();
    return SIMPLEREGION;
  }
  Region* r = RegionFromHandle(region);
  if (!r) return ERROR;
  return SetClip(*dc, r->region);
}

int ExcludeClipRect(HDC handle, int left, int top, int right, int bottom) {
  DC* dc = DcFromHandle(handle);
  if (!dc) return ERROR;
  return SetClip(*dc, CurrentClip(*dc).subtracted(QRegion(ToQRect(left, top, right, bottom))));
}

int IntersectClipRect(HDC handle, int left, int top, int right, int bottom) {
  DC* dc = DcFromHandle(handle);
  if (!dc) return ERROR;
  return SetClip(*dc, CurrentClip(*dc).intersected(QRegion(ToQRect(left, top, right, bottom))));
}

int GetClipBox(HDC handle, LPRECT rect) {
  DC* dc = DcFromHandle(handle);
  if (!dc || !rect) return ERROR;
  const QRegion clip = CurrentClip(*dc);
  const QRect box = clip.boundingRect();
  *rect = RECT{box.left(), box.top(), box.left() + box.width(), box.top() + box.height()};
  return Complexity(clip);
}
