#include "platform/user/hwndwidget_p.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QUrl>

#include "platform/user/dragdrop_p.h"
#include "platform/user/input.h"
#include "platform/user/message.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/window.h"
#include "platform/user/window_p.h"

namespace user_p {
namespace {

LPARAM PointParam(const QPointF& point) {
  return MAKELPARAM(static_cast<int>(point.x()), static_cast<int>(point.y()));
}

// Makes the key message's lParam: repeat count 1, scan code, context and previous-state bits.
LPARAM KeyParam(const QKeyEvent* event, bool up) {
  DWORD lParam = 1 | ((event->nativeScanCode() & 0xFF) << 16);
  if (event->modifiers() & Qt::AltModifier) lParam |= 1u << 29;
  if (event->isAutoRepeat() || up) lParam |= 1u << 30;
  if (up) lParam |= 1u << 31;
  return static_cast<LPARAM>(lParam);
}

// The modifier keys as this key event says they are: a release the program's windows never
// saw (the focus moved, or another program had it) must not leave one held.
void TakeModifiersOf(Qt::KeyboardModifiers mods, UINT vk, bool down) {
  const struct {
    UINT vk;
    Qt::KeyboardModifier modifier;
  } modifiers[] = {{VK_SHIFT, Qt::ShiftModifier}, {VK_CONTROL, Qt::ControlModifier}, {VK_MENU, Qt::AltModifier}};
  for (const auto& modifier : modifiers) {
    // The event of a modifier key itself may or may not list that key: its own press or release decides.
    if (modifier.vk == vk) SetKeyDown(vk, down);
    else if (down) SetKeyDown(modifier.vk, mods & modifier.modifier);
  }
}

class InputFilter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride) {
      m_last = nullptr;  // a new key press is on its way
      return false;
    }
    if (event->type() == QEvent::KeyRelease) {
      // Every release counts, whichever widget has the focus (a line edit's too).
      m_last = nullptr;
      auto* key = static_cast<QKeyEvent*>(event);
      UINT vk = VirtualKeyOf(key);
      if (vk && !key->isAutoRepeat()) {
        SetKeyDown(vk, false);
        TakeModifiersOf(key->modifiers(), vk, false);
      }
      return false;
    }
    if (event->type() == QEvent::MouseButtonPress && event->spontaneous()) {
      // A click says which modifiers are held too (Shift pressed while another program had the keys).
      TakeModifiersOf(static_cast<QMouseEvent*>(event)->modifiers(), 0, true);
      return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) {
      // A window hands a new key to its focus widget next.
      m_last = nullptr;
      return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    // A key the focus widget left travels up its parents with the same event: offer it once.
    // A later key may reuse the address, so the step must be to the parent with the same key.
    bool travelling = event == m_last && m_lastWidget && widget == m_lastWidget->parentWidget() &&
                      key->key() == m_lastKey && key->modifiers() == m_lastModifiers;
    m_last = event;
    m_lastWidget = widget;
    m_lastKey = key->key();
    m_lastModifiers = key->modifiers();
    if (travelling) return false;
    UINT vk = VirtualKeyOf(key);
    if (!vk) return false;
    TakeModifiersOf(key->modifiers(), vk, true);
    SetKeyDown(vk, true);
    // While a pop-up (a menu, a combo's list) or the menu bar has the keyboard, its keys are its
    // own: no window's accelerators see them.
    if (QApplication::activePopupWidget() || qobject_cast<QMenuBar*>(widget)) return false;
    HWND target = nullptr;
    // A message box answers its own keys (Return, Escape), not the window it is shown over.
    if (qobject_cast<QMessageBox*>(widget->window())) return false;
    for (QWidget* w = widget; w && !target; w = w->parentWidget()) target = HwndOf(w);
    if (!target) return false;
    MSG msg{target, static_cast<UINT>((key->modifiers() & Qt::AltModifier) ? WM_SYSKEYDOWN : WM_KEYDOWN), vk,
            KeyParam(key, false), 0, {0, 0}};
    return PreTranslateInput(&msg);
  }

 private:
  const QEvent* m_last = nullptr;
  QPointer<QWidget> m_lastWidget;
  int m_lastKey = 0;
  Qt::KeyboardModifiers m_lastModifiers;
};

