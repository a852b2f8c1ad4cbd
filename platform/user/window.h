// Windows: classes, creation and destruction, the handle table, geometry, text and state.
// A window belongs to the thread that created it; functions that change a window's screen
// state may be called from any thread and run on the owner thread. Window handles are 32-bit
// values (see HandleToDword) and never 0 or 0xFFFF.
#pragma once

#include "platform/user/winmsg.h"

// Window styles
#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_MINIMIZE 0x20000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CLIPSIBLINGS 0x04000000u
#define WS_CLIPCHILDREN 0x02000000u
#define WS_MAXIMIZE 0x01000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_DLGFRAME 0x00400000u
#define WS_VSCROLL 0x00200000u
#define WS_HSCROLL 0x00100000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_OVERLAPPEDWINDOW \
  (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)

#define WS_EX_TOPMOST 0x00000008u
#define WS_EX_ACCEPTFILES 0x00000010u
#define WS_EX_TRANSPARENT 0x00000020u
#define WS_EX_TOOLWINDOW 0x00000080u
#define WS_EX_LAYERED 0x00080000u

#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_TLW_WITH_WSCHILD 1406L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_CLASS_ALREADY_EXISTS 1410L

#define CW_USEDEFAULT ((int)0x80000000)

// Special window handles
#define HWND_MESSAGE ((HWND)(LONG_PTR)-3)
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)(LONG_PTR)-1)
#define HWND_NOTOPMOST ((HWND)(LONG_PTR)-2)
#define HWND_BROADCAST ((HWND)0xffff)

// ShowWindow
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

// SetWindowPos
#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u
#define SWP_NOREDRAW 0x0008u
#define SWP_NOACTIVATE 0x0010u
#define SWP_FRAMECHANGED 0x0020u
#define SWP_SHOWWINDOW 0x0040u
#define SWP_HIDEWINDOW 0x0080u

// GetWindowLongPtr
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWLP_USERDATA (-21)
#define GWLP_ID (-12)
#define GWLP_WNDPROC (-4)

// Window class styles
#define CS_VREDRAW 0x0001u
#define CS_HREDRAW 0x0002u
#define CS_DBLCLKS 0x0008u

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};
typedef WNDCLASSA WNDCLASS;

struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};
typedef CREATESTRUCTA CREATESTRUCT;
typedef CREATESTRUCTA* LPCREATESTRUCT;

/// Registers a window class for this process; returns 0 when the name is taken or missing.
WORD RegisterClassA(const WNDCLASSA* wndClass);
#define RegisterClass RegisterClassA

/// Creates a window of a registered or built-in class ("BUTTON", "EDIT", "STATIC", "COMBOBOX",
/// "LISTBOX", "msctls_trackbar32", "msctls_updown32", "msctls_progress32", "#32770"). For
/// child windows `menu` is the control id. With parent HWND_MESSAGE, or when called off the
/// UI thread, the window is message-only (it has no screen presence). Sends WM_CREATE
/// (a result of -1 destroys the window) and returns NULL (last error set) on failure.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
#define CreateWindowEx CreateWindowExA
/// Sends WM_DESTROY (children first) and frees the handle; FALSE for an unknown window.
BOOL DestroyWindow(HWND hWnd);
/// TRUE while the handle names a live window (callable from any thread).
BOOL IsWindow(HWND hWnd);

LONG_PTR GetWindowLongPtrA(HWND hWnd, int index);
/// Returns the previous value; 0 with ERROR_INVALID_WINDOW_HANDLE for an unknown window.
LONG_PTR SetWindowLongPtrA(HWND hWnd, int index, LONG_PTR value);
#define GetWindowLongPtr GetWindowLongPtrA
#define SetWindowLongPtr SetWindowLongPtrA
#define GetWindowLong GetWindowLongPtrA
#define SetWindowLong SetWindowLongPtrA

HWND GetParent(HWND hWnd);
/// The modal window that the window's top-level window (or a window it owns) has open now;
/// the window itself when there is none, NULL for an unknown window.
HWND GetLastActivePopup(HWND hWnd);
/// The child with the given control id, or NULL.
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND hWnd);
/// The id of the thread that owns the window (0 for an unknown window); for another process's
/// window, its process id in both places.
DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD processId);

typedef BOOL(CALLBACK* WNDENUMPROC)(HWND, LPARAM);
/// Calls `callback` for every top-level window of this process, then of the other processes
/// of the window station, until it returns FALSE; FALSE when the callback stopped it.
BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam);
/// The first top-level window (this process first, then the station's) whose class and
/// title match exactly, class without regard to case; a NULL argument matches any. NULL
/// when none matches.
HWND FindWindowA(LPCSTR className, LPCSTR windowName);
#define FindWindow FindWindowA

