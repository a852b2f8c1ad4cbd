// The camera's messages to the view's window.
#include <atomic>

#include "camera/CameraMessages.h"
#include "platform/user/message.h"
#include "platform/user/window.h"

BOOL WindowMessageSink::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_hWnd && IsWindow(m_hWnd) && PostMessageA(m_hWnd, message, wParam, lParam);
}

BOOL WindowMessageSink::IsAlive() { return m_hWnd && IsWindow(m_hWnd); }

void WindowMessageSink::OnReleaseStarted() {
  // Called on the release's own thread; the view reads the flag on its thread.
  if (m_pReleasePending && IsAlive()) std::atomic_ref<bool>(*m_pReleasePending).store(true);
}
