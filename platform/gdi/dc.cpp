// Device contexts on Qt paint devices: creation, the lazily started painter, drawing state.
#include <QGuiApplication>
#include <QPaintDevice>

#include "platform/gdi/dc.h"
#include "platform/gdi/dc_p.h"
#include "platform/gdi/gdi_p.h"
#include "platform/win32/error.h"

namespace gdi_p {

DC* DcFromHandle(HDC handle) {
  if (!IsLiveHandle(handle, HandleType::DC)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return reinterpret_cast<DC*>(handle);
}

DC* NewDC(DcKind kind) {
  auto* dc = new DC;
  dc->kind = kind;
  dc->pen = static_cast<Pen*>(StockObject(BLACK_PEN));
  dc->brush = static_cast<Brush*>(StockObject(WHITE_BRUSH));
  dc->font = static_cast<Font*>(StockObject(DEFAULT_GUI_FONT));
  ++dc->pen->selectedCount;
  ++dc->brush->selectedCount;
  ++dc->font->selectedCount;
  RegisterHandle(dc, HandleType::DC);
  return dc;
}

void FreeDC(DC* dc) {
  UnregisterHandle(dc);
  EndPainting(*dc);
  --dc->pen->selectedCount;
  --dc->brush->selectedCount;
  --dc->font->selectedCount;
  if (dc->bitmap) {
    if (dc->bitmap->selectedIn == dc) dc->bitmap->selectedIn = nullptr;
    --dc->bitmap->selectedCount;
  }
  dc->extension.reset();  // a print job may own the device; painting has ended above
  delete dc;
}

void SetDevice(DC& dc, QPaintDevice* device, QImage* image) {
  EndPainting(dc);
  dc.device = device;
  dc.image = image;
}

void EndPainting(DC& dc) {
  if (dc.painter.isActive()) dc.painter.end();
}

QPainter* Painter(DC& dc) {
  if (!dc.device) return nullptr;
  if (!dc.painter.isActive()) {
    // Qt cannot paint on palette or one-bit images.
    if (dc.image && (dc.image->isNull() || dc.image->depth() < 16)) return nullptr;
    if (!dc.painter.begin(dc.device)) return nullptr;
  }
  QPainter& p = dc.painter;
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setOpacity(1.0);
  p.setTransform(dc.base);
  if (dc.clip)
    p.setClipRegion(*dc.clip);
  else
    p.setClipping(false);
  return &p;
}

QSize SurfaceSize(const DC& dc) {
  if (dc.horzRes > 0 && dc.vertRes > 0) return QSize(dc.horzRes, dc.vertRes);
  if (!dc.device) return QSize(0, 0);
  return QSize(dc.device->width(), dc.device->height());
}

QImage ReadableImage(DC& dc, const QRect& rect) {
  if (!dc.image || dc.image->isNull()) return QImage();
  if (dc.bitmap && dc.bitmap->bottomUp) {
    const int h = dc.image->height();
    QRect memory(rect.x(), h - rect.y() - rect.height(), rect.width(), rect.height());
    return dc.image->copy(memory).mirrored(false, true);
  }
  return dc.image->copy(rect);
}

QColor ToQColor(COLORREF color) { return QColor(GetRValue(color), GetGValue(color), GetBValue(color)); }

COLORREF FromQColor(const QColor& color) { return RGB(color.red(), color.green(), color.blue()); }

HDC CreatePaintDeviceDC(QPaintDevice* device) {
  if (!device) return nullptr;
  DC* dc = NewDC(DcKind::Device);
  QImage* image = device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
  SetDevice(*dc, device, image);
  return reinterpret_cast<HDC>(dc);
}

HDC CreatePixelRowsDC(void* bits, int width, int height, int stride, int bitsPerPixel) {
  if (!bits || width <= 0 || height <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32) ||
      stride < width * (bitsPerPixel / 8)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DC* dc = NewDC(DcKind::PixelRows);
  dc->ownImage = std::make_unique<QImage>(static_cast<uchar*>(bits), width, height, stride,
                                          bitsPerPixel == 24 ? QImage::Format_BGR888 : QImage::Format_ARGB32);
  SetDevice(*dc, dc->ownImage.get(), dc->ownImage.get());
  return reinterpret_cast<HDC>(dc);
}

void DestroyDC(HDC handle) {
  if (DC* dc = DcFromHandle(handle)) FreeDC(dc);
}

}  // namespace gdi_p

using namespace gdi_p;

HDC CreateCompatibleDC(HDC other) {
  if (other && !DcFromHandle(other)) return nullptr;
  DC* dc = NewDC(DcKind::Memory);
  auto* bitmap = static_cast<Bitmap*>(StockObject(kStockBitmap));
  dc->bitmap = bitmap;
  ++bitmap->selectedCount;
  SetDevice(*dc, &bitmap->image, &bitmap->image);
  return reinterpret_cast<HDC>(dc);
}

BOOL DeleteDC(HDC handle) {
  DC* dc = DcFromHandle(handle);
  if (!dc) return FALSE;
  FreeDC(dc);
  return TRUE;
}

BOOL GdiFlush() { return TRUE; }

namespace {
template <typename T>
T Swap(HDC handle, T DC::*member, T value, T failure) {
  DC* dc = DcFromHandle(handle);
  if (!dc) return failure;
  T previous = dc->*member;
  dc->*member = value;
  return previous;
}
template <typename T>
T Get(HDC handle, T DC::*member, T failure) {
  DC* dc = DcFromHandle(handle);
  return dc ? dc->*member : failure;
}
}  // namespace

int SetROP2(HDC dc, int mode) { return Swap(dc, &DC::rop2, mode, 0); }
int GetROP2(HDC dc) { return Get(dc, &DC::rop2, 0); }
int SetBkMode(HDC dc, int mode) {
  return mode == OPAQUE || mode == TRANSPARENT ? Swap(dc, &DC::bkMode, mode, 0) : 0;
}
int GetBkMode(HDC dc) { return Get(dc, &DC::bkMode, 0); }
COLORREF SetBkColor(HDC dc, COLORREF color) { return Swap(dc, &DC::bkColor, color, CLR_INVALID); }
COLORREF GetBkColor(HDC dc) { return Get(dc, &DC::bkColor, CLR_INVALID); }
COLORREF SetTextColor(HDC dc, COLORREF color) { return Swap(dc, &DC::textColor, color, CLR_INVALID); }
COLORREF GetTextColor(HDC dc) { return Get(dc, &DC::textColor, CLR_INVALID); }
int SetStretchBltMode(HDC dc, int mode) {
  return mode >= BLACKONWHITE && mode <= HALFTONE ? Swap(dc, &DC::stretchMode, mode, 0) : 0;
}
int GetStretchBltMode(HDC dc) { return Get(dc, &DC::stretchMode, 0); }
