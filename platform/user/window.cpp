#include "platform/user/window.h"

#include <QApplication>
#include <QScreen>
#include <QSignalBlocker>
#include <algorithm>
#include <map>
#include <mutex>

#include "platform/user/controls_p.h"
#include "platform/user/hwndwidget_p.h"
#include "platform/user/message.h"
#include "platform/user/paint_p.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/station_p.h"
#include "platform/user/threadqueue_p.h"
#include "platform/user/timer_p.h"
#include "platform/user/window_p.h"
#include "platform/win32/error.h"
#include "platform/win32/sync.h"
#include "platform/win32/thread.h"

using namespace user_p;

namespace {

std::mutex g_classMutex;
std::map<std::string, WNDCLASSA> g_classes;  // lower-case name -> class

std::string Lower(const char* text) {
  std::string out = text ? text : "";
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// A window of this process: its owner thread's queue serves it.
class LocalRoute : public WindowRoute {
 public:
  explicit LocalRoute(std::shared_ptr<ThreadQueue> queue) : m_queue(std::move(queue)) {}
  LRESULT Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (m_queue == CurrentQueue()) return CallProc(hWnd, message, wParam, lParam);
    auto item = std::make_shared<SentItem>();
    item->hwnd = hWnd;
    item->message = message;
    item->wParam = wParam;
    item->lParam = lParam;
    return m_queue->SendAndWait(item) ? item->result : 0;
  }
  BOOL Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    MSG msg{hWnd, message, wParam, lParam, GetTickCount(), {0, 0}};
    return m_queue->Post(msg) ? TRUE : FALSE;
  }

 private:
  std::shared_ptr<ThreadQueue> m_queue;
};

Qt::WindowFlags TopLevelFlags(const std::string& className, DWORD style, DWORD exStyle) {
  Qt::WindowFlags flags = className == "#32770" ? Qt::Dialog : Qt::Window;
  if ((style & WS_POPUP) && (style & WS_CAPTION) != WS_CAPTION) flags |= Qt::FramelessWindowHint;
  if (exStyle & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
  if (exStyle & WS_EX_TOOLWINDOW) flags |= Qt::Tool;
  return flags;
}

}  // namespace

