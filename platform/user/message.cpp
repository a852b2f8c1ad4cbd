#include "platform/user/message.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <vector>

#include "platform/user/hwndwidget_p.h"
#include "platform/user/threadqueue_p.h"
#include "platform/user/window.h"
#include "platform/user/window_p.h"
#include "platform/win32/error.h"
#include "platform/win32/sync.h"

using namespace user_p;

namespace {

std::atomic<bool> g_quit{false};
std::atomic<int> g_quitCode{0};
bool g_inMainLoop = false;  // RunUiMessageLoop's QCoreApplication::exec is running
MESSAGEFILTER g_filter = nullptr;

struct ModalLoop {
  const volatile BOOL* done;
  QEventLoop* loop;
};
std::vector<ModalLoop> g_modalLoops;  // UI thread only

}  // namespace

namespace user_p {

void CheckModalLoops() {
  for (ModalLoop& modal : g_modalLoops) {
    if (*modal.done || g_quit) modal.loop->quit();
  }
}

}  // namespace user_p

BOOL IsUiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

LRESULT SendMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<WindowRoute> route = FindRoute(hWnd);
  if (!route) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return route->Send(hWnd, message, wParam, lParam);
}

LRESULT SendMessageTimeoutA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                            DWORD_PTR* result) {
  (void)flags;  // every wait here is bounded by the time-out alone
  if (result) *result = 0;
  std::shared_ptr<WindowRoute> route = FindRoute(hWnd);
  if (!route) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LRESULT value = 0;
  if (!route->SendTimeout(hWnd, message, wParam, lParam, timeout, &value)) return 0;
  if (result) *result = static_cast<DWORD_PTR>(value);
  return TRUE;
}

BOOL PostMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!hWnd) {
    MSG msg{nullptr, message, wParam, lParam, GetTickCount(), {0, 0}};
    CurrentQueue()->Post(msg);
    return TRUE;
  }
  std::shared_ptr<WindowRoute> route = FindRoute(hWnd);
  if (!route) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return route->Post(hWnd, message, wParam, lParam);
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SendMessageA(item, message, wParam, lParam) : 0;
}

BOOL GetMessageA(LPMSG msg, HWND hWnd, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  if (IsUiThread()) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return -1;
  }
  std::shared_ptr<ThreadQueue> queue = CurrentQueue();
  for (;;) {
    queue->RunSentItems();
    if (queue->TakePosted(msg, hWnd, filterMin, filterMax, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
    queue->WaitForWork();
  }
}

BOOL PeekMessageA(LPMSG msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  std::shared_ptr<ThreadQueue> queue = CurrentQueue();
  queue->RunSentItems();
  return queue->TakePosted(msg, hWnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    typedef void(CALLBACK * TimerCallback)(HWND, UINT, UINT_PTR, DWORD);
    reinterpret_cast<TimerCallback>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  return msg->hwnd ? CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

BOOL TranslateMessage(const MSG* msg) {
  // Character messages come with the key events already.
  return msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode) {
  if (IsUiThread()) {
    g_quitCode = exitCode;
    g_quit = true;
    // Qt's exit() also makes every event loop started after it return at once (a menu, a
    // message box): ask it only of a running main loop; before that the flag is enough.
    if (g_inMainLoop) QCoreApplication::exit(exitCode);
    CheckModalLoops();
    return;
  }
  MSG msg{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, GetTickCount(), {0, 0}};
  CurrentQueue()->Post(msg);
}

int RunUiMessageLoop() {
  if (!IsUiThread()) return -1;
  CurrentQueue();
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    app->setQuitOnLastWindowClosed(false);  // the program decides when to quit
  }
  if (!g_quit) {
    g_inMainLoop = true;
    QCoreApplication::exec();
    g_inMainLoop = false;
  }
  g_quit = false;
  return g_quitCode.exchange(0);
}

void RunModalLoop(const volatile BOOL* done) {
  if (!done) return;
  if (!IsUiThread()) {
    std::shared_ptr<ThreadQueue> queue = CurrentQueue();
    MSG msg;
    while (!*done) {
      queue->RunSentItems();
      if (*done) break;
      if (queue->TakePosted(&msg, nullptr, 0, 0, true)) {
        if (msg.message == WM_QUIT) {
          queue->Post(msg);  // the outer loop must end too
          break;
        }
        DispatchMessageA(&msg);
      } else {
        queue->WaitForWork();
      }
    }
    return;
  }
  CurrentQueue();
  QEventLoop loop;
  g_modalLoops.push_back({done, &loop});
  while (!*done && !g_quit) loop.exec();
  for (auto it = g_modalLoops.begin(); it != g_modalLoops.end(); ++it) {
    if (it->loop == &loop) {
      g_modalLoops.erase(it);
      break;
    }
  }
}

void PumpWaitingMessages() {
  std::shared_ptr<ThreadQueue> queue = CurrentQueue();
  MSG msg;
  if (!IsUiThread()) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    return;
  }
  // Bounded, so a message that re-posts itself cannot hold the caller forever.
  for (int round = 0; round < 10000; ++round) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    queue->RunSentItems();
    if (!queue->TakePosted(&msg, nullptr, 0, 0, true)) break;
    if (msg.message != WM_QUIT) FilterAndDispatch(&msg);
  }
}

namespace user_p {

BOOL PreTranslateInput(MSG* msg) { return g_filter && g_filter(msg) ? TRUE : FALSE; }

}  // namespace user_p

void SetUiMessageFilter(MESSAGEFILTER filter) { g_filter = filter; }

LRESULT FilterAndDispatch(MSG* msg) {
  if (g_filter && IsUiThread() && g_filter(msg)) return 0;
  return DispatchMessageA(msg);
}
