// Window scroll bars (WS_HSCROLL / WS_VSCROLL): the window keeps a range, a page and a
// position per bar and hears of the user's moves by WM_HSCROLL / WM_VSCROLL with an SB_ code.
// The position is kept within nMin .. nMax - nPage + 1. The bars sit inside the window's
// right and bottom edges and are left out of its client rectangle.
#pragma once

#include "platform/user/controls.h"
#include "platform/user/window.h"

#define SB_HORZ 0
#define SB_VERT 1
#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7

#define SIF_RANGE 0x0001u
#define SIF_PAGE 0x0002u
#define SIF_POS 0x0004u
#define SIF_DISABLENOSCROLL 0x0008u
#define SIF_TRACKPOS 0x0010u
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)

struct SCROLLINFO {
  UINT cbSize;
  UINT fMask;
  int nMin;
  int nMax;
  UINT nPage;
  int nPos;
  int nTrackPos;
};
typedef SCROLLINFO* LPSCROLLINFO;
typedef const SCROLLINFO* LPCSCROLLINFO;

/// Sets the fields fMask names; returns the new position (0 for a window without that bar).
int SetScrollInfo(HWND hWnd, int bar, LPCSCROLLINFO info, BOOL redraw);
/// Fills the fields fMask names; FALSE for a window without that bar.
BOOL GetScrollInfo(HWND hWnd, int bar, LPSCROLLINFO info);
/// Moves the thumb; returns the previous position.
int SetScrollPos(HWND hWnd, int bar, int position, BOOL redraw);
int GetScrollPos(HWND hWnd, int bar);
