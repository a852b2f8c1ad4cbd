// Screen state of windows: visibility, enabling, geometry, z-order, focus, capture, repaint.
#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "platform/user/message.h"
#include "platform/user/window.h"
#include "platform/user/station_p.h"
#include "platform/user/window_p.h"
#include "platform/win32/error.h"

using namespace user_p;

namespace {

// Runs `call` with the window's widget on the UI thread; FALSE without a widget.
template <typename Call>
BOOL WithWidget(HWND hWnd, Call call) {
  BOOL result = FALSE;
  bool ran = RunOnOwnerThread(hWnd, [&] {
    if (QWidget* widget = WidgetOf(hWnd)) result = call(widget);
  });
  return ran ? result : FALSE;
}

// A hidden widget hears of its new size only when shown; a window hears at once.
void SizeChanged(HWND hWnd, QWidget* widget) {
  if (widget->isVisible() || !widget->testAttribute(Qt::WA_PendingResizeEvent)) return;
  widget->setAttribute(Qt::WA_PendingResizeEvent, false);
  CallProc(hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(widget->width(), widget->height()));
}

// The frame the window system puts around a window with these flags. A native window
// learns its frame only once it exists, so a throwaway one answers for a window not yet made.
QMargins NormalFrameMargins(QWidget* widget) {
  QWindow probe;
  probe.setFlags(widget->windowFlags());
  probe.create();
  return probe.frameMargins();
}

QMargins FrameMargins(QWidget* widget) {
  if (QWindow* window = widget->windowHandle(); window && window->handle()) return window->frameMargins();
  return NormalFrameMargins(widget);
}

// Without a window manager nothing resizes a window asked to maximise, so a frameless
// popup takes the screen's free area itself first (a window manager may still adjust it).
void ShowMaximized(QWidget* widget) {
  if (widget->isWindow() && (widget->windowFlags() & Qt::FramelessWindowHint)) {
    QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    if (screen) widget->setGeometry(screen->availableGeometry());
  }
  widget->showMaximized();
}

bool CanStack() { return QGuiApplication::platformName() != "offscreen"; }

// Owned windows stay above their owner. The window system knows only transient hints, which
// a display without a window manager ignores, so the stacking is done here.
void RaiseOwnedWindows(QWidget* owner) {
  if (!owner || !CanStack()) return;
  for (QObject* child : owner->children()) {
    auto* owned = qobject_cast<QWidget*>(child);
    if (!owned || !owned->isWindow() || !owned->isVisible()) continue;
    owned->raise();
    RaiseOwnedWindows(owned);
  }
}

// An owner raised by someone else (a click, the window manager, another program) is exposed
// where its owned windows covered it: they go back on top then.
class OwnedWindowsAbove : public QObject {
 public:
  explicit OwnedWindowsAbove(QWidget* owner) : QObject(owner), m_owner(owner) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && !m_pending) {
      m_pending = true;
      // After the expose is handled: raising inside it would stack against a stale order.
      QMetaObject::invokeMethod(
          this,
          [this] {
            m_pending = false;
            RaiseOwnedWindows(m_owner);
          },
          Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QPointer<QWidget> m_owner;
  bool m_pending = false;
};

// A window with an owner shows: the owner starts watching for being raised over it.
void WatchOwner(QWidget* owned) {
  if (!owned->isWindow() || !CanStack()) return;
  QWidget* owner = owned->parentWidget();
  if (!owner) return;
  owner = owner->window();
  QWindow* handle = owner->windowHandle();
  if (!handle || handle->property("tavorin_owned_above").toBool()) return;
  handle->setProperty("tavorin_owned_above", true);
  handle->installEventFilter(new OwnedWindowsAbove(owner));
}

// A top-level window was shown or raised: above its owner, and its own owned windows above it.
void Stacked(QWidget* widget) {
  if (!widget->isWindow()) return;
  WatchOwner(widget);
  RaiseOwnedWindows(widget);
}

}  // namespace

void user_p::PlaceTopLevel(QWidget* widget, const QRect& outer, bool move) {
  QMargins frame = FrameMargins(widget);
  QSize inner(std::max(0, outer.width() - frame.left() - frame.right()),
              std::max(0, outer.height() - frame.top() - frame.bottom()));
  if (widget->testAttribute(Qt::WA_WState_Created)) {
    widget->setGeometry(QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), inner));
  } else {
    // Until the native window exists Qt takes a position as the frame's.
    if (move) widget->move(outer.topLeft());
    widget->resize(inner);
  }
}

