// Threads as kernel objects: create, wait (WaitForSingleObject), exit code, bounded terminate.
#pragma once

#include "platform/win32/handle.h"
#include "platform/win32/windef.h"

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID parameter);

#define CREATE_SUSPENDED 0x00000004u
#define STILL_ACTIVE 259u
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2

/// Starts a thread; returns NULL (last error set) when the system refuses one.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
/// Starts a thread created with CREATE_SUSPENDED; returns the previous suspend count.
DWORD ResumeThread(HANDLE thread);
/// STILL_ACTIVE while the thread runs, then the value its routine returned.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
/// A thread cannot be killed here: waits up to the terminate grace time for it to end on its
/// own. Returns TRUE if it ended; otherwise FALSE with ERROR_TIMEOUT, and the thread is left
/// to finish detached (its exit code becomes the one given once it ends).
BOOL TerminateThread(HANDLE thread, DWORD exitCode);
/// The grace time TerminateThread waits, in milliseconds (default 2000).
void SetTerminateThreadGrace(DWORD milliseconds);
BOOL SetThreadPriority(HANDLE thread, int priority);
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
