// GetDeviceCaps: screen-like DCs report 96 dpi and the primary screen's size; printers and
// other devices report what their creator stored in the DC.
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_p.h"

using namespace gdi_p;

namespace {

QSize ScreenSize() {
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    if (QScreen* screen = app->primaryScreen()) return screen->size();
  return QSize(1920, 1080);
}

int Millimetres(int pixels, int dpi) { return dpi > 0 ? static_cast<int>(std::lround(pixels * 25.4 / dpi)) : 0; }

}  // namespace

int GetDeviceCaps(HDC handle, int index) {
  DC* dc = DcFromHandle(handle);
  if (!dc) return 0;
  const bool printer = dc->kind == DcKind::Printer;
  // A memory DC describes the screen it is compatible with, not its selected bitmap.
  QSize size = dc->kind == DcKind::Memory ? ScreenSize() : SurfaceSize(*dc);
  if (printer) size = QSize(dc->horzRes, dc->vertRes);
  switch (index) {
    case DRIVERVERSION:
      return 0x4000;
    case TECHNOLOGY:
      return dc->technology;
    case HORZRES:
      return size.width();
    case VERTRES:
      return size.height();
    case HORZSIZE:
      return Millimetres(size.width(), dc->dpiX);
    case VERTSIZE:
      return Millimetres(size.height(), dc->dpiY);
    case BITSPIXEL:
      return dc->bitsPixel;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return -1;
    case RASTERCAPS:
      return RC_BITBLT | RC_STRETCHBLT | RC_STRETCHDIB | RC_DIBTODEV;
    case LOGPIXELSX:
      return dc->dpiX;
    case LOGPIXELSY:
      return dc->dpiY;
    case PHYSICALWIDTH:
      return printer ? dc->physWidth : 0;
    case PHYSICALHEIGHT:
      return printer ? dc->physHeight : 0;
    case PHYSICALOFFSETX:
      return printer ? dc->offsetX : 0;
    case PHYSICALOFFSETY:
      return printer ? dc->offsetY : 0;
    default:
      return 0;
  }
}