QRect user_p::OuterRect(QWidget* widget) {
  QMargins frame = FrameMargins(widget);
  QRect inner = widget->geometry();
  if (!widget->testAttribute(Qt::WA_WState_Created)) return QRect(inner.topLeft(), inner.size().grownBy(frame));
  return inner.marginsAdded(frame);
}

BOOL ShowWindow(HWND hWnd, int command) {
  return WithWidget(hWnd, [&](QWidget* widget) -> BOOL {
    BOOL wasVisible = widget->isVisible() ? TRUE : FALSE;
    switch (command) {
      case SW_HIDE: widget->hide(); break;
      case SW_SHOWMAXIMIZED: ShowMaximized(widget); break;
      case SW_MINIMIZE:
      case SW_SHOWMINIMIZED: widget->showMinimized(); break;
      case SW_RESTORE: widget->showNormal(); break;
      default: widget->show(); break;
    }
    // The window's own WS_VISIBLE bit follows, whatever its parent shows.
    if (std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd)) {
      if (command == SW_HIDE)
        record->style &= ~static_cast<DWORD>(WS_VISIBLE);
      else
        record->style |= WS_VISIBLE;
    }
    bool activates = command != SW_HIDE && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE;
    if (activates && widget->isWindow()) {
      // The offscreen platform (tests) has no stacking to change, only activation.
      if (CanStack()) widget->raise();
      widget->activateWindow();
    }
    if (command != SW_HIDE && widget->isVisible()) Stacked(widget);
    return wasVisible;
  });
}

BOOL IsWindowVisible(HWND hWnd) {
  return WithWidget(hWnd, [](QWidget* widget) -> BOOL { return widget->isVisible() ? TRUE : FALSE; });
}

BOOL EnableWindow(HWND hWnd, BOOL enable) {
  return WithWidget(hWnd, [&](QWidget* widget) -> BOOL {
    BOOL wasDisabled = widget->isEnabled() ? FALSE : TRUE;
    widget->setEnabled(enable != FALSE);
    return wasDisabled;
  });
}

BOOL IsWindowEnabled(HWND hWnd) {
  return WithWidget(hWnd, [](QWidget* widget) -> BOOL { return widget->isEnabled() ? TRUE : FALSE; });
}

BOOL IsIconic(HWND hWnd) {
  return WithWidget(hWnd, [](QWidget* widget) -> BOOL { return widget->isMinimized() ? TRUE : FALSE; });
}

BOOL IsZoomed(HWND hWnd) {
  return WithWidget(hWnd, [](QWidget* widget) -> BOOL { return widget->isMaximized() ? TRUE : FALSE; });
}

BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint) {
  return WithWidget(hWnd, [&](QWidget* widget) -> BOOL {
    if (widget->isWindow()) PlaceTopLevel(widget, QRect(x, y, width, height));
    else widget->setGeometry(x, y, std::max(0, width), std::max(0, height));
    SizeChanged(hWnd, widget);
    if (repaint) widget->update();
    return TRUE;
  });
}

