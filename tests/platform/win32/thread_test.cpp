#include "platform/win32/thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/win32/error.h"
#include "platform/win32/handle.h"
#include "platform/win32/sync.h"

namespace {

struct Gate {
  HANDLE go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> runs{0};
  ~Gate() { CloseHandle(go); }
};

DWORD WINAPI WaitForGate(LPVOID parameter) {
  auto* gate = static_cast<Gate*>(parameter);
  gate->runs++;
  WaitForSingleObject(gate->go, INFINITE);
  return 42;
}

}  // namespace

TEST(ThreadTest, ExitCodeIsStillActiveUntilTheRoutineReturns) {
  Gate gate;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, WaitForGate, &gate, 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
  SetEvent(gate.go);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_TRUE(CloseHandle(thread));
}

TEST(ThreadTest, SuspendedThreadRunsOnceAfterResume) {
  Gate gate;
  SetEvent(gate.go);
  HANDLE thread = CreateThread(nullptr, 0, WaitForGate, &gate, CREATE_SUSPENDED, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);
  EXPECT_EQ(gate.runs, 0);
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(ResumeThread(thread), 0u);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(gate.runs, 1);
  CloseHandle(thread);
}

TEST(ThreadTest, TerminateGivesUpOnAThreadThatWillNotStop) {
  SetTerminateThreadGrace(30);
  Gate gate;
  HANDLE thread = CreateThread(nullptr, 0, WaitForGate, &gate, 0, nullptr);
  ULONGLONG start = GetTickCount64();
  SetLastError(0);
  EXPECT_FALSE(TerminateThread(thread, 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_LT(GetTickCount64() - start, 1000u);
  // Once it ends on its own it reports the code it was terminated with.
  SetEvent(gate.go);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 1u);
  CloseHandle(thread);
  SetTerminateThreadGrace(2000);
}

TEST(ThreadTest, TerminateSucceedsForAThreadThatEndsInTime) {
  SetTerminateThreadGrace(5000);
  Gate gate;
  SetEvent(gate.go);
  HANDLE thread = CreateThread(nullptr, 0, WaitForGate, &gate, 0, nullptr);
  EXPECT_TRUE(TerminateThread(thread, 1));
  CloseHandle(thread);
  SetTerminateThreadGrace(2000);
}

TEST(ThreadTest, HandleClosedWhileRunningKeepsTheThreadSafe) {
  Gate gate;
  HANDLE thread = CreateThread(nullptr, 0, WaitForGate, &gate, 0, nullptr);
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_FALSE(CloseHandle(thread)) << "a second close must not drop the running thread's reference";
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeThread(thread, &code));
  // Let it finish; the running thread still owns the object and frees it at the end.
  while (gate.runs == 0) Sleep(1);
  SetEvent(gate.go);
  Sleep(20);
}

TEST(ThreadTest, BadHandlesAndArgumentsFail) {
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeThread(nullptr, &code));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(TerminateThread(nullptr, 0));
  EXPECT_EQ(ResumeThread(nullptr), static_cast<DWORD>(-1));
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(GetExitCodeThread(event, &code)) << "an event is not a thread";
  CloseHandle(event);
}

TEST(ThreadTest, CurrentThreadIdDiffersBetweenThreads) {
  DWORD mine = GetCurrentThreadId();
  EXPECT_EQ(GetCurrentThreadId(), mine);
  DWORD created = 0;
  HANDLE thread = CreateThread(
      nullptr, 0, [](LPVOID out) -> DWORD {
        *static_cast<DWORD*>(out) = GetCurrentThreadId();
        return 0;
      },
      &created, 0, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_NE(created, mine);
}