// The top-level window that was active last, for WM_ACTIVATE's "other window".
QPointer<QWidget> g_lastActive;

// The program as a whole gaining or losing the focus to another program: WM_ACTIVATEAPP to
// every top-level window.
bool g_appActive = false;

void ApplicationStateChanged(Qt::ApplicationState state) {
  bool now = state == Qt::ApplicationActive;
  if (now == g_appActive) return;
  g_appActive = now;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* window = dynamic_cast<HwndWidget*>(widget);
    if (window && IsWindow(window->Hwnd())) CallProc(window->Hwnd(), WM_ACTIVATEAPP, now ? TRUE : FALSE, 0);
  }
}

}  // namespace

void EnsureInputFilter() {
  static InputFilter* filter = nullptr;
  if (!filter && qApp) {
    filter = new InputFilter;
    qApp->installEventFilter(filter);
    g_appActive = QGuiApplication::applicationState() == Qt::ApplicationActive;
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, filter, &ApplicationStateChanged);
  }
}

HwndWidget::HwndWidget(HWND hwnd, QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags), m_hwnd(hwnd) {
  setMouseTracking(true);
  setAttribute(Qt::WA_DeleteOnClose, false);
  EnsureInputFilter();
}

QImage* HwndWidget::Buffer() {
  QSize wanted = size().expandedTo(QSize(1, 1));
  if (m_buffer.size() != wanted) {
    QImage grown(wanted, QImage::Format_RGB32);
    grown.fill(palette().color(QPalette::Window));
    if (!m_buffer.isNull()) {
      QPainter painter(&grown);
      painter.drawImage(0, 0, m_buffer);
    }
    m_buffer.swap(grown);
  }
  return &m_buffer;
}

LRESULT HwndWidget::Input(UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{m_hwnd, message, wParam, lParam, 0, {0, 0}};
  if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN && PreTranslateInput(&msg)) return 0;
  return CallProc(m_hwnd, message, wParam, lParam);
}

bool HwndWidget::event(QEvent* event) {
  if (event->type() == QEvent::Hide && !isVisible()) CallProc(m_hwnd, WM_SHOWWINDOW, FALSE, 0);
  if (event->type() == QEvent::ActivationChange && isWindow()) ActivationChanged();
  return QWidget::event(event);
}

// WM_ACTIVATE to a top-level window whose activation changed: lParam names the window on the
// other side of the change when it is one of the program's.
void HwndWidget::ActivationChanged() {
  bool active = isActiveWindow();
  if (active == m_active) return;
  m_active = active;
  HWND other = nullptr;
  if (active) {
    if (g_lastActive && g_lastActive != this) other = HwndOf(g_lastActive);
    g_lastActive = this;
  } else if (QWidget* now = QApplication::activeWindow()) {
    other = HwndOf(now);
  }
  CallProc(m_hwnd, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, reinterpret_cast<LPARAM>(other));
}

void HwndWidget::paintEvent(QPaintEvent*) {
  HWND hwnd = m_hwnd;
  m_inPaint = true;
  CallProc(hwnd, WM_PAINT, 0, 0);
  m_inPaint = false;
  if (!m_bufferInUse) return;
  std::lock_guard<std::recursive_mutex> lock(m_bufferMutex);
  QPainter painter(this);
  if (m_colorKey >= 0 && testAttribute(Qt::WA_TranslucentBackground)) {
    // See-through where the key colour is (COLORREF is 0x00BBGGRR).
    QRgb key = qRgb(m_colorKey & 0xFF, (m_colorKey >> 8) & 0xFF, (m_colorKey >> 16) & 0xFF);
    QImage keyed = m_buffer.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(keyed.scanLine(y));
      for (int x = 0; x < keyed.width(); ++x) {
        if ((row[x] & 0xFFFFFF) == (key & 0xFFFFFF)) row[x] = 0;
      }
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, keyed);
  } else {
    painter.drawImage(0, 0, m_buffer);
    if (m_colorKey >= 0) ShapeToColorKey();
  }
}

// Without a compositor the key colour is cut out of the window's shape (X11 SHAPE), so those
// pixels show whatever lies below and pass clicks on to it.
void HwndWidget::ShapeToColorKey() {
  QRgb key = qRgb(m_colorKey & 0xFF, (m_colorKey >> 8) & 0xFF, (m_colorKey >> 16) & 0xFF);
  QRegion shape(QBitmap::fromImage(m_buffer.createMaskFromColor(key, Qt::MaskInColor)));
  if (shape.isEmpty()) shape = QRegion(0, 0, 1, 1);  // an empty region would clear the mask
  if (shape != mask()) setMask(shape);
}

