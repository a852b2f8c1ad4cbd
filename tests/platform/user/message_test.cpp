#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <memory>
#include <thread>

#include "platform/win32/error.h"
#include "testwindow.h"

TEST(MessageTest, WindowHandlesAreThirtyTwoBitAndNeverSpecial) {
  std::vector<std::unique_ptr<TestWindow>> windows;
  for (int i = 0; i < 20; ++i) windows.push_back(std::make_unique<TestWindow>());
  for (auto& window : windows) {
    ASSERT_TRUE(window->hwnd);
    DWORD value = HandleToDword(window->hwnd);
    EXPECT_EQ(DwordToHwnd(value), window->hwnd);  // nothing lost in a 4-byte field
    EXPECT_NE(value, 0u);
    EXPECT_NE(value, 0xFFFFu);
    EXPECT_TRUE(IsWindow(window->hwnd));
  }
  HWND first = windows[0]->hwnd;
  windows.clear();
  EXPECT_FALSE(IsWindow(first));
  TestWindow fresh;
  EXPECT_NE(fresh.hwnd, first);  // a stale handle never names a new window
}

TEST(MessageTest, UnknownWindowFailsTheWayCallersExpect) {
  HWND bogus = DwordToHwnd(0x7FFFFFF0u);
  SetLastError(0);
  EXPECT_EQ(SendMessageA(bogus, WM_USER, 0, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(PostMessageA(bogus, WM_USER, 0, 0));
  EXPECT_FALSE(IsWindow(bogus));
  EXPECT_FALSE(DestroyWindow(bogus));
  EXPECT_FALSE(IsWindow(nullptr));
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST(MessageTest, SameThreadSendCallsTheProcedureDirectly) {
  TestWindow window;
  window.handler = [](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    return message == WM_USER + 5 ? static_cast<LRESULT>(wParam * 100 + lParam) : 0;
  };
  EXPECT_EQ(SendMessageA(window.hwnd, WM_USER + 5, 4, 2), 402);
}

TEST(MessageTest, PostedMessagesFromThreadsArriveOnUiThreadInOrderPerWindow) {
  TestWindow a, b;
  const int kThreads = 4, kEach = 150;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        PostMessageA(a.hwnd, WM_USER + 1, t, i);
        PostMessageA(b.hwnd, WM_USER + 1, t, i);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  ASSERT_TRUE(PumpUntil([&] {
    return a.Messages(WM_USER + 1).size() == kThreads * kEach && b.Messages(WM_USER + 1).size() == kThreads * kEach;
  }));
  DWORD ui = GetCurrentThreadId();
  for (TestWindow* window : {&a, &b}) {
    std::vector<LPARAM> last(kThreads, -1);
    for (const RecordedMessage& m : window->Messages(WM_USER + 1)) {
      EXPECT_EQ(m.thread, ui);
      EXPECT_EQ(m.lParam, last[m.wParam] + 1) << "thread " << m.wParam;
      last[m.wParam] = m.lParam;
    }
  }
}

TEST(MessageTest, CrossThreadSendReturnsTheProcedureResultFromTheUiThread) {
  TestWindow window;
  DWORD ui = GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  window.handler = [&](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message != WM_USER + 2) return 0;
    ranOn = GetCurrentThreadId();
    return static_cast<LRESULT>(wParam + lParam);
  };
  std::atomic<LRESULT> result{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    result = SendMessageA(window.hwnd, WM_USER + 2, 20, 22);
    done = true;
  });
  PumpUntil([&] { return done.load(); });
  worker.join();
  EXPECT_EQ(result, 42);
  EXPECT_EQ(ranOn, ui);
}

TEST(MessageTest, BlockedSenderStillServesMessagesSentToItsOwnWindow) {
  TestWindow ui;
  std::atomic<bool> done{false};
  std::atomic<LRESULT> result{0};
  std::atomic<DWORD> workerThread{0}, servedOn{0};
  ui.handler = [&](UINT message, WPARAM wParam, LPARAM) -> LRESULT {
    if (message != WM_USER + 3) return 0;
    // The worker is blocked sending to us; sending back to its window must not deadlock.
    HWND workerWindow = reinterpret_cast<HWND>(wParam);
    return SendMessageA(workerWindow, WM_USER + 4, 0, 0) + 1;
  };
  std::thread worker([&] {
    workerThread = GetCurrentThreadId();
    TestWindow own(HWND_MESSAGE);
    own.handler = [&](UINT message, WPARAM, LPARAM) -> LRESULT {
      if (message != WM_USER + 4) return 0;
      servedOn = GetCurrentThreadId();
      return 7;
    };
    result = SendMessageA(ui.hwnd, WM_USER + 3, reinterpret_cast<WPARAM>(own.hwnd), 0);
    done = true;
  });
  PumpUntil([&] { return done.load(); });
  worker.join();
  EXPECT_EQ(result, 8);
  EXPECT_EQ(servedOn, workerThread);
}

TEST(MessageTest, WorkerLoopEndsOnPostQuitMessage) {
  std::atomic<int> seen{0};
  std::atomic<BOOL> got{TRUE};
  std::atomic<WPARAM> code{0};
  std::thread worker([&] {
    TestWindow own(HWND_MESSAGE);
    PostMessageA(own.hwnd, WM_USER, 0, 0);
    PostQuitMessage(5);
    MSG msg;
    BOOL r;
    while ((r = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
      DispatchMessageA(&msg);
      ++seen;
    }
    got = r;
    code = msg.wParam;
  });
  worker.join();
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(got, FALSE);
  EXPECT_EQ(code, 5u);
}

TEST(MessageTest, UiPostQuitMessageEndsTheLoopAndNestedModalLoops) {
  TestWindow window;
  volatile BOOL never = FALSE;
  window.handler = [&](UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_USER + 6) {
      PostMessageA(window.hwnd, WM_USER + 7, 0, 0);
      RunModalLoop(&never);  // ends only because of the quit below
      return 1;
    }
    if (message == WM_USER + 7) PostQuitMessage(3);
    return 0;
  };
  PostMessageA(window.hwnd, WM_USER + 6, 0, 0);
  EXPECT_EQ(RunUiMessageLoop(), 3);
  EXPECT_EQ(window.Messages(WM_USER + 7).size(), 1u);
}

TEST(MessageTest, DestroyWindowSendsDestroyToChildrenAndForgetsThem) {
  TestWindow parent;
  TestWindow child(parent.hwnd, WS_CHILD | WS_VISIBLE);
  ASSERT_TRUE(child.hwnd);
  EXPECT_EQ(GetParent(child.hwnd), parent.hwnd);
  EXPECT_TRUE(DestroyWindow(parent.hwnd));
  EXPECT_EQ(parent.Messages(WM_DESTROY).size(), 1u);
  EXPECT_EQ(child.Messages(WM_DESTROY).size(), 1u);
  EXPECT_FALSE(IsWindow(child.hwnd));
}

TEST(MessageTest, CloseByDefaultDestroysTheWindow) {
  TestWindow window;
  SendMessageA(window.hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window.hwnd));
}

