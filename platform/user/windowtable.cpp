#include <QWidget>
#include <atomic>
#include <map>
#include <mutex>

#include "platform/user/station_p.h"
#include "platform/user/threadqueue_p.h"
#include "platform/user/window_p.h"
#include "platform/win32/error.h"
#include "platform/win32/thread.h"
#include "platform/win32/trace.h"

namespace user_p {
namespace {

std::mutex g_tableMutex;
std::map<DWORD, std::shared_ptr<WindowRecord>> g_windows;  // handle order = creation order
std::function<std::shared_ptr<WindowRoute>(HWND)> g_foreignResolver;

}  // namespace

HWND AllocateWindowHandle() {
  // From the station when there is one, so handles are unique across its processes.
  if (DWORD value = AllocateStationHandle()) return DwordToHwnd(value);
  // Even values from 0x10002 up: never 0 or 0xFFFF (HWND_BROADCAST), never the small special
  // handles, and never reused, so a stale handle held by a worker never names a new window.
  static std::atomic<DWORD> next{0x10000};
  return DwordToHwnd(next.fetch_add(2) + 2);
}

void AddWindow(const std::shared_ptr<WindowRecord>& record) {
  {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    g_windows[HandleToDword(record->hwnd)] = record;
  }
  // Top-level windows are what other processes can find.
  if (!(record->style & 0x40000000u)) PublishWindow(record->hwnd, record->className, record->text);
}

void RemoveWindow(HWND hWnd) {
  {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    g_windows.erase(HandleToDword(hWnd));
  }
  UnpublishWindow(hWnd);
}

std::shared_ptr<WindowRecord> FindWindowRecord(HWND hWnd) {
  if (!hWnd) return nullptr;
  std::lock_guard<std::mutex> lock(g_tableMutex);
  auto it = g_windows.find(HandleToDword(hWnd));
  return it == g_windows.end() ? nullptr : it->second;
}

std::shared_ptr<WindowRoute> FindRoute(HWND hWnd) {
  if (std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd)) return record->route;
  std::function<std::shared_ptr<WindowRoute>(HWND)> resolver;
  {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    resolver = g_foreignResolver;
  }
  if (!hWnd) return nullptr;
  return resolver ? resolver(hWnd) : StationRoute(hWnd);
}

void SetForeignRouteResolver(std::function<std::shared_ptr<WindowRoute>(HWND)> resolver) {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  g_foreignResolver = std::move(resolver);
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> children;
  std::lock_guard<std::mutex> lock(g_tableMutex);
  for (auto& [value, record] : g_windows) {
    if (record->parent == parent && !record->destroying) children.push_back(record->hwnd);
  }
  return children;
}

std::vector<HWND> WindowsOfQueue(const ThreadQueue* queue) {
  std::vector<HWND> windows;
  std::lock_guard<std::mutex> lock(g_tableMutex);
  for (auto& [value, record] : g_windows) {
    if (record->queue.get() == queue && !record->destroying) windows.push_back(record->hwnd);
  }
  return windows;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  std::lock_guard<std::mutex> lock(g_tableMutex);
  for (auto& [value, record] : g_windows) {
    if (!(record->style & 0x40000000u) && !record->destroying) windows.push_back(record->hwnd);
  }
  return windows;
}

LRESULT CallProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  if (!record || !record->proc) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  try {
    return record->proc(hWnd, message, wParam, lParam);
  } catch (...) {
    // A window procedure must not take the message loop down with it.
    TRACE("CallProc() - window procedure of 0x%08X threw on message 0x%04X\n", HandleToDword(hWnd), message);
    return 0;
  }
}

QWidget* WidgetOf(HWND hWnd) {
  std::shared_ptr<WindowRecord> record = FindWindowRecord(hWnd);
  return record ? record->widget : nullptr;
}

HWND HwndOf(const QWidget* widget) {
  if (!widget) return nullptr;
  QVariant value = widget->property("tavorin_hwnd");
  return value.isValid() ? DwordToHwnd(value.toUInt()) : nullptr;
}

}  // namespace user_p