void HwndWidget::resizeEvent(QResizeEvent*) {
  WPARAM kind = isMaximized() ? SIZE_MAXIMIZED : isMinimized() ? SIZE_MINIMIZED : SIZE_RESTORED;
  CallProc(m_hwnd, WM_SIZE, kind, MAKELPARAM(width(), height()));
}

void HwndWidget::moveEvent(QMoveEvent*) { CallProc(m_hwnd, WM_MOVE, 0, MAKELPARAM(x(), y())); }

void HwndWidget::closeEvent(QCloseEvent* event) {
  // The window decides: the default procedure destroys it on WM_CLOSE.
  event->ignore();
  CallProc(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void HwndWidget::showEvent(QShowEvent*) { CallProc(m_hwnd, WM_SHOWWINDOW, TRUE, 0); }

void HwndWidget::mousePressEvent(QMouseEvent* event) {
  WPARAM flags = MouseKeyFlags(event->buttons(), event->modifiers());
  UINT message = event->button() == Qt::RightButton ? WM_RBUTTONDOWN
                 : event->button() == Qt::MiddleButton ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
  Input(message, flags, PointParam(event->position()));
}

void HwndWidget::mouseReleaseEvent(QMouseEvent* event) {
  WPARAM flags = MouseKeyFlags(event->buttons(), event->modifiers());
  UINT message = event->button() == Qt::RightButton ? WM_RBUTTONUP
                 : event->button() == Qt::MiddleButton ? WM_MBUTTONUP : WM_LBUTTONUP;
  Input(message, flags, PointParam(event->position()));
}

void HwndWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  WPARAM flags = MouseKeyFlags(event->buttons(), event->modifiers());
  UINT message = event->button() == Qt::RightButton ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK;
  Input(message, flags, PointParam(event->position()));
}

void HwndWidget::mouseMoveEvent(QMouseEvent* event) {
  SetCursorTarget(this);
  if (!CallProc(m_hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE))) {
    unsetCursor();  // back to the class cursor
  }
  Input(WM_MOUSEMOVE, MouseKeyFlags(event->buttons(), event->modifiers()), PointParam(event->position()));
}

void HwndWidget::wheelEvent(QWheelEvent* event) {
  WPARAM flags = MouseKeyFlags(event->buttons(), event->modifiers());
  int delta = event->angleDelta().y();
  QPointF global = event->globalPosition();
  Input(WM_MOUSEWHEEL, MAKEWPARAM(flags, static_cast<short>(delta)), PointParam(global));
}

void HwndWidget::keyPressEvent(QKeyEvent* event) {
  UINT vk = VirtualKeyOf(event);
  if (vk) {
    bool alt = event->modifiers() & Qt::AltModifier;
    CallProc(m_hwnd, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, KeyParam(event, false));
  }
  std::string text = FromQString(event->text());
  for (unsigned char c : text) {
    if (!IsWindow(m_hwnd)) break;
    CallProc(m_hwnd, WM_CHAR, c, KeyParam(event, false));
  }
}

void HwndWidget::keyReleaseEvent(QKeyEvent* event) {
  UINT vk = VirtualKeyOf(event);
  if (!vk || event->isAutoRepeat()) return;
  SetKeyDown(vk, false);
  bool alt = event->modifiers() & Qt::AltModifier;
  CallProc(m_hwnd, alt ? WM_SYSKEYUP : WM_KEYUP, vk, KeyParam(event, true));
}

void HwndWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void HwndWidget::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(FromQString(url.toLocalFile()));
  }
  if (paths.empty()) return;
  QPoint at = event->position().toPoint();
  event->acceptProposedAction();
  CallProc(m_hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths, {at.x(), at.y()})), 0);
}

void HwndWidget::focusInEvent(QFocusEvent*) { CallProc(m_hwnd, WM_SETFOCUS, 0, 0); }

void HwndWidget::focusOutEvent(QFocusEvent*) { CallProc(m_hwnd, WM_KILLFOCUS, 0, 0); }

}  // namespace user_p