BOOL SetWindowPos(HWND hWnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  if (!FindWindowRecord(hWnd)) return SetForeignWindowZOrder(hWnd, insertAfter, flags) ? TRUE : FALSE;
  return WithWidget(hWnd, [&](QWidget* widget) -> BOOL {
    if (!(flags & SWP_NOZORDER) && widget->isWindow()) {
      if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        if (std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd)) {
          if (insertAfter == HWND_TOPMOST) record->exStyle |= WS_EX_TOPMOST;
          else record->exStyle &= ~WS_EX_TOPMOST;
        }
        Qt::WindowFlags wanted = widget->windowFlags();
        wanted.setFlag(Qt::WindowStaysOnTopHint, insertAfter == HWND_TOPMOST);
        if (wanted != widget->windowFlags()) {
          if (widget->isVisible() && widget->windowHandle()) {
            // Told to the window system in place: hiding and showing the window again, as
            // setWindowFlags does, would move the activation to it.
            widget->overrideWindowFlags(wanted);
            widget->windowHandle()->setFlags(wanted);
          } else {
            widget->setWindowFlags(wanted);
          }
        }
      }
      if (insertAfter == HWND_BOTTOM) widget->lower(); else widget->raise();
      if (insertAfter != HWND_BOTTOM) RaiseOwnedWindows(widget);
    }
    if (widget->isWindow() && (flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) {
      QRect outer = OuterRect(widget);
      if (!(flags & SWP_NOMOVE)) outer.moveTopLeft(QPoint(x, y));
      if (!(flags & SWP_NOSIZE)) outer.setSize(QSize(cx, cy));
      PlaceTopLevel(widget, outer);
      if (!(flags & SWP_NOSIZE)) SizeChanged(hWnd, widget);
    } else if (!widget->isWindow()) {
      if (!(flags & SWP_NOMOVE)) widget->move(x, y);
      if (!(flags & SWP_NOSIZE)) {
        widget->resize(std::max(0, cx), std::max(0, cy));
        SizeChanged(hWnd, widget);
      }
    }
    if (flags & SWP_SHOWWINDOW) {
      widget->show();
      Stacked(widget);
    }
    if (flags & SWP_HIDEWINDOW) widget->hide();
    return TRUE;
  });
}

BOOL GetWindowRect(HWND hWnd, LPRECT rect) {
  if (!rect) return FALSE;
  return WithWidget(hWnd, [&](QWidget* widget) -> BOOL {
    QRect frame = widget->isWindow() ? OuterRect(widget) : widget->geometry();
    QPoint topLeft = widget->isWindow() ? frame.topLeft() : widget->parentWidget()->mapToGlobal(frame.topLeft());
    *rect = {topLeft.x(), topLeft.y(), topLeft.x() + frame.width(), topLeft.y() + frame.height()};
    return TRUE;
  });
}

BOOL GetWindowPlacement(HWND hWnd, LPWINDOWPLACEMENT placement) {
  if (!placement) return FALSE;
  return WithWidget(hWnd, [&](QWidget* widget) -> BOOL {
    if (!widget->isWindow()) return FALSE;
    QRect normal = widget->normalGeometry();
    if (widget->isMaximized() && normal.isValid()) {
      normal = normal.marginsAdded(NormalFrameMargins(widget));  // a maximized window may lose its frame
    } else {
      normal = OuterRect(widget);
    }
    placement->flags = 0;
    placement->showCmd = widget->isMinimized() ? SW_SHOWMINIMIZED
                         : widget->isMaximized() ? SW_SHOWMAXIMIZED
                                                 : SW_SHOWNORMAL;
    placement->ptMinPosition = {-1, -1};
    placement->ptMaxPosition = {-1, -1};
    placement->rcNormalPosition = {normal.left(), normal.top(), normal.left() + normal.width(),
                                   normal.top() + normal.height()};
    return TRUE;
  });
}

