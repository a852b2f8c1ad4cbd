#include "platform/user/paint.h"

#include <QGuiApplication>
#include <map>
#include <mutex>

#include "platform/gdi/dc_p.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/user/hwndwidget_p.h"
#include "platform/user/message.h"
#include "platform/user/paint_p.h"
#include "platform/user/window.h"
#include "platform/user/window_p.h"
#include "platform/win32/error.h"

using namespace user_p;

namespace {

struct OpenDc {
  HWND hwnd;
  QPointer<QWidget> widget;
  std::recursive_mutex* lock;
};
std::mutex g_dcMutex;
std::map<HDC, OpenDc> g_dcs;

HwndWidget* PaintableWidget(HWND hWnd) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  return record ? dynamic_cast<HwndWidget*>(record->widget.data()) : nullptr;
}

HDC OpenBufferDc(HWND hWnd) {
  HwndWidget* widget = PaintableWidget(hWnd);
  if (!widget) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  std::recursive_mutex& lock = widget->BufferMutex();
  lock.lock();
  widget->UseBuffer();
  HDC dc = gdi_p::CreatePaintDeviceDC(widget->Buffer());
  if (!dc) {
    lock.unlock();
    return nullptr;
  }
  std::lock_guard<std::mutex> guard(g_dcMutex);
  g_dcs[dc] = {hWnd, widget, &lock};
  return dc;
}

BOOL CloseBufferDc(HWND hWnd, HDC dc) {
  OpenDc open;
  {
    std::lock_guard<std::mutex> guard(g_dcMutex);
    auto it = g_dcs.find(dc);
    if (it == g_dcs.end() || it->second.hwnd != hWnd) return FALSE;
    open = it->second;
    g_dcs.erase(it);
  }
  gdi_p::DestroyDC(dc);
  open.lock->unlock();
  auto* widget = dynamic_cast<HwndWidget*>(open.widget.data());
  if (widget && !(IsUiThread() && widget->InPaint())) InvalidateRect(hWnd, nullptr, FALSE);
  return TRUE;
}

}  // namespace

namespace user_p {

LRESULT DefaultEraseBackground(HWND hWnd, HDC dc) {
  HwndWidget* widget = PaintableWidget(hWnd);
  if (!widget || !dc) return 0;
  QColor color = widget->palette().color(QPalette::Window);
  HBRUSH brush = CreateSolidBrush(RGB(color.red(), color.green(), color.blue()));
  RECT rect{0, 0, widget->width(), widget->height()};
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
  return 1;
}

LRESULT DefaultPaint(HWND) { return 0; }

}  // namespace user_p

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT paint) {
  if (!paint || !IsUiThread()) return nullptr;
  HDC dc = OpenBufferDc(hWnd);
  if (!dc) return nullptr;
  *paint = {};
  paint->hdc = dc;
  GetClientRect(hWnd, &paint->rcPaint);
  paint->fErase = SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* paint) {
  return paint && paint->hdc ? CloseBufferDc(hWnd, paint->hdc) : FALSE;
}

HDC GetDC(HWND hWnd) { return OpenBufferDc(hWnd); }

HDC GetWindowDC(HWND hWnd) { return OpenBufferDc(hWnd); }

int ReleaseDC(HWND hWnd, HDC dc) { return CloseBufferDc(hWnd, dc) ? 1 : 0; }

BOOL SetLayeredWindowAttributes(HWND hWnd, COLORREF colorKey, BYTE alpha, DWORD flags) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  if (!record || !(record->exStyle & 0x00080000u)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BOOL result = FALSE;
  RunOnOwnerThread(hWnd, [&] {
    HwndWidget* widget = PaintableWidget(hWnd);
    if (!widget) return;
    widget->SetColorKey((flags & LWA_COLORKEY) ? static_cast<long>(colorKey & 0xFFFFFF) : -1);
    // Wayland always composites; on X11 and offscreen we cannot count on it, so the window
    // is shaped to its pixels outside the key colour instead.
    bool compositing = QGuiApplication::platformName().startsWith("wayland");
    if ((flags & LWA_COLORKEY) && compositing) widget->setAttribute(Qt::WA_TranslucentBackground, true);
    widget->setWindowOpacity((flags & LWA_ALPHA) ? alpha / 255.0 : 1.0);
    widget->update();
    result = TRUE;
  });
  return result;
}