namespace user_p {

void ApplyMinMaxInfo(HWND hWnd) {
  QWidget* widget = WidgetOf(hWnd);
  if (!widget) return;
  MINMAXINFO info{};
  info.ptMaxTrackSize = {32767, 32767};
  CallProc(hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  if (info.ptMinTrackSize.x > 0 || info.ptMinTrackSize.y > 0) {
    // A minimum the window's own layout already needs stays.
    const QSize now = widget->minimumSize();
    widget->setMinimumSize(std::max<int>(now.width(), std::max<LONG>(0, info.ptMinTrackSize.x)),
                           std::max<int>(now.height(), std::max<LONG>(0, info.ptMinTrackSize.y)));
  }
}

bool RunOnOwnerThread(HWND hWnd, const std::function<void()>& call) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  if (!record) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  if (record->queue == CurrentQueue()) {
    call();
    return true;
  }
  if (!record->queue->IsUi()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return RunOnUiThread(call);
}

}  // namespace user_p

WORD RegisterClassA(const WNDCLASSA* wndClass) {
  if (!wndClass || !wndClass->lpszClassName || !*wndClass->lpszClassName || !wndClass->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string name = Lower(wndClass->lpszClassName);
  std::lock_guard<std::mutex> lock(g_classMutex);
  if (g_classes.count(name) || FindBuiltinClass(name)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  g_classes[name] = *wndClass;
  return static_cast<WORD>(0xC000 + g_classes.size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  std::string cls = Lower(className);
  WNDPROC proc = nullptr;
  const BuiltinClass* builtin = FindBuiltinClass(cls);
  if (builtin) {
    proc = builtin->proc;
  } else {
    std::lock_guard<std::mutex> lock(g_classMutex);
    auto it = g_classes.find(cls);
    if (it != g_classes.end()) proc = it->second.lpfnWndProc;
  }
  if (!proc) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  bool messageOnly = parent == HWND_MESSAGE || !IsUiThread();
  HWND realParent = parent == HWND_MESSAGE ? nullptr : parent;
  std::shared_ptr<WindowRecord> parentRecord = FindWindowRecord(realParent);
  if (realParent && !parentRecord) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if ((style & WS_CHILD) && !parentRecord) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }

  auto record = std::make_shared<WindowRecord>();
  record->hwnd = AllocateWindowHandle();
  record->className = cls;
  record->proc = proc;
  record->style = style;
  record->exStyle = exStyle;
  record->id = (style & WS_CHILD) ? static_cast<int>(reinterpret_cast<INT_PTR>(menu)) : 0;
  record->parent = realParent;
  record->text = windowName ? windowName : "";
  record->ownerThread = GetCurrentThreadId();
  record->queue = CurrentQueue();
  record->route = std::make_shared<LocalRoute>(record->queue);
  HWND hWnd = record->hwnd;

  if (!messageOnly) {
    QWidget* parentWidget = parentRecord ? parentRecord->widget.data() : nullptr;
    QWidget* widget = nullptr;
    if (builtin && builtin->create) {
      widget = builtin->create(hWnd, style, parentWidget);
    } else if (style & WS_CHILD) {
      widget = new HwndWidget(hWnd, parentWidget, Qt::Widget);
    } else {
      widget = new HwndWidget(hWnd, parentWidget, TopLevelFlags(cls, style, exStyle));
    }
    widget->setProperty("tavorin_hwnd", HandleToDword(hWnd));
    if (!(style & WS_CHILD)) widget->setWindowTitle(ToQString(record->text));
    if (exStyle & WS_EX_ACCEPTFILES) widget->setAcceptDrops(true);
    if (style & WS_DISABLED) widget->setEnabled(false);
    bool sized = width != CW_USEDEFAULT && height != CW_USEDEFAULT && width > 0 && height > 0;
    bool placed = x != CW_USEDEFAULT && y != CW_USEDEFAULT;
    if (widget->isWindow()) {
      QRect outer = OuterRect(widget);
      if (sized) outer.setSize(QSize(width, height));
      if (placed) outer.moveTopLeft(QPoint(x, y));
      if (sized || placed) PlaceTopLevel(widget, outer, placed);
    } else {
      if (sized) widget->resize(width, height);
      if (placed) widget->move(x, y);
    }
    record->widget = widget;
  }
  AddWindow(record);

  CREATESTRUCTA create{param,     instance, menu, realParent, height, width,
                       y,         x,        static_cast<LONG>(style), windowName, className, exStyle};
  if (CallProc(hWnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(hWnd);
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  if (!IsWindow(hWnd)) return nullptr;  // destroyed while being created
  if (QWidget* widget = record->widget.data()) {
    ApplyMinMaxInfo(hWnd);
    // A control shows its creation text through its own procedure.
    // No change notification for it: the parent has not seen the control yet.
    if (builtin && builtin->create) {
      QSignalBlocker quiet(widget);
      CallProc(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(record->text.c_str()));
    }
    if (style & WS_VISIBLE) ShowWindow(hWnd, SW_SHOW);
  }
  return hWnd;
}

BOOL DestroyWindow(HWND hWnd) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  if (!record) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (record->queue != CurrentQueue()) {
    BOOL result = FALSE;
    if (!RunOnOwnerThread(hWnd, [&] { result = DestroyWindow(hWnd); })) return FALSE;
    return result;
  }
  if (record->destroying) return TRUE;
  if (QWidget* widget = record->widget.data()) widget->hide();
  CallProc(hWnd, WM_DESTROY, 0, 0);
  record->destroying = true;
  for (HWND child : ChildWindows(hWnd)) DestroyWindow(child);
  KillWindowTimers(hWnd);
  CallProc(hWnd, WM_NCDESTROY, 0, 0);
  RemoveWindow(hWnd);
  if (QWidget* widget = record->widget.data()) {
    widget->setProperty("tavorin_hwnd", QVariant());
    // Later, because we may be inside one of the widget's own event handlers.
    widget->deleteLater();
  }
  return TRUE;
}

BOOL IsWindow(HWND hWnd) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  if (!record) return hWnd && IsForeignWindow(hWnd) ? TRUE : FALSE;
  return !record->destroying ? TRUE : FALSE;
}

LONG_PTR GetWindowLongPtrA(HWND hWnd, int index) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  if (!record) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWL_STYLE: return static_cast<LONG_PTR>(record->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(record->exStyle);
    case GWLP_USERDATA: return record->userData;
    case GWLP_ID: return record->id;
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(record->proc);
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

LONG_PTR SetWindowLongPtrA(HWND hWnd, int index, LONG_PTR value) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  if (!record) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR old = 0;
  switch (index) {
    case GWL_STYLE:
      old = record->style;
      record->style = static_cast<DWORD>(value);
      // A top-level window that gains or loses its caption changes its frame now, shown or not.
      if (!(record->style & WS_CHILD) && ((static_cast<DWORD>(old) ^ record->style) & WS_CAPTION)) {
        bool framed = (record->style & WS_CAPTION) == WS_CAPTION;
        user_p::RunOnOwnerThread(hWnd, [hWnd, framed] {
          QWidget* widget = user_p::WidgetOf(hWnd);
          if (!widget || !widget->isWindow()) return;
          bool visible = widget->isVisible();
          widget->setWindowFlag(Qt::FramelessWindowHint, !framed);
          if (visible) widget->show();  // changing flags hides a window
        });
      }
      break;
    case GWL_EXSTYLE: old = record->exStyle; record->exStyle = static_cast<DWORD>(value); break;
    case GWLP_USERDATA: old = record->userData; record->userData = value; break;
    case GWLP_ID: old = record->id; record->id = static_cast<int>(value); break;
    case GWLP_WNDPROC:
      if (!value) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      old = reinterpret_cast<LONG_PTR>(record->proc);
      record->proc = reinterpret_cast<WNDPROC>(value);
      break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
  }
  return old;
}

HWND GetParent(HWND hWnd) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  return record ? record->parent : nullptr;
}

HWND GetDlgItem(HWND dialog, int id) {
  for (HWND child : ChildWindows(dialog)) {
    if (GetDlgCtrlID(child) == id) return child;
  }
  // Controls inside group boxes or panels of a laid-out dialog are still the dialog's items.
  for (HWND child : ChildWindows(dialog)) {
    if (HWND nested = GetDlgItem(child, id)) return nested;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND hWnd) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  return record ? record->id : 0;
}

HWND GetWindow(HWND hWnd, UINT command) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  if (!record) return nullptr;
  if (command == GW_CHILD) {
    std::vector<HWND> children = ChildWindows(hWnd);
    return children.empty() ? nullptr : children.front();
  }
  if (command == GW_OWNER) return (record->style & WS_CHILD) ? nullptr : record->parent;
  std::vector<HWND> siblings = record->parent ? ChildWindows(record->parent) : TopLevelWindows();
  auto it = std::find(siblings.begin(), siblings.end(), hWnd);
  if (it == siblings.end() || siblings.empty()) return nullptr;
  switch (command) {
    case GW_HWNDFIRST: return siblings.front();
    case GW_HWNDLAST: return siblings.back();
    case GW_HWNDNEXT: return std::next(it) == siblings.end() ? nullptr : *std::next(it);
    case GW_HWNDPREV: return it == siblings.begin() ? nullptr : *std::prev(it);
  }
  return nullptr;
}

int GetClassNameA(HWND hWnd, LPSTR name, int maxCount) {
  if (!name || maxCount <= 0) return 0;
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  std::string className;
  if (record) {
    className = record->className;
  } else {
    // Another process's window: the class it published.
    StationWindow foreign;
    if (!FindForeignWindow(hWnd, &foreign)) return 0;
    className = foreign.className;
  }
  int count = std::min(static_cast<int>(className.size()), maxCount - 1);
  std::copy_n(className.data(), count, name);
  name[count] = '\0';
  return count;
}

DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD processId) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  if (!record) {
    // Another process's window: its owner as published; its thread is not known here, so the
    // process id stands in for it.
    StationWindow foreign;
    if (!FindForeignWindow(hWnd, &foreign) || !foreign.pid) return 0;
    if (processId) *processId = foreign.pid;
    return foreign.pid;
  }
  if (processId) *processId = GetCurrentProcessId();
  return record->ownerThread;
}