#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5
/// Siblings in creation order (GW_HWNDNEXT/PREV/FIRST/LAST), the first child (GW_CHILD) or
/// the owner of a top-level window (GW_OWNER); NULL when there is none.
HWND GetWindow(HWND hWnd, UINT command);
/// The class name in lower case as registered; returns its length, 0 for an unknown window.
int GetClassNameA(HWND hWnd, LPSTR name, int maxCount);
#define GetClassName GetClassNameA

BOOL SetWindowTextA(HWND hWnd, LPCSTR text);
/// Copies at most maxCount-1 characters and a terminator; returns the length copied.
int GetWindowTextA(HWND hWnd, LPSTR text, int maxCount);
int GetWindowTextLengthA(HWND hWnd);
#define SetWindowText SetWindowTextA
#define GetWindowText GetWindowTextA
#define GetWindowTextLength GetWindowTextLengthA
BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount);
#define SetDlgItemText SetDlgItemTextA
#define GetDlgItemText GetDlgItemTextA

/// Returns TRUE if the window was visible before.
BOOL ShowWindow(HWND hWnd, int command);
BOOL IsWindowVisible(HWND hWnd);
/// Returns TRUE if the window was disabled before.
BOOL EnableWindow(HWND hWnd, BOOL enable);
BOOL IsWindowEnabled(HWND hWnd);
BOOL IsIconic(HWND hWnd);
BOOL IsZoomed(HWND hWnd);

BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint);
/// Moves, sizes and orders a window; HWND_TOPMOST keeps it above other windows.
BOOL SetWindowPos(HWND hWnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
/// Window rectangle in screen coordinates (children too). For a top-level window it is the
/// frame rectangle, exactly what MoveWindow/SetWindowPos/CreateWindowEx were given.
BOOL GetWindowRect(HWND hWnd, LPRECT rect);
struct WINDOWPLACEMENT {
  UINT length;
  UINT flags;
  UINT showCmd;
  POINT ptMinPosition;
  POINT ptMaxPosition;
  RECT rcNormalPosition;
};
typedef WINDOWPLACEMENT* LPWINDOWPLACEMENT;
/// showCmd is SW_SHOWNORMAL, SW_SHOWMAXIMIZED or SW_SHOWMINIMIZED; rcNormalPosition is the
/// frame rectangle of the restored window in screen coordinates.
BOOL GetWindowPlacement(HWND hWnd, LPWINDOWPLACEMENT placement);
/// Sets the restored rectangle, then shows the window as showCmd says.
BOOL SetWindowPlacement(HWND hWnd, const WINDOWPLACEMENT* placement);

/// Client rectangle: always (0, 0, width, height).
BOOL GetClientRect(HWND hWnd, LPRECT rect);
BOOL ScreenToClient(HWND hWnd, LPPOINT point);
BOOL ClientToScreen(HWND hWnd, LPPOINT point);

/// Returns the window that had the focus before, or NULL.
HWND SetFocus(HWND hWnd);
HWND GetFocus();
HWND SetCapture(HWND hWnd);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL SetForegroundWindow(HWND hWnd);
HWND GetForegroundWindow();
HWND GetDesktopWindow();

/// Schedules a repaint; a NULL rectangle means the whole client area.
BOOL InvalidateRect(HWND hWnd, LPCRECT rect, BOOL erase);
/// Paints pending invalid areas now (owner thread), else schedules them.
BOOL UpdateWindow(HWND hWnd);

/// Default handling: WM_CLOSE destroys the window, WM_GETTEXT/WM_SETTEXT use its text, the
/// rest returns 0.
LRESULT DefWindowProcA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
#define DefWindowProc DefWindowProcA
LRESULT CallWindowProcA(WNDPROC proc, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
#define CallWindowProc CallWindowProcA

/// Screen metrics for the primary screen.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
int GetSystemMetrics(int index);

#define SPI_GETWORKAREA 0x0030
/// SPI_GETWORKAREA: the primary screen less the desktop's panels, into the RECT at `pvParam`.
/// FALSE (ERROR_INVALID_PARAMETER) for other actions or a NULL `pvParam`.
BOOL SystemParametersInfoA(UINT action, UINT uiParam, PVOID pvParam, UINT winIni);
#define SystemParametersInfo SystemParametersInfoA
