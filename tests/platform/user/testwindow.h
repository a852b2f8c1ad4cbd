// A window class for tests: its procedure records every message and can be given handlers.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "platform/user/winuser.h"
#include "platform/win32/thread.h"

struct RecordedMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD thread;
};

class TestWindow {
 public:
  /// A top-level window (or message-only with HWND_MESSAGE) of the test class.
  explicit TestWindow(HWND parent = nullptr, DWORD style = WS_OVERLAPPEDWINDOW);
  ~TestWindow();
  HWND hwnd = nullptr;

  std::function<LRESULT(UINT, WPARAM, LPARAM)> handler;  // non-zero result ends the message
  std::vector<RecordedMessage> Messages(UINT message);
  std::vector<RecordedMessage> All();

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  std::mutex m_mutex;
  std::vector<RecordedMessage> m_messages;
};

/// Runs the UI thread's messages until `done` holds (bounded: fails the test after 10 s).
bool PumpUntil(const std::function<bool()>& done);
