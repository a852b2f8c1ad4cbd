// Worker threads the MFC way: AfxBeginThread starts a controlling function on a new thread and
// hands back its CWinThread, which deletes itself when the function returns unless the caller
// cleared m_bAutoDelete while the thread was still suspended.
#pragma once

#include "platform/mfc/winapp.h"
#include "platform/win32/thread.h"

typedef UINT (*AFX_THREADPROC)(LPVOID parameter);

/// Returns NULL when the system refuses a thread. With CREATE_SUSPENDED the thread waits for
/// CWinThread::ResumeThread.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);
