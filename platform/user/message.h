// Sending and posting messages, the message loop and registered messages.
// Posted messages keep their order per thread (so per window). A message sent to a window of
// another thread blocks until the owner thread ran the window procedure; while it waits, the
// sending thread keeps running messages that other threads send to its own windows.
#pragma once

#include <string>

#include "platform/user/winmsg.h"

/// Runs the window procedure (on its owner thread) and returns its result; 0 with
/// ERROR_INVALID_WINDOW_HANDLE for an unknown window. A window of another process that does
/// not answer within 10 s gives 0 with ERROR_TIMEOUT.
LRESULT SendMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
#define SendMessage SendMessageA
/// Queues the message on the window's thread from any thread; FALSE for an unknown window.
/// A NULL window posts to the calling thread.
BOOL PostMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
#define PostMessage PostMessageA
#define SMTO_NORMAL 0x0000u
#define SMTO_BLOCK 0x0001u
#define SMTO_ABORTIFHUNG 0x0002u
/// SendMessage that gives up on a window of another process after `timeout` ms: returns 0
/// with ERROR_TIMEOUT (hung) or ERROR_INVALID_WINDOW_HANDLE (gone), else non-zero with the
/// procedure's result in *result. Windows of this process are waited for as SendMessage does.
LRESULT SendMessageTimeoutA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                            DWORD_PTR* result);
#define SendMessageTimeout SendMessageTimeoutA
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
#define SendDlgItemMessage SendDlgItemMessageA

/// Waits for the next posted message of the calling thread; returns 0 for WM_QUIT, -1 when
/// called on the UI thread (its loop is the application's: see RunUiMessageLoop).
BOOL GetMessageA(LPMSG msg, HWND hWnd, UINT filterMin, UINT filterMax);
#define GetMessage GetMessageA
#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u
/// Runs pending sent messages, then returns TRUE with the next posted message if there is one.
BOOL PeekMessageA(LPMSG msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeFlags);
#define PeekMessage PeekMessageA
LRESULT DispatchMessageA(const MSG* msg);
#define DispatchMessage DispatchMessageA
BOOL TranslateMessage(const MSG* msg);
/// Ends the calling thread's message loop with the given exit code (the UI thread's ends the
/// application loop and any modal loop inside it).
void PostQuitMessage(int exitCode);

/// The same name (case-insensitive) always gives the same number in 0xC000-0xFFFF, in every
/// process; returns 0 for a NULL or empty name.
UINT RegisterWindowMessageA(LPCSTR name);
#define RegisterWindowMessage RegisterWindowMessageA
/// Why other processes cannot reach this process's windows (no usable private station folder,
/// or its listener could not start), for telling the user; "" when they can.
std::string GetStationProblem();

/// TRUE when the calling thread is the UI thread (the one that runs the application object).
BOOL IsUiThread();
/// Runs the UI thread's message loop until PostQuitMessage; returns the exit code.
int RunUiMessageLoop();
/// Runs nested message loops until *done is set (modal windows). Whoever sets it from outside
/// a message or timer handler posts a WM_NULL to the thread (PostMessage(NULL, ...)) so the
/// loop looks again. Ends early after PostQuitMessage.
void RunModalLoop(const volatile BOOL* done);
/// Runs the messages already queued for the calling thread, then returns.
void PumpWaitingMessages();

/// What the UI thread's loop offers every message before dispatching it (posted messages and
/// keyboard and mouse input); a filter that returns TRUE keeps the message from its window.
/// The class library installs its pre-translation (accelerators, dialog keys) here.
typedef BOOL (*MESSAGEFILTER)(MSG* msg);
void SetUiMessageFilter(MESSAGEFILTER filter);
/// Offers a message to the filter, then dispatches it unless the filter took it.
LRESULT FilterAndDispatch(MSG* msg);
