// The camera's messages to the view's window.
#include "camera/CameraMessages.h"
#include "platform/user/message.h"
#include "platform/user/window.h"

BOOL WindowMessageSink::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_hWnd && IsWindow(m_hWnd) && PostMessageA(m_hWnd, message, wParam, lParam);
}

BOOL WindowMessageSink::IsAlive() { return m_hWnd && IsWindow(m_hWnd); }
