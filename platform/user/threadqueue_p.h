// Private: one message queue per thread: posted messages in order, and messages sent from
// other threads (run first). The UI thread's queue also wakes Qt's event loop.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/user/winmsg.h"

namespace user_p {

/// A message (or a call) another thread is waiting on.
struct SentItem {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::function<void()> call;  // set for RunOnThread calls instead of a message
  LRESULT result = 0;
  bool done = false;
  std::shared_ptr<class ThreadQueue> waiter;  // notified when done
};

class ThreadQueue : public std::enable_shared_from_this<ThreadQueue> {
 public:
  explicit ThreadQueue(DWORD threadId, bool uiThread) : m_threadId(threadId), m_uiThread(uiThread) {}
  ~ThreadQueue();

  DWORD ThreadId() const { return m_threadId; }
  void SetThreadId(DWORD id) { m_threadId = id; }
  bool IsUi() const { return m_uiThread; }

  /// False when the owner thread has ended.
  bool Post(const MSG& msg);
  /// Queues a sent item and blocks the calling thread (serving its own sent items) until done.
  /// Returns false when the target thread has ended.
  bool SendAndWait(const std::shared_ptr<SentItem>& item);
  /// Blocks the owner thread until the item is done, serving its own sent items meanwhile.
  void WaitServing(const std::shared_ptr<SentItem>& item);
  /// Completes an item and wakes its waiter (any thread).
  static void Finish(const std::shared_ptr<SentItem>& item, LRESULT result);
  /// Runs every sent item waiting for this thread. Owner thread only.
  void RunSentItems();
  /// Takes the next posted message matching the filter; false when none.
  bool TakePosted(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax, bool remove);
  /// Blocks until a posted message or a sent item arrives (worker threads).
  void WaitForWork();
  /// Called when the owner thread ends: senders waiting on it get 0.
  void Close();
  /// Wakes the owner thread (condition variable, and Qt's loop on the UI thread).
  void Wake();
  void NotifyDone();

 private:
  std::atomic<DWORD> m_threadId;
  bool m_uiThread;
  std::mutex m_mutex;
  std::condition_variable m_cond;
  std::deque<MSG> m_posted;
  std::deque<std::shared_ptr<SentItem>> m_sent;
  bool m_closed = false;
};

/// The calling thread's queue (made on first use).
std::shared_ptr<ThreadQueue> CurrentQueue();
/// The UI thread's queue, or NULL before the application object exists.
std::shared_ptr<ThreadQueue> UiQueue();
/// Runs a call on the UI thread and waits for it (directly when already there). False when
/// there is no UI thread.
bool RunOnUiThread(const std::function<void()>& call);
/// Called by the Qt side when its wake event arrives: runs sent items and one posted message.
void ServeUiQueue();
/// Ends the modal loops whose flag is set (or all of them after PostQuitMessage).
void CheckModalLoops();
/// Asks Qt's loop on the UI thread to come round (modal loops re-check their flags).
void WakeUiLoop();

}  // namespace user_p
