// AfxBeginThread: the controlling function runs once on its own thread, a suspended start
// waits for ResumeThread, and a kept thread object can be waited on through its handle.
#include "platform/mfc/winthread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/win32/sync.h"

namespace {

std::atomic<int> g_runs{0};
std::atomic<DWORD> g_runner{0};

UINT CountRun(LPVOID parameter) {
  g_runner = GetCurrentThreadId();
  ++g_runs;
  return static_cast<UINT>(reinterpret_cast<intptr_t>(parameter));
}

}  // namespace

TEST(WinThreadTest, KeptThreadRunsOnceOnAnotherThreadAndReturnsItsCode) {
  g_runs = 0;
  CWinThread* thread = AfxBeginThread(CountRun, reinterpret_cast<LPVOID>(intptr_t{7}), THREAD_PRIORITY_NORMAL, 0,
                                      CREATE_SUSPENDED);
  ASSERT_NE(nullptr, thread);
  thread->m_bAutoDelete = FALSE;
  Sleep(20);
  EXPECT_EQ(0, g_runs.load());  // suspended until resumed
  thread->ResumeThread();
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread->m_hThread, 5000));
  DWORD code = 0;
  GetExitCodeThread(thread->m_hThread, &code);
  EXPECT_EQ(7u, code);
  EXPECT_EQ(1, g_runs.load());
  EXPECT_NE(GetCurrentThreadId(), g_runner.load());
  delete thread;
}

TEST(WinThreadTest, AutoDeletingThreadsCleanUpAfterThemselves) {
  g_runs = 0;
  for (int i = 0; i < 20; ++i) ASSERT_NE(nullptr, AfxBeginThread(CountRun, nullptr));
  for (int i = 0; i < 500 && g_runs.load() < 20; ++i) Sleep(10);
  EXPECT_EQ(20, g_runs.load());
  Sleep(50);  // let the last ones delete their objects before the leak check
}

TEST(WinThreadTest, NoFunctionNoThread) { EXPECT_EQ(nullptr, AfxBeginThread(nullptr, nullptr)); }
