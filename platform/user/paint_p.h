// Private: default painting used by DefWindowProc.
#pragma once

#include "platform/user/winmsg.h"

namespace user_p {

/// Fills the client area of the DC with the window's background colour; returns 1.
LRESULT DefaultEraseBackground(HWND hWnd, HDC dc);
/// Validates the window without drawing; returns 0.
LRESULT DefaultPaint(HWND hWnd);

}  // namespace user_p
