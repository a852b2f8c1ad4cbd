// Cursors: the system set, cursors from files, SetCursor and ShowCursor.
#pragma once

#include "platform/win32/windef.h"

#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)

#define IDC_ARROW MAKEINTRESOURCE(32512)
#define IDC_IBEAM MAKEINTRESOURCE(32513)
#define IDC_WAIT MAKEINTRESOURCE(32514)
#define IDC_CROSS MAKEINTRESOURCE(32515)
#define IDC_SIZENWSE MAKEINTRESOURCE(32642)
#define IDC_SIZENESW MAKEINTRESOURCE(32643)
#define IDC_SIZEWE MAKEINTRESOURCE(32644)
#define IDC_SIZENS MAKEINTRESOURCE(32645)
#define IDC_SIZEALL MAKEINTRESOURCE(32646)
#define IDC_NO MAKEINTRESOURCE(32648)
#define IDC_HAND MAKEINTRESOURCE(32649)
#define IDC_APPSTARTING MAKEINTRESOURCE(32650)

/// A system cursor (instance NULL and an IDC_ value), or with the program's instance one of its
/// cursor resources (210 is 32 x 32 and all transparent; others are the shipped
/// cursors/<id>.png); NULL for anything else. Never freed.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
#define LoadCursor LoadCursorA
/// A cursor from an image file (.cur, .png, ...), hot spot in the middle for plain images;
/// NULL when the file cannot be read. Free with DestroyCursor.
HCURSOR LoadCursorFromFileA(LPCSTR path);
#define LoadCursorFromFile LoadCursorFromFileA
BOOL DestroyCursor(HCURSOR cursor);
/// Shows the cursor over the window under the mouse; returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
/// Keeps a display count: the cursor is hidden while it is below 0. Returns the new count.
int ShowCursor(BOOL show);
BOOL GetCursorPos(LPPOINT point);
BOOL SetCursorPos(int x, int y);
