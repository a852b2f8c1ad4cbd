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

namespace {

// Keys that are the same key whatever the modifiers (Shift+F8 is still F8).
UINT NamedKey(int key, bool keypad) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return keypad ? VK_NUMPAD0 + (key - Qt::Key_0) : '0' + (key - Qt::Key_0);
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
  }
  if (!keypad) return 0;
  switch (key) {
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    case Qt::Key_Period: case Qt::Key_Comma: return VK_DECIMAL;
    case Qt::Key_Slash: return VK_DIVIDE;
  }
  return 0;
}

// The digit row and the punctuation keys by position: X key codes (evdev + 8), which the xcb
// and Wayland platforms give as the native scan code. Shift+1 is then '1' on any layout.
UINT KeyAtScanCode(quint32 scanCode) {
  if (scanCode >= 10 && scanCode <= 18) return '1' + (scanCode - 10);
  switch (scanCode) {
    case 19: return '0';
    case 20: return VK_OEM_MINUS;
    case 21: return VK_OEM_PLUS;
    case 34: return VK_OEM_4;
    case 35: return VK_OEM_6;
    case 47: return VK_OEM_1;
    case 48: return VK_OEM_7;
    case 49: return VK_OEM_3;
    case 51: return VK_OEM_5;
    case 59: return VK_OEM_COMMA;
    case 60: return VK_OEM_PERIOD;
    case 61: return VK_OEM_2;
  }
  return 0;
}

bool ScanCodesAreKeyCodes() {
  static const bool x = QGuiApplication::platformName() == "xcb" || QGuiApplication::platformName().startsWith("wayland");
  return x;
}

// Without a scan code, a symbol is taken as the key that gives it on a US keyboard, shifted or not.
UINT KeyOfSymbol(int key) {
  switch (key) {
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Minus: case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Equal: case Qt::Key_Plus: return VK_OEM_PLUS;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return VK_OEM_7;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_Backslash: case Qt::Key_Bar: return VK_OEM_5;
    case Qt::Key_Comma: case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Period: case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Slash: case Qt::Key_Question: return VK_OEM_2;
  }
  return 0;
}

}  // namespace

// A key's virtual-key code is the key's own, whatever the modifiers: Shift+1 arrives as '!'.
UINT VirtualKeyOf(const QKeyEvent* event) {
  int key = event->key();
  bool keypad = event->modifiers() & Qt::KeypadModifier;
  if (UINT vk = NamedKey(key, keypad)) return vk;
  if (keypad) return 0;
  if (ScanCodesAreKeyCodes()) {
    if (UINT vk = KeyAtScanCode(event->nativeScanCode())) return vk;
  }
  return KeyOfSymbol(key);
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
  // The keys, modifiers included, are those the program's key and mouse events said were held:
  // the toolkit's own modifier state keeps a modifier after that key's release. Mouse buttons
  // come from the toolkit.
  if (QGuiApplication::instance()) {
    Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    bool down = false;
    switch (virtualKey) {
      case VK_LBUTTON: down = buttons & Qt::LeftButton; break;
      case VK_RBUTTON: down = buttons & Qt::RightButton; break;
      case VK_MBUTTON: down = buttons & Qt::MiddleButton; break;
    }
    if (down) state |= 0x80;
  }
  return static_cast<SHORT>((state & 0x80 ? 0x8000 : 0) | (state & 0x01));
}

SHORT GetAsyncKeyState(int virtualKey) { return GetKeyState(virtualKey); }
