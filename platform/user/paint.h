// Painting a window: WM_PAINT's BeginPaint/EndPaint and window DCs from any thread. Every
// window DC draws on the window's back buffer, which the window shows; a DC from a non-UI
// thread draws under the buffer's lock and ReleaseDC schedules the repaint.
#pragma once

#include "platform/user/winmsg.h"

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
typedef PAINTSTRUCT* LPPAINTSTRUCT;

/// Returns NULL for an unknown window, one without a screen presence, or off the UI thread.
/// Sends WM_ERASEBKGND first. End with EndPaint on the same thread.
HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT paint);
BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* paint);
/// A DC on the window's client area (callable from any thread); NULL on failure. Give it back
/// with ReleaseDC on the same thread.
HDC GetDC(HWND hWnd);
HDC GetWindowDC(HWND hWnd);
/// Returns 1 when the DC was released, 0 when it was not a DC of that window.
int ReleaseDC(HWND hWnd, HDC dc);

// Layered windows
#define LWA_COLORKEY 0x00000001u
#define LWA_ALPHA 0x00000002u
/// Pixels of the key colour become see-through and let clicks through (without a compositor
/// the window's shape leaves them out) and LWA_ALPHA sets the whole window's opacity. FALSE for a window
/// without WS_EX_LAYERED or without a screen presence.
BOOL SetLayeredWindowAttributes(HWND hWnd, COLORREF colorKey, BYTE alpha, DWORD flags);
