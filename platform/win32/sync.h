// Critical sections, events, waits, interlocked counters, Sleep and the tick counters.
#pragma once

#include <mutex>

#include "platform/win32/handle.h"
#include "platform/win32/windef.h"

/// Recursive, like the platform's: the printer lock is re-entered by the thread holding it.
struct CRITICAL_SECTION {
  alignas(std::recursive_mutex) unsigned char storage[sizeof(std::recursive_mutex)];
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION cs);
void DeleteCriticalSection(LPCRITICAL_SECTION cs);
void EnterCriticalSection(LPCRITICAL_SECTION cs);
void LeaveCriticalSection(LPCRITICAL_SECTION cs);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs);

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64

/// Named events are shared within this process only: a second open of the same name returns
/// the same event with ERROR_ALREADY_EXISTS. Returns NULL on failure.
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
#define CreateEvent CreateEventA
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

/// Waits for an event or a thread; WAIT_FAILED (ERROR_INVALID_HANDLE) for a bad handle.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
/// Returns WAIT_OBJECT_0 + index of the first signalled object (or all, when waitAll).
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

void Sleep(DWORD milliseconds);
/// Milliseconds since an arbitrary start, monotonic; wraps after 49.7 days like the original.
DWORD GetTickCount();
/// Monotonic milliseconds that never wrap; use it for deadlines.
ULONGLONG GetTickCount64();

LONG InterlockedIncrement(LONG volatile* value);
LONG InterlockedDecrement(LONG volatile* value);
LONG InterlockedExchange(LONG volatile* target, LONG value);
LONG InterlockedCompareExchange(LONG volatile* target, LONG exchange, LONG comparand);