BOOL SetWindowPlacement(HWND hWnd, const WINDOWPLACEMENT* placement) {
  if (!placement) return FALSE;
  return WithWidget(hWnd, [&](QWidget* widget) -> BOOL {
    if (!widget->isWindow()) return FALSE;
    // The restored rectangle is placed in the normal state, then the asked state is shown.
    if (widget->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) {
      widget->setWindowState(Qt::WindowNoState);
    }
    // Qt keeps a not-yet-made window's position as the frame's only until it is shown normally.
    widget->winId();
    const RECT& r = placement->rcNormalPosition;
    PlaceTopLevel(widget, QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
    SizeChanged(hWnd, widget);
    switch (placement->showCmd) {
      case SW_HIDE: widget->hide(); break;
      case SW_SHOWMAXIMIZED: ShowMaximized(widget); break;
      case SW_SHOWMINIMIZED:
      case SW_MINIMIZE: widget->showMinimized(); break;
      default: widget->showNormal(); break;
    }
    return TRUE;
  });
}

BOOL GetClientRect(HWND hWnd, LPRECT rect) {
  if (!rect) return FALSE;
  return WithWidget(hWnd, [&](QWidget* widget) -> BOOL {
    int width = widget->width(), height = widget->height();
    ScrollBarClientInset(widget, width, height);
    *rect = {0, 0, width, height};
    return TRUE;
  });
}

BOOL ScreenToClient(HWND hWnd, LPPOINT point) {
  if (!point) return FALSE;
  return WithWidget(hWnd, [&](QWidget* widget) -> BOOL {
    QPoint local = widget->mapFromGlobal(QPoint(point->x, point->y));
    *point = {local.x(), local.y()};
    return TRUE;
  });
}

BOOL ClientToScreen(HWND hWnd, LPPOINT point) {
  if (!point) return FALSE;
  return WithWidget(hWnd, [&](QWidget* widget) -> BOOL {
    QPoint global = widget->mapToGlobal(QPoint(point->x, point->y));
    *point = {global.x(), global.y()};
    return TRUE;
  });
}

HWND SetFocus(HWND hWnd) {
  HWND previous = GetFocus();
  WithWidget(hWnd, [](QWidget* widget) -> BOOL {
    widget->setFocus(Qt::OtherFocusReason);
    return TRUE;
  });
  return previous;
}

HWND GetFocus() {
  if (!IsUiThread()) return nullptr;
  QWidget* focus = QApplication::focusWidget();
  if (!focus) {
    // Until the window system has activated the window, its own focus child is the focus.
    QWidget* window = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    if (window) focus = window->focusWidget();
  }
  HWND result = nullptr;
  for (QWidget* widget = focus; widget && !result; widget = widget->parentWidget()) result = HwndOf(widget);
  return result;
}

HWND SetCapture(HWND hWnd) {
  HWND previous = GetCapture();
  WithWidget(hWnd, [](QWidget* widget) -> BOOL {
    widget->grabMouse();
    return TRUE;
  });
  return previous;
}

BOOL ReleaseCapture() {
  if (!IsUiThread()) return FALSE;
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  return TRUE;
}

HWND GetCapture() { return IsUiThread() ? HwndOf(QWidget::mouseGrabber()) : nullptr; }

BOOL SetForegroundWindow(HWND hWnd) {
  return WithWidget(hWnd, [](QWidget* widget) -> BOOL {
    widget->window()->raise();
    RaiseOwnedWindows(widget->window());
    widget->window()->activateWindow();
    return TRUE;
  });
}

HWND GetForegroundWindow() { return IsUiThread() ? HwndOf(QApplication::activeWindow()) : nullptr; }

HWND GetDesktopWindow() { return nullptr; }

BOOL InvalidateRect(HWND hWnd, LPCRECT rect, BOOL /*erase*/) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  if (!record || !record->widget) return record ? TRUE : FALSE;
  QRect area = rect ? QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1)) : QRect();
  // A colour-keyed window is shaped to its last picture, and the toolkit paints only inside
  // the shape: the shape first takes in the area, so new pixels there are painted and the
  // paint cuts the shape to them again.
  bool keyed = (record->exStyle & 0x00080000u) != 0;  // WS_EX_LAYERED
  // update() may come from any thread through the UI thread's queue.
  QMetaObject::invokeMethod(
      record->widget.data(),
      [widget = record->widget, area, keyed] {
        if (!widget) return;
        if (keyed && !widget->mask().isEmpty()) {
          QRegion grown = widget->mask().united(area.isNull() ? widget->rect() : area);
          if (grown != widget->mask()) widget->setMask(grown);
        }
        if (area.isNull()) widget->update(); else widget->update(area);
      },
      Qt::AutoConnection);
  return TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
  return WithWidget(hWnd, [](QWidget* widget) -> BOOL {
    widget->repaint();
    return TRUE;
  });
}
