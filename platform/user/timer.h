// Window timers. A timer posts no message of its own: its owner thread's loop (and every
// nested modal loop inside it) calls the window with WM_TIMER, or the callback, at each tick.
#pragma once

#include "platform/user/winmsg.h"

typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

/// Starts or restarts timer `id` of the window (a new id is chosen when hWnd is NULL) with a
/// period of `elapse` ms (at least 10). Returns the id, or 0 (last error set) for an unknown
/// window or when called off the UI thread, where timers are not supported.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR id, UINT elapse, TIMERPROC callback);
/// FALSE when no such timer runs.
BOOL KillTimer(HWND hWnd, UINT_PTR id);
