#include <gtest/gtest.h>

#include "testwindow.h"

TEST(TimerTest, FiresInsideANestedModalLoopAndStopsWhenKilled) {
  TestWindow window;
  volatile BOOL done = FALSE;
  int ticks = 0;
  window.handler = [&](UINT message, WPARAM wParam, LPARAM) -> LRESULT {
    if (message == WM_TIMER && wParam == 2 && ++ticks == 3) done = TRUE;
    if (message == WM_TIMER && wParam == 2 && done) KillTimer(window.hwnd, 2);
    return 0;
  };
  ASSERT_EQ(SetTimer(window.hwnd, 2, 10, nullptr), 2u);
  RunModalLoop(&done);  // a modal dialog's loop: the view's timer must keep running
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(KillTimer(window.hwnd, 2));  // already gone
}

TEST(TimerTest, ThreadTimerCallsItsCallback) {
  static int calls = 0;
  static UINT_PTR seenId = 0;
  calls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR timerId, DWORD) {
    ++calls;
    seenId = timerId;
  });
  ASSERT_NE(id, 0u);
  PumpUntil([] { return calls > 0; });
  EXPECT_TRUE(KillTimer(nullptr, id));
  EXPECT_EQ(seenId, id);
}

TEST(TimerTest, TimersEndWithTheirWindowAndFailForUnknownWindows) {
  auto window = std::make_unique<TestWindow>();
  HWND hwnd = window->hwnd;
  ASSERT_EQ(SetTimer(hwnd, 7, 10, nullptr), 7u);
  window.reset();
  EXPECT_FALSE(KillTimer(hwnd, 7));
  EXPECT_EQ(SetTimer(hwnd, 7, 10, nullptr), 0u);
}
