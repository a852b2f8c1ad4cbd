#include "platform/user/input.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <atomic>

#include "platform/user/hwndwidget_p.h"

namespace {

std::atomic<BYTE> g_keys[256];  // bit 0x80 down, bit 0x01 toggled

}  // namespace

namespace user_p {

void SetKeyDown(UINT vk, bool down) {
  if (vk >= 256) return;
  BYTE state = g_keys[vk];
  if (down && !(state & 0x80)) state ^= 0x01;
  g_keys[vk] = static_cast<BYTE>(down ? (state | 0x80) : (state & ~0x80));
}

UINT VirtualKeyOf(const QKeyEvent* event) {
  int key = event->key();
  bool keypad = event->modifiers() & Qt::KeypadModifier;
  if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9) return VK_NUMPAD0 + (key - Qt::Key_0);
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Asterisk: return keypad ? VK_MULTIPLY : '8';
    case Qt::Key_Plus: return keypad ? VK_ADD : VK_OEM_PLUS;
    case Qt::Key_Minus: return keypad ? VK_SUBTRACT : VK_OEM_MINUS;
    case Qt::Key_Period: return keypad ? VK_DECIMAL : VK_OEM_PERIOD;
    case Qt::Key_Slash: return keypad ? VK_DIVIDE : VK_OEM_2;
    case Qt::Key_Semicolon: return VK_OEM_1;
    case Qt::Key_Equal: return VK_OEM_PLUS;
    case Qt::Key_Comma: return VK_OEM_COMMA;
    case Qt::Key_QuoteLeft: return VK_OEM_3;
    case Qt::Key_BracketLeft: return VK_OEM_4;
    case Qt::Key_Backslash: return VK_OEM_5;
    case Qt::Key_BracketRight: return VK_OEM_6;
    case Qt::Key_Apostrophe: return VK_OEM_7;
  }
  return 0;
}

WPARAM MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  WPARAM flags = 0;
  if (buttons & Qt::LeftButton) flags |= 0x0001;
  if (buttons & Qt::RightButton) flags |= 0x0002;
  if (modifiers & Qt::ShiftModifier) flags |= 0x0004;
  if (modifiers & Qt::ControlModifier) flags |= 0x0008;
  if (buttons & Qt::MiddleButton) flags |= 0x0010;
  return flags;
}

}  // namespace user_p

SHORT GetKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey >= 256) return 0;
  BYTE state = g_keys[virtualKey];
  // Modifier and button state also comes from the window system when it knows it.
  if (QGuiApplication::instance()) {
    Qt::KeyboardModifiers mods = QGuiApplication::keyboardModifiers();
    Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    bool down = false;
    switch (virtualKey) {
      case VK_SHIFT: down = mods & Qt::ShiftModifier; break;
      case VK_CONTROL: down = mods & Qt::ControlModifier; break;
      case VK_MENU: down = mods & Qt::AltModifier; break;
      case VK_LBUTTON: down = buttons & Qt::LeftButton; break;
      case VK_RBUTTON: down = buttons & Qt::RightButton; break;
      case VK_MBUTTON: down = buttons & Qt::MiddleButton; break;
    }
    if (down) state |= 0x80;
  }
  return static_cast<SHORT>((state & 0x80 ? 0x8000 : 0) | (state & 0x01));
}

SHORT GetAsyncKeyState(int virtualKey) { return GetKeyState(virtualKey); }
