// Files dropped on a window (WM_DROPFILES).
#pragma once

#include "platform/win32/windef.h"

/// Lets the window receive WM_DROPFILES.
void DragAcceptFiles(HWND hWnd, BOOL accept);
/// With index 0xFFFFFFFF returns the number of files; with a NULL buffer the length of file
/// `index`; else copies it (truncated to size-1) and returns the characters copied. 0 for a
/// bad index or handle.
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size);
#define DragQueryFile DragQueryFileA
/// Where the files were dropped, in client coordinates.
BOOL DragQueryPoint(HDROP drop, LPPOINT point);
/// Frees the drop block; the window procedure that got WM_DROPFILES owns it.
void DragFinish(HDROP drop);

#include <functional>
#include <string>
#include <vector>

/// Opens a file or address with the desktop's default program (xdg-open); the verb, the
/// parameters and the folder are not used. Returns a value above 32 when it was started.
HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show);
#define ShellExecute ShellExecuteA
/// Test seam: receives the argv in place of starting it, returns whether it "started";
/// an empty function restores the real start.
void SetShellExecuteHookForTesting(std::function<bool(const std::vector<std::string>&)> hook);
