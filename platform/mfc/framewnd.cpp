#include "platform/mfc/framewnd.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "platform/mfc/statusbar.h"
#include "platform/mfc/winapp.h"
#include "platform/user/window_p.h"

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

namespace {

// The free area of the screen a rectangle stands mostly on (the first screen when on none).
QRect FreeAreaFor(const QRect& outer) {
  QScreen* screen = QGuiApplication::screenAt(outer.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

// A rectangle wholly within the free area: moved in first, made smaller only where larger.
QRect WithinFreeArea(QRect outer) {
  const QRect free = FreeAreaFor(outer);
  if (free.isEmpty() || free.contains(outer)) return outer;
  outer.setWidth(std::min(outer.width(), free.width()));
  outer.setHeight(std::min(outer.height(), free.height()));
  outer.moveLeft(std::clamp(outer.left(), free.left(), free.left() + free.width() - outer.width()));
  outer.moveTop(std::clamp(outer.top(), free.top(), free.top() + free.height() - outer.height()));
  return outer;
}

// Whether any part of the rectangle lies on some screen's free area.
bool PartlyOnAScreen(const QRect& outer) {
  for (QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().intersects(outer)) return true;
  return false;
}

QRect OuterRectOf(HWND hWnd) {
  RECT placed{};
  if (!::GetWindowRect(hWnd, &placed)) return QRect();
  return QRect(placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top);
}

// Places the frame's outer rectangle at `wanted`: wholly within the screen's free area, or for
// a placement of the user's own, as it is unless none of it is on a screen.
void PlaceOnScreen(HWND hWnd, const QRect& wanted, bool wholly) {
  if (::IsZoomed(hWnd) || ::IsIconic(hWnd) || wanted.isEmpty()) return;
  const QRect fitted = wholly || !PartlyOnAScreen(wanted) ? WithinFreeArea(wanted) : wanted;
  if (fitted != OuterRectOf(hWnd)) ::MoveWindow(hWnd, fitted.x(), fitted.y(), fitted.width(), fitted.height(), TRUE);
}

// A window manager frames a window only once it is shown, and its title bar then makes the
// window larger than it was placed: when the frame first arrives the window takes the outer
// size (and the position, when one was asked) it was made with, and whenever the frame changes
// it is placed on the screen again. The user's own moves leave the frame and the window alone.
class FitWhenFramed : public QObject {
 public:
  FitWhenFramed(QWidget* window, HWND hWnd, const QRect& asked, bool placed)
      : QObject(window), m_window(window), m_hWnd(hWnd), m_asked(asked), m_placed(placed) {
    if (QWindow* handle = window->windowHandle(); handle && handle->handle()) m_frame = handle->frameMargins();
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    const QEvent::Type type = event->type();
    if ((type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) && !m_pending) {
      m_pending = true;
      // After the event is handled: the frame's new geometry is known then.
      QMetaObject::invokeMethod(this, [this] { Check(); }, Qt::QueuedConnection);
    }
    return false;
  }

 private:
  void Check() {
    m_pending = false;
    QWindow* handle = m_window ? m_window->windowHandle() : nullptr;
    if (!handle || !handle->handle() || !m_window->isVisible()) return;
    const QMargins frame = handle->frameMargins();
    if (frame == m_frame) return;
    m_frame = frame;
    QRect wanted = OuterRectOf(m_hWnd);
    if (m_first) {
      m_first = false;
      wanted.setSize(m_asked.size());
      if (m_placed) wanted.moveTopLeft(m_asked.topLeft());
    }
    PlaceOnScreen(m_hWnd, wanted, !m_placed);
  }

  QPointer<QWidget> m_window;
  HWND m_hWnd;
  QRect m_asked;
  bool m_placed;
  QMargins m_frame;
  bool m_first = true;
  bool m_pending = false;
};

}  // namespace

BOOL CFrameWnd::Create(LPCSTR className, LPCSTR title, DWORD style, const RECT& rect, CWnd* parent, LPCSTR,
                       DWORD exStyle, CCreateContext* context) {
  bool useDefault = rect.left == CW_USEDEFAULT;
  m_pCreating = context;
  m_dwFrameStyle = style & FWS_ADDTOTITLE;
  style &= ~static_cast<DWORD>(FWS_ADDTOTITLE);
  int width = 1024, height = 768;
  if (useDefault) {
    // The default size, or the screen's free area where that is smaller.
    const QRect free = FreeAreaFor(QRect());
    if (!free.isEmpty()) width = std::min(width, free.width()), height = std::min(height, free.height());
  } else {
    width = rect.right - rect.left, height = rect.bottom - rect.top;
  }
  BOOL created = CreateEx(exStyle, className, title, style, rect.left, rect.top, width, height,
                          parent ? parent->m_hWnd : nullptr, nullptr);
  m_pCreating = nullptr;
  if (!created) return FALSE;
  if (!(style & WS_CHILD)) {
    // The default size fits the screen; an asked placement stays unless it is off every screen.
    PlaceOnScreen(m_hWnd, OuterRectOf(m_hWnd), useDefault);
    if (QWidget* widget = user_p::WidgetOf(m_hWnd)) new FitWhenFramed(widget, m_hWnd, OuterRectOf(m_hWnd), !useDefault);
  }
  return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context) {
  if (!Create(nullptr, AfxGetAppName(), style, rectDefault, parent, nullptr, 0, context)) return FALSE;
  LoadAccelTable(MAKEINTRESOURCE(resourceId));  // a frame without accelerators is fine
  return TRUE;
}

BOOL CFrameWnd::LoadAccelTable(LPCSTR resourceName) {
  m_hAccelTable = ::LoadAcceleratorsA(AfxGetInstanceHandle(), resourceName);
  return m_hAccelTable != nullptr;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT createStruct) {
  if (Default() == -1) return -1;
  if (m_pCreating && !OnCreateClient(createStruct, m_pCreating)) return -1;
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* context) {
  if (!context || !context->m_pNewViewClass) return TRUE;
  CObject* object = context->m_pNewViewClass->CreateObject();
  auto* view = dynamic_cast<CView*>(object);
  if (!view) {
    delete object;
    return FALSE;
  }
  if (!view->CreateView(this, context)) {
    delete view;
    return FALSE;
  }
  SetActiveView(view);
  return TRUE;
}

void CFrameWnd::RecalcLayout(BOOL) {
  if (!m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  int top = ::GetMenuBarHeight(m_hWnd);
  int bottom = client.bottom;
  if (HWND status = ::GetDlgItem(m_hWnd, AFX_IDW_STATUS_BAR)) {
    int height = 0;
    if (QWidget* widget = user_p::WidgetOf(status)) height = widget->sizeHint().height();
    bottom -= height;
    ::MoveWindow(status, 0, bottom, client.Width(), height, TRUE);
  }
  HWND view = m_pViewActive ? m_pViewActive->m_hWnd : ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
  if (view) ::MoveWindow(view, 0, top, client.Width(), std::max(0, bottom - top), TRUE);
}

void CFrameWnd::OnSize(UINT, int, int) {
  Default();
  RecalcLayout();
}

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL makeVisible) {
  if (m_pViewActive) m_pViewActive->OnInitialUpdate();
  OnUpdateFrameTitle(TRUE);
  RecalcLayout();
  if (makeVisible) {
    CWinApp* app = AfxGetApp();
    ShowWindow(app && app->m_pMainWnd == this ? app->m_nCmdShow : SW_SHOW);
  }
}

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle) {
  if (!(m_dwFrameStyle & FWS_ADDTOTITLE)) return;
  CDocument* document = GetActiveDocument();
  CString title = AfxGetAppName();
  if (addToTitle && document && !document->GetTitle().IsEmpty()) title = document->GetTitle() + " - " + title;
  SetWindowText(title);
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CWnd::WindowProc(message, wParam, lParam);
  if (message == WM_ACTIVATE && m_pViewActive && ::IsWindow(m_pViewActive->m_hWnd))
    ::SendMessageA(m_pViewActive->m_hWnd, WM_ACTIVATE, wParam, lParam);
  return result;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
  if (m_hAccelTable && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN)) {
    return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, msg) ? TRUE : FALSE;
  }
  return FALSE;
}

BOOL CFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  // Menus and accelerators reach the frame; the view that shows the document acts first.
  if (m_pViewActive && m_pViewActive->m_hWnd && m_pViewActive->OnCommand(wParam, lParam)) return TRUE;
  return CWnd::OnCommand(wParam, lParam);
}

void CFrameWnd::PostNcDestroy() {
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    app->m_pMainWnd = nullptr;
    ::PostQuitMessage(0);  // the main window's end is the program's end
  }
  delete this;
}
