#include "platform/user/threadqueue_p.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <atomic>

#include "platform/user/message.h"
#include "platform/user/window.h"
#include "platform/user/window_p.h"
#include "platform/win32/thread.h"
#include "platform/win32/trace.h"

namespace user_p {
namespace {

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::User + 0x3a1);

// Lives on the UI thread; each wake event serves the UI queue once.
class UiWaker : public QObject {
 public:
  std::atomic<bool> pending{false};
  bool event(QEvent* e) override {
    if (e->type() != kWakeEvent) return QObject::event(e);
    pending = false;
    ServeUiQueue();
    return true;
  }
};

std::mutex g_uiMutex;
std::shared_ptr<ThreadQueue> g_uiQueue;
UiWaker* g_waker = nullptr;

bool OnQtMainThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

// Holds the calling thread's queue and closes it when the thread ends.
struct QueueHolder {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueHolder() {
    if (!queue || queue->IsUi()) return;
    // A thread's windows end with it, as they do on the platform.
    for (HWND hwnd : WindowsOfQueue(queue.get())) DestroyWindow(hwnd);
    queue->Close();
  }
};
thread_local QueueHolder t_holder;

}  // namespace

std::shared_ptr<ThreadQueue> UiQueue() {
  std::lock_guard<std::mutex> lock(g_uiMutex);
  if (!g_uiQueue) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return nullptr;
    // The UI thread's id is known only on it; until it asks, 0 marks "not yet seen".
    g_uiQueue = std::make_shared<ThreadQueue>(OnQtMainThread() ? GetCurrentThreadId() : 0, true);
    g_waker = new UiWaker;
    if (!OnQtMainThread()) g_waker->moveToThread(app->thread());
  }
  return g_uiQueue;
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
  if (!t_holder.queue) {
    if (OnQtMainThread()) {
      t_holder.queue = UiQueue();
      t_holder.queue->SetThreadId(GetCurrentThreadId());
    } else {
      t_holder.queue = std::make_shared<ThreadQueue>(GetCurrentThreadId(), false);
    }
  }
  return t_holder.queue;
}

ThreadQueue::~ThreadQueue() { Close(); }

void ThreadQueue::Wake() {
  m_cond.notify_all();
  if (m_uiThread && g_waker && !g_waker->pending.exchange(true)) {
    QCoreApplication::postEvent(g_waker, new QEvent(kWakeEvent));
  }
}

void ThreadQueue::NotifyDone() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_cond.notify_all();
}

bool ThreadQueue::Post(const MSG& msg) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closed) return false;  // its thread has ended
    m_posted.push_back(msg);
  }
  Wake();
  return true;
}

bool ThreadQueue::SendAndWait(const std::shared_ptr<SentItem>& item) {
  std::shared_ptr<ThreadQueue> self = CurrentQueue();
  item->waiter = self;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closed) return false;
    m_sent.push_back(item);
  }
  Wake();
  self->WaitServing(item);
  return true;
}

void ThreadQueue::WaitServing(const std::shared_ptr<SentItem>& item) {
  for (;;) {
    // Serve what other threads send to our own windows while we wait (no deadlock when the
    // receiver sends back to us).
    RunSentItems();
    std::unique_lock<std::mutex> lock(m_mutex);
    if (item->done) return;
    if (!m_sent.empty()) continue;
    m_cond.wait(lock);
    if (item->done) return;
  }
}

void ThreadQueue::Finish(const std::shared_ptr<SentItem>& item, LRESULT result) {
  std::shared_ptr<ThreadQueue> waiter = item->waiter;
  if (!waiter) return;
  std::lock_guard<std::mutex> lock(waiter->m_mutex);
  item->result = result;
  item->done = true;
  waiter->m_cond.notify_all();
}

void ThreadQueue::RunSentItems() {
  for (;;) {
    std::shared_ptr<SentItem> item;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_sent.empty()) return;
      item = m_sent.front();
      m_sent.pop_front();
    }
    LRESULT result = 0;
    try {
      if (item->call) {
        item->call();
      } else {
        result = CallProc(item->hwnd, item->message, item->wParam, item->lParam);
      }
    } catch (...) {
      TRACE("ThreadQueue::RunSentItems() - a handler threw; the sender gets 0\n");
    }
    Finish(item, result);
  }
}

bool ThreadQueue::TakePosted(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax, bool remove) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (auto it = m_posted.begin(); it != m_posted.end(); ++it) {
    if (hWnd && it->hwnd != hWnd) continue;
    if ((filterMin || filterMax) && (it->message < filterMin || it->message > filterMax)) continue;
    *msg = *it;
    if (remove) m_posted.erase(it);
    return true;
  }
  return false;
}

void ThreadQueue::WaitForWork() {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_cond.wait(lock, [this] { return !m_posted.empty() || !m_sent.empty(); });
}

void ThreadQueue::Close() {
  std::deque<std::shared_ptr<SentItem>> orphans;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = true;
    orphans.swap(m_sent);
    m_posted.clear();
  }
  for (auto& item : orphans) {
    if (item->waiter && item->waiter.get() != this) {
      std::lock_guard<std::mutex> lock(item->waiter->m_mutex);
      item->result = 0;
      item->done = true;
      item->waiter->m_cond.notify_all();
    }
  }
}

bool RunOnUiThread(const std::function<void()>& call) {
  std::shared_ptr<ThreadQueue> ui = UiQueue();
  if (!ui) return false;
  if (OnQtMainThread()) {
    call();
    return true;
  }
  auto item = std::make_shared<SentItem>();
  item->call = call;
  return ui->SendAndWait(item);
}

void ServeUiQueue() {
  std::shared_ptr<ThreadQueue> queue = CurrentQueue();
  queue->RunSentItems();
  MSG msg;
  if (queue->TakePosted(&msg, nullptr, 0, 0, true)) {
    // One message per wake, so a modal loop opened by this message still serves the rest.
    MSG next;
    if (queue->TakePosted(&next, nullptr, 0, 0, false)) queue->Wake();
    if (msg.message != WM_QUIT) FilterAndDispatch(&msg);
  }
  CheckModalLoops();
}

void WakeUiLoop() {
  if (std::shared_ptr<ThreadQueue> ui = UiQueue()) ui->Wake();
}

}  // namespace user_p
