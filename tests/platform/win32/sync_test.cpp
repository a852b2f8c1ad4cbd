#include "platform/win32/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/win32/error.h"
#include "platform/win32/handle.h"

TEST(SyncTest, AutoResetEventReleasesOneWaitThenClears) {
  HANDLE event = CreateEvent(nullptr, FALSE, TRUE, nullptr);
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(SetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(event));
}

TEST(SyncTest, ManualResetEventStaysSignalledUntilReset) {
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  SetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  ResetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  CloseHandle(event);
}

TEST(SyncTest, WaitTimesOutWithoutSignal) {
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ(WaitForSingleObject(event, 30), WAIT_TIMEOUT);
  EXPECT_GE(GetTickCount64() - start, 29u);
  CloseHandle(event);
}

TEST(SyncTest, WaitWakesWhenAnotherThreadSignals) {
  HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  std::thread setter([event] { SetEvent(event); });
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  setter.join();
  CloseHandle(event);
}

TEST(SyncTest, WaitForMultipleAnyReportsFirstSignalledIndex) {
  HANDLE events[3] = {CreateEvent(nullptr, TRUE, FALSE, nullptr), CreateEvent(nullptr, TRUE, FALSE, nullptr),
                      CreateEvent(nullptr, FALSE, FALSE, nullptr)};
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT);
  SetEvent(events[2]);
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 2);
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT) << "auto-reset event consumed";
  SetEvent(events[1]);
  SetEvent(events[2]);
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 1);
  for (HANDLE event : events) CloseHandle(event);
}

TEST(SyncTest, WaitForMultipleAllNeedsEveryObject) {
  HANDLE events[2] = {CreateEvent(nullptr, TRUE, FALSE, nullptr), CreateEvent(nullptr, FALSE, FALSE, nullptr)};
  SetEvent(events[0]);
  EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, 0), WAIT_TIMEOUT);
  SetEvent(events[1]);
  EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(events[1], 0), WAIT_TIMEOUT) << "the auto-reset one was consumed";
  EXPECT_EQ(WaitForSingleObject(events[0], 0), WAIT_OBJECT_0);
  for (HANDLE event : events) CloseHandle(event);
}

TEST(SyncTest, BadHandlesFailInsteadOfCrashing) {
  int notAnObject = 0;
  HANDLE closed = CreateEvent(nullptr, TRUE, TRUE, nullptr);
  CloseHandle(closed);
  struct Case {
    const char* what;
    HANDLE handle;
  } cases[] = {{"null", nullptr}, {"invalid", INVALID_HANDLE_VALUE}, {"made up", &notAnObject}, {"closed", closed}};
  for (const Case& row : cases) {
    SCOPED_TRACE(row.what);
    SetLastError(0);
    EXPECT_EQ(WaitForSingleObject(row.handle, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(SetEvent(row.handle));
    EXPECT_FALSE(ResetEvent(row.handle));
  }
  HANDLE good = CreateEvent(nullptr, TRUE, TRUE, nullptr);
  HANDLE mixed[2] = {good, &notAnObject};
  EXPECT_EQ(WaitForMultipleObjects(2, mixed, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(0, mixed, FALSE, 0), WAIT_FAILED);
  CloseHandle(good);
}

TEST(SyncTest, NamedEventIsSharedUntilLastHandleCloses) {
  HANDLE first = CreateEvent(nullptr, TRUE, FALSE, "TavorinTestNamedEvent");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  HANDLE second = CreateEvent(nullptr, TRUE, FALSE, "TavorinTestNamedEvent");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  SetEvent(second);
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(first));
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0) << "still open through the second handle";
  EXPECT_TRUE(CloseHandle(second));

  HANDLE fresh = CreateEvent(nullptr, TRUE, FALSE, "TavorinTestNamedEvent");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_TIMEOUT);
  CloseHandle(fresh);
}

TEST(SyncTest, NamedEventOpenedConcurrentlyIsOneEvent) {
  constexpr int kThreads = 8;
  HANDLE handles[kThreads];
  std::thread threads[kThreads];
  for (int i = 0; i < kThreads; ++i)
    threads[i] = std::thread([&handles, i] { handles[i] = CreateEvent(nullptr, TRUE, FALSE, "TavorinTestRace"); });
  for (std::thread& thread : threads) thread.join();
  for (int i = 1; i < kThreads; ++i) EXPECT_EQ(handles[i], handles[0]);
  for (HANDLE handle : handles) EXPECT_TRUE(CloseHandle(handle));
  EXPECT_FALSE(CloseHandle(handles[0]));
}

TEST(SyncTest, CriticalSectionIsRecursiveAndExcludesOthers) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EnterCriticalSection(&cs);  // the printer lock is re-entered by its holder
  std::atomic<int> otherGot{-1};
  std::thread other([&] { otherGot = TryEnterCriticalSection(&cs); });
  other.join();
  EXPECT_EQ(otherGot, FALSE);
  LeaveCriticalSection(&cs);
  std::thread stillHeld([&] { otherGot = TryEnterCriticalSection(&cs); });
  stillHeld.join();
  EXPECT_EQ(otherGot, FALSE);
  LeaveCriticalSection(&cs);
  std::thread free([&] {
    otherGot = TryEnterCriticalSection(&cs);
    if (otherGot) LeaveCriticalSection(&cs);
  });
  free.join();
  EXPECT_EQ(otherGot, TRUE);
  DeleteCriticalSection(&cs);
}

TEST(SyncTest, InterlockedCountersAreAtomic) {
  LONG volatile counter = 0;
  std::thread threads[4];
  for (std::thread& thread : threads)
    thread = std::thread([&] {
      for (int i = 0; i < 10000; ++i) InterlockedIncrement(&counter);
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counter, 40000);
  EXPECT_EQ(InterlockedDecrement(&counter), 39999);
  EXPECT_EQ(InterlockedExchange(&counter, 5), 39999);
  EXPECT_EQ(InterlockedCompareExchange(&counter, 9, 4), 5) << "no swap when the comparand differs";
  EXPECT_EQ(counter, 5);
  EXPECT_EQ(InterlockedCompareExchange(&counter, 9, 5), 5);
  EXPECT_EQ(counter, 9);
}

TEST(SyncTest, TickCountsAreMonotonicAndAgree) {
  ULONGLONG before = GetTickCount64();
  Sleep(5);
  ULONGLONG after = GetTickCount64();
  EXPECT_GE(after - before, 5u);
  // The 32-bit count is the low half of the same clock, so differences agree across a wrap.
  EXPECT_GE(static_cast<DWORD>(GetTickCount() - static_cast<DWORD>(before)), 5u);
}