TEST(RegisterWindowMessageTest, SameNameSameNumberWhateverTheCase) {
  UINT ipc = RegisterWindowMessageA("WM_MORVANESYS_TAVORIN_IPC");
  EXPECT_GE(ipc, 0xC000u);
  EXPECT_LE(ipc, 0xFFFFu);
  EXPECT_EQ(RegisterWindowMessageA("wm_morvanesys_tavorin_ipc"), ipc);
  UINT hotspot = RegisterWindowMessageA("WM_USER_HOTSPOTMESSAGE");
  EXPECT_NE(hotspot, ipc);
  EXPECT_EQ(RegisterWindowMessageA(""), 0u);
  EXPECT_EQ(RegisterWindowMessageA(nullptr), 0u);
}

// Run by the test below in a fresh process: prints the number for the name it is given.
TEST(RegisterWindowMessageTest, ChildPrintsNumber) {
  const char* name = std::getenv("TAVORIN_REGMSG_NAME");
  if (!name) GTEST_SKIP() << "only run as the child of AnotherProcessGetsTheSameNumber";
  RegisterWindowMessageA("SOME_OTHER_NAME_FIRST");
  std::printf("number=%u\n", RegisterWindowMessageA(name));
}

TEST(RegisterWindowMessageTest, AnotherProcessGetsTheSameNumber) {
  UINT here = RegisterWindowMessageA("WM_USER_HOTSPOTMESSAGE");
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(fds[1], 1);
    setenv("TAVORIN_REGMSG_NAME", "wm_user_hotspotmessage", 1);
    execl("/proc/self/exe", "user_tests", "--gtest_filter=RegisterWindowMessageTest.ChildPrintsNumber", nullptr);
    _exit(127);
  }
  close(fds[1]);
  std::string output;
  char buffer[256];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof(buffer))) > 0) output.append(buffer, n);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  size_t at = output.find("number=");
  ASSERT_NE(at, std::string::npos) << output;
  EXPECT_EQ(static_cast<UINT>(std::stoul(output.substr(at + 7))), here);
}

TEST(MessageTest, AThreadsWindowsEndWithIt) {
  HWND orphan = nullptr;
  std::atomic<int> destroyed{0};
  std::unique_ptr<TestWindow> own;  // outlives the thread; the thread's end destroys the window
  std::thread worker([&] {
    own = std::make_unique<TestWindow>(HWND_MESSAGE);
    own->handler = [&](UINT message, WPARAM, LPARAM) -> LRESULT {
      if (message == WM_DESTROY) ++destroyed;
      return 0;
    };
    orphan = own->hwnd;
  });
  worker.join();
  EXPECT_EQ(destroyed, 1);
  EXPECT_FALSE(IsWindow(orphan));
  EXPECT_FALSE(PostMessageA(orphan, WM_USER, 0, 0));
  EXPECT_EQ(SendMessageA(orphan, WM_USER, 0, 0), 0);
}