LRESULT DefWindowProcA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  if (!record) return 0;
  switch (message) {
    case WM_CLOSE: DestroyWindow(hWnd); return 0;
    case WM_SETTEXT: {
      record->text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
      if (QWidget* widget = record->widget.data()) widget->setWindowTitle(ToQString(record->text));
      PublishWindowText(hWnd, record->text);
      return TRUE;
    }
    case WM_GETTEXT: {
      if (!wParam || !lParam) return 0;
      size_t count = std::min(record->text.size(), static_cast<size_t>(wParam) - 1);
      std::copy_n(record->text.data(), count, reinterpret_cast<LPSTR>(lParam));
      reinterpret_cast<LPSTR>(lParam)[count] = '\0';
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(record->text.size());
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) return SendMessageA(hWnd, WM_CLOSE, 0, 0);
      if ((wParam & 0xFFF0) == SC_MINIMIZE) ShowWindow(hWnd, SW_MINIMIZE);
      if ((wParam & 0xFFF0) == SC_MAXIMIZE) ShowWindow(hWnd, SW_MAXIMIZE);
      if ((wParam & 0xFFF0) == SC_RESTORE) ShowWindow(hWnd, SW_RESTORE);
      return 0;
    case WM_ERASEBKGND: return DefaultEraseBackground(hWnd, reinterpret_cast<HDC>(wParam));
    case WM_PAINT: return DefaultPaint(hWnd);
  }
  return 0;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hWnd, message, wParam, lParam) : 0;
}

int GetSystemMetrics(int index) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 0;
  switch (index) {
    case SM_CXSCREEN: return screen->geometry().width();
    case SM_CYSCREEN: return screen->geometry().height();
  }
  return 0;
}

BOOL SystemParametersInfoA(UINT action, UINT /*uiParam*/, PVOID pvParam, UINT /*winIni*/) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (action != SPI_GETWORKAREA || !pvParam || !screen) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  QRect area = screen->availableGeometry();
  *static_cast<RECT*>(pvParam) = {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
  return TRUE;
}

namespace {

HWND TopLevelOf(HWND hWnd) {
  while (hWnd && (GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD)) hWnd = GetParent(hWnd);
  return hWnd;
}

}  // namespace

HWND GetLastActivePopup(HWND hWnd) {
  if (!IsWindow(hWnd)) return nullptr;
  QWidget* modal = QApplication::activeModalWidget();
  HWND popup = modal ? user_p::HwndOf(modal) : nullptr;
  if (!popup || popup == hWnd) return hWnd;
  HWND top = TopLevelOf(hWnd);
  for (HWND owner = GetWindow(popup, GW_OWNER); owner; owner = GetWindow(TopLevelOf(owner), GW_OWNER)) {
    if (TopLevelOf(owner) == top) return popup;
  }
  return hWnd;
}
