// Private: the window table and what each window record holds. Only platform/ includes this.
#pragma once

#include <functional>
#include <memory>
#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/user/winmsg.h"

namespace user_p {

class ThreadQueue;

/// Where messages for a window go. Local windows are served by their owner thread's queue;
/// windows of other processes get a route of their own that carries the same calls.
class WindowRoute {
 public:
  virtual ~WindowRoute() = default;
  virtual LRESULT Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  /// Send that gives up after `timeout` ms where the route can tell (FALSE, last error set).
  virtual BOOL SendTimeout(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeout, LRESULT* result) {
    (void)timeout;
    *result = Send(hWnd, message, wParam, lParam);
    return TRUE;
  }
  virtual BOOL Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

struct WindowRecord {
  HWND hwnd = nullptr;
  std::string className;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  int id = 0;
  LONG_PTR userData = 0;
  HWND parent = nullptr;
  DWORD ownerThread = 0;
  std::shared_ptr<ThreadQueue> queue;  // the owner thread's queue
  std::shared_ptr<WindowRoute> route;
  QPointer<QWidget> widget;  // UI thread only; NULL for message-only windows
  std::string text;           // the text of windows without a widget that shows it
  bool destroying = false;
};

/// Allocates a handle value: never 0, never 0xFFFF, never reused while the process runs.
HWND AllocateWindowHandle();
void AddWindow(const std::shared_ptr<WindowRecord>& record);
void RemoveWindow(HWND hWnd);
/// The record of a live window of this process, or NULL.
std::shared_ptr<WindowRecord> FindWindowRecord(HWND hWnd);
/// The route for a handle, local or foreign; NULL when nothing answers for it.
std::shared_ptr<WindowRoute> FindRoute(HWND hWnd);
/// Lets another layer answer for handles this process does not own (other processes' windows).
void SetForeignRouteResolver(std::function<std::shared_ptr<WindowRoute>(HWND)> resolver);
/// Live windows whose parent is the given window (creation order).
std::vector<HWND> ChildWindows(HWND parent);
/// The live windows a thread's queue serves (creation order).
std::vector<HWND> WindowsOfQueue(const ThreadQueue* queue);
/// Every live top-level window of this process (creation order).
std::vector<HWND> TopLevelWindows();

/// Calls the window procedure on the current thread (caller is the owner thread).
LRESULT CallProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

/// Runs a call on the window's owner thread and waits for it. False for an unknown window or
/// when the owner is another thread without a widget (those windows are only reachable by
/// messages).
bool RunOnOwnerThread(HWND hWnd, const std::function<void()>& call);

/// Takes the window's scroll bars off a client size.
void ScrollBarClientInset(QWidget* widget, int& width, int& height);

/// Places a top-level window so that its frame, not its client area, covers `outer`; without
/// `move` only its size changes.
void PlaceTopLevel(QWidget* widget, const QRect& outer, bool move = true);
/// The frame rectangle of a top-level window in screen coordinates (client area when the
/// window system draws no frame).
QRect OuterRect(QWidget* widget);

/// Asks the window's procedure for WM_GETMINMAXINFO and keeps the window at least that large; for
/// windows whose procedure is attached after creation (dialogs) it is asked again then.
void ApplyMinMaxInfo(HWND hWnd);
/// The widget of a window, or NULL (UI thread only).
QWidget* WidgetOf(HWND hWnd);
/// The window a widget stands for, or NULL.
HWND HwndOf(const QWidget* widget);

}  // namespace user_p
