#include "platform/win32/thread.h"

#include <unistd.h>

#include <atomic>
#include <new>
#include <system_error>
#include <thread>

#include "platform/win32/error.h"
#include "platform/win32/kernel_object_p.h"
#include "platform/win32/sync.h"

using namespace win32_p;

namespace {

std::atomic<DWORD> g_terminateGrace{2000};
std::atomic<DWORD> g_nextThreadId{1000};
thread_local DWORD t_threadId = 0;

struct Thread : KernelObject {
  LPTHREAD_START_ROUTINE start = nullptr;
  LPVOID parameter = nullptr;
  bool started = false;   // guarded by KernelMutex()
  bool finished = false;  // guarded by KernelMutex()
  bool terminated = false;
  DWORD exitCode = STILL_ACTIVE;
  DWORD terminateCode = 0;
  DWORD id = 0;
  bool isSignaled() const override { return finished; }
};

void RunThread(Thread* thread) {
  t_threadId = thread->id;
  DWORD code = thread->start(thread->parameter);
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    thread->exitCode = thread->terminated ? thread->terminateCode : code;
    thread->finished = true;
  }
  KernelSignal().notify_all();
  ReleaseKernelObject(thread);  // the reference the running thread held
}

// Starts the OS thread for a thread whose start the caller has claimed; the thread object
// stays alive until both the handle and the running thread let go of it. Threads are
// detached: waiting is done on the object, not by join.
bool Launch(Thread* thread) {
  thread->refs.fetch_add(1);
  try {
    std::thread(RunThread, thread).detach();
  } catch (const std::system_error&) {
    thread->refs.fetch_sub(1);
    std::lock_guard<std::mutex> lock(KernelMutex());
    thread->started = false;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  return true;
}

Thread* RetainThread(HANDLE handle) { return RetainKernelObjectAs<Thread>(handle); }

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId) {
  if (!start) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* thread = new (std::nothrow) Thread;
  if (!thread) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  thread->start = start;
  thread->parameter = parameter;
  thread->id = g_nextThreadId.fetch_add(1);
  if (threadId) *threadId = thread->id;
  const bool run = !(creationFlags & CREATE_SUSPENDED);
  thread->started = run;
  HANDLE handle = RegisterKernelObject(thread);
  if (run && !Launch(thread)) {
    CloseHandle(handle);
    return nullptr;
  }
  return handle;
}

DWORD ResumeThread(HANDLE handle) {
  Thread* thread = RetainThread(handle);
  if (!thread) return static_cast<DWORD>(-1);
  bool claimed = false;
  {
    // Claimed under the lock so that two resumes never start the routine twice.
    std::lock_guard<std::mutex> lock(KernelMutex());
    if (!thread->started) thread->started = claimed = true;
  }
  DWORD previous = 0;
  if (claimed) previous = Launch(thread) ? 1 : static_cast<DWORD>(-1);
  ReleaseKernelObject(thread);
  return previous;
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
  Thread* thread = RetainThread(handle);
  if (!thread) return FALSE;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    if (exitCode) *exitCode = thread->finished ? thread->exitCode : STILL_ACTIVE;
  }
  ReleaseKernelObject(thread);
  return TRUE;
}

BOOL TerminateThread(HANDLE handle, DWORD exitCode) {
  Thread* thread = RetainThread(handle);
  if (!thread) return FALSE;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    thread->terminated = true;
    thread->terminateCode = exitCode;
  }
  DWORD waited = WaitForSingleObject(handle, g_terminateGrace.load());
  ReleaseKernelObject(thread);
  if (waited == WAIT_OBJECT_0) return TRUE;
  SetLastError(ERROR_TIMEOUT);
  return FALSE;
}

void SetTerminateThreadGrace(DWORD milliseconds) { g_terminateGrace = milliseconds; }

BOOL SetThreadPriority(HANDLE handle, int) {
  Thread* thread = RetainThread(handle);
  if (!thread) return FALSE;
  ReleaseKernelObject(thread);
  return TRUE;  // scheduling priority is left to the system
}

DWORD GetCurrentThreadId() {
  if (t_threadId == 0) t_threadId = g_nextThreadId.fetch_add(1);
  return t_threadId;
}
DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }
