#include "platform/user/timer.h"

#include <QCoreApplication>
#include <QTimer>
#include <map>
#include <utility>

#include "platform/user/message.h"
#include "platform/user/threadqueue_p.h"
#include "platform/user/timer_p.h"
#include "platform/user/window.h"
#include "platform/user/window_p.h"
#include "platform/win32/error.h"
#include "platform/win32/sync.h"

namespace {

// UI thread only, like every timer.
std::map<std::pair<DWORD, UINT_PTR>, QTimer*> g_timers;
UINT_PTR g_nextThreadTimerId = 0x7000;

}  // namespace

UINT_PTR SetTimer(HWND hWnd, UINT_PTR id, UINT elapse, TIMERPROC callback) {
  if (!IsUiThread()) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  if (hWnd && !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (!hWnd) id = ++g_nextThreadTimerId;
  auto key = std::make_pair(HandleToDword(hWnd), id);
  QTimer*& timer = g_timers[key];
  if (!timer) {
    timer = new QTimer(QCoreApplication::instance());  // ends with the application at the latest
    timer->setTimerType(Qt::PreciseTimer);
  }
  QObject::disconnect(timer, nullptr, nullptr, nullptr);
  QObject::connect(timer, &QTimer::timeout, [hWnd, id, callback] {
    MSG msg{hWnd, WM_TIMER, id, reinterpret_cast<LPARAM>(callback), GetTickCount(), {0, 0}};
    if (hWnd && !IsWindow(hWnd)) return;
    FilterAndDispatch(&msg);
    user_p::CheckModalLoops();  // the tick may have ended a modal loop
  });
  timer->start(static_cast<int>(std::max<UINT>(elapse, 10)));
  return id;
}

BOOL KillTimer(HWND hWnd, UINT_PTR id) {
  if (!IsUiThread()) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  auto it = g_timers.find(std::make_pair(HandleToDword(hWnd), id));
  if (it == g_timers.end()) return FALSE;
  it->second->stop();
  it->second->deleteLater();  // we may be inside its own timeout
  g_timers.erase(it);
  return TRUE;
}

namespace user_p {

void KillWindowTimers(HWND hWnd) {
  DWORD value = HandleToDword(hWnd);
  for (auto it = g_timers.begin(); it != g_timers.end();) {
    if (it->first.first == value) {
      it->second->stop();
      it->second->deleteLater();
      it = g_timers.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace user_p
