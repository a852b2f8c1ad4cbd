// The connect worker's thread and the message by which it reaches the view's frame.
#pragma once

#include "platform/win32/windef.h"

/// Sent by the connect worker: lParam is a text for status pane 0 (valid during the call);
/// wParam 1 also makes it the main window's title.
#define WM_CONNECT_STATUS 2060

/// Thread entry: runs the view's ConnectToCamera and returns 0. `parameter` is the view.
DWORD WINAPI ConnectThreadProc(LPVOID parameter);

/// Reads a learned-value list; false when it is missing, not REG_MULTI_SZ or not closed by a double NUL.
bool ReadLearnedValues(HKEY cache, const char* name, char* buffer, DWORD capacity);
