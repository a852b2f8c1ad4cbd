#include "platform/mfc/winthread.h"

#include "platform/win32/handle.h"

namespace {

struct ThreadStart {
  AFX_THREADPROC proc;
  LPVOID parameter;
  CWinThread* thread;
};

DWORD WINAPI RunControllingFunction(LPVOID context) {
  ThreadStart start = *static_cast<ThreadStart*>(context);
  delete static_cast<ThreadStart*>(context);
  UINT code = start.proc(start.parameter);
  // The flag is read only now: a caller that started the thread suspended may clear it.
  if (start.thread->m_bAutoDelete) delete start.thread;
  return code;
}

}  // namespace

CWinThread::~CWinThread() {
  if (m_hThread) CloseHandle(m_hThread);
}

DWORD CWinThread::ResumeThread() { return m_hThread ? ::ResumeThread(m_hThread) : static_cast<DWORD>(-1); }

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter, int priority, UINT stackSize, DWORD createFlags,
                           LPSECURITY_ATTRIBUTES security) {
  if (!proc) return nullptr;
  auto* thread = new CWinThread;
  auto* start = new ThreadStart{proc, parameter, thread};
  // Always made suspended, so the handle is stored before the function can run (and delete).
  thread->m_hThread = CreateThread(security, stackSize, RunControllingFunction, start, CREATE_SUSPENDED, nullptr);
  if (!thread->m_hThread) {
    delete start;
    delete thread;
    return nullptr;
  }
  SetThreadPriority(thread->m_hThread, priority);
  if (!(createFlags & CREATE_SUSPENDED)) thread->ResumeThread();
  return thread;
}
