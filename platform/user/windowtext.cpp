// Window text goes through WM_SETTEXT/WM_GETTEXT, so it works from any thread and controls
// answer with their own text.
#include <vector>

#include "platform/user/message.h"
#include "platform/user/window.h"
#include "platform/win32/error.h"

BOOL SetWindowTextA(HWND hWnd, LPCSTR text) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowTextA(HWND hWnd, LPSTR text, int maxCount) {
  if (!text || maxCount <= 0) return 0;
  text[0] = '\0';
  return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthA(HWND hWnd) { return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0)); }

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowTextA(item, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) {
    if (text && maxCount > 0) text[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowTextA(item, text, maxCount));
}
