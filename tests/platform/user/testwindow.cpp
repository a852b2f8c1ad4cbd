#include "testwindow.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include "platform/win32/sync.h"

namespace {

const char* ClassName() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;  // replaced per window below
    wc.lpszClassName = "TavorinTestWindow";
    RegisterClassA(&wc);
    registered = true;
  }
  return "TavorinTestWindow";
}

}  // namespace

TestWindow::TestWindow(HWND parent, DWORD style) {
  hwnd = CreateWindowExA(0, ClassName(), "Test", style, 0, 0, 200, 100, parent, nullptr, nullptr, nullptr);
  if (hwnd) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TestWindow::Proc));
  }
}

TestWindow::~TestWindow() {
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

LRESULT CALLBACK TestWindow::Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hWnd, message, wParam, lParam);
  {
    std::lock_guard<std::mutex> lock(self->m_mutex);
    self->m_messages.push_back({message, wParam, lParam, GetCurrentThreadId()});
  }
  if (self->handler) {
    if (LRESULT result = self->handler(message, wParam, lParam)) return result;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

std::vector<RecordedMessage> TestWindow::Messages(UINT message) {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<RecordedMessage> out;
  for (const RecordedMessage& m : m_messages) {
    if (m.message == message) out.push_back(m);
  }
  return out;
}

std::vector<RecordedMessage> TestWindow::All() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_messages;
}

bool PumpUntil(const std::function<bool()>& done) {
  ULONGLONG deadline = GetTickCount64() + 10000;
  while (!done()) {
    if (GetTickCount64() > deadline) {
      ADD_FAILURE() << "gave up waiting";
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    PumpWaitingMessages();
  }
  return true;
}
